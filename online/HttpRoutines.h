#pragma once

#include "online/HttpClient.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>

// Stateless routines through which the online services fetch pages and files and post forms.
// Every call builds its own client for exactly one request. Failures raise EHttpError (or the
// file system's error) and leave the out text unassigned.

// The URL up to and including its last "/" (empty when it has none).
QString ExtractUrlPath(const QString &url);
// Both parts joined with "&"; when either is empty, the other alone.
QString AddUrlParam(const QString &query, const QString &param);
// True when the text begins with "https://", letters compared without regard to case.
bool IsHttpsUrl(QStringView url);

// The TLS protocol a TLS code asks for: 0 none, 1 SSL 2.0, 2 SSL 2/3, 3 SSL 3.0, 4 TLS 1.0,
// 5 TLS 1.1, 6 TLS 1.2; any other non-zero code TLS 1.0. Whatever is asked, the connection itself
// is made with TLS 1.2 or later, with the peer verified: the older protocols are insecure and
// refused by the TLS library.
enum class TSslMethod : uint8_t { None, SSLv2, SSLv23, SSLv3, TLSv1, TLSv1_1, TLSv1_2 };
TSslMethod SslMethodOf(uint8_t tlsCode);

// Settings shared by the routines: time-outs, the reply size limit and a CA file in place of the
// system's certificate store (empty: the system's store; tests point it at their own authority).
// The overall deadline of a request is that of a page: a server that sends a byte now and then
// never holds the program longer.
struct THttpRoutineSettings {
    int connectTimeoutMs = 15000;
    int readTimeoutMs = 30000;
    int totalTimeoutMs = 120000;
    qint64 maxReplySize = 32 * 1024 * 1024;
    QString caFile;
};
THttpRoutineSettings &HttpRoutineSettings();

// GET; the body is written into the file (through a temporary file, so that a failure leaves the
// old file as it was); redirects are followed. TLS code 0 allows plain HTTP only.
void HttpGetToFileEx(const THttpProxy *proxy, const QString &url, const QString &fileName, uint8_t tlsCode);
void HttpGetToFile(const QString &url, const QString &fileName, bool useTls);
// GET; the body as received (after gzip or deflate decoding), without character-set conversion.
// totalTimeoutMs above 0 replaces the settings' overall deadline.
void HttpGetTextEx(const THttpProxy *proxy, const QString &url, uint8_t tlsCode, QByteArray &text, bool followRedirects,
                   int totalTimeoutMs = 0);
// POST of "key=value" lines as an URL-encoded form; the reply body.
void HttpPostEx(const THttpProxy *proxy, const QString &url, const QStringList &fields, QByteArray &text,
                bool followRedirects, uint8_t tlsCode);
void HttpPostTls(const QString &url, const QStringList &fields, bool useTls, QByteArray &text, bool followRedirects);
void HttpPost(const QString &url, const QStringList &fields, bool followRedirects, QByteArray &text);
