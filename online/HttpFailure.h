#pragma once

#include "common/Exception.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

// What went wrong with a request, in the user's words: the failure of one request, the sentences
// that tell it and the rule that tells it from the facts the request left behind.

// A proxy server for one request: server, port, user name and password. An empty server or a
// port of 0 means a direct connection.
struct THttpProxy {
    QString server;
    int port = 0;
    QString username;
    QString password;

    bool isSet() const { return !server.isEmpty() && port > 0; }
    bool operator==(const THttpProxy &o) const = default;
};

// A request that failed: no connection, a TLS failure, a time-out, an HTTP error status, a reply
// over the size limit or a file that could not be written. The status is the HTTP status of an
// error reply, 0 for the other failures. routeFailed tells that the request went through a proxy
// and the server's whole reply never came through it: the proxy could not be reached, did not open
// the tunnel (whatever it answered), or the connection through it failed before the reply was
// complete. Who is to blame is not guessed: another route may still succeed. A reply the server
// sent through the tunnel's encrypted connection (an error status, a refused redirect) is the
// server's own and no route failure.
class EHttpError : public Exception {
public:
    EHttpError(QString message, int status = 0, bool routeFailed = false)
        : Exception(std::move(message)), m_status(status), m_routeFailed(routeFailed)
    {
    }
    int status() const { return m_status; }
    bool routeFailed() const { return m_routeFailed; }

private:
    int m_status;
    bool m_routeFailed;
};

// The message of a request that the network library could not complete: a sentence in the user's
// language for the usual failures (no connection, host not found, time-out, certificate refused, the
// proxy unreachable or refusing), followed on the next line by the short cause when one is given
// (also in the user's language: the library's own English text is never shown). With a proxy set, a
// failure to reach the proxy names the proxy. connected tells whether the connection (to the proxy,
// when one is set) had been made.
QString NetworkFailureText(int curlCode, const QString &cause, const THttpProxy &proxy, bool connected);
// What is wrong with a file of trusted certificate authorities (missing, not a file, empty, no
// certificate in it), named with the file; empty when it may be used. Told only here: the file is a
// setting of the request, not a data file whose failure the run reports again.
QString CaFileProblem(const QString &fileName);

// What a request was asked to do, as far as its failures name it.
struct THttpRequestFacts {
    QUrl url;
    THttpProxy proxy;
    QString caFile;
    QString fileName; // the target of a GET into a file
    int connectTimeoutMs = 0;
    int readTimeoutMs = 0;
    int totalTimeoutMs = 0;
    int replyTimeoutMs = 0;
    qint64 maxReplySize = 0;
};

// What a finished request left behind.
struct THttpOutcome {
    int curlCode = 0;       // the library's result (0: complete)
    bool cancelled = false; // the user gave the request up
    // The connection stood; through a proxy's tunnel only once the encrypted connection through it
    // stood too (the library gives no connect time for a tunnel that failed).
    bool connected = false;
    bool timedOut = false;  // the server fell silent longer than the read time-out
    bool overDeadline = false;
    bool replyLate = false; // the server's reply had not begun within the reply time-out
    long tunnelStatus = 0; // the proxy's answer to the tunnel request (0: none asked or none came)
    int status = 0;        // the status of the last reply (0: none came)
    QByteArray statusLine;
    qint64 received = 0;  // body bytes of the last reply
    qint64 expected = -1; // its announced length (-1: none)
    bool overLimit = false;
    QString fileError;       // why the target file could not be written (empty: it could)
    QString location;        // the last address a reply redirected to
    QString refusedLocation; // a redirect that was not followed
    long verifyResult = 0;   // the TLS library's verdict on the certificate
};

// The failure the outcome tells of; none when the request succeeded (a cancelled request is the
// caller's to raise).
std::optional<EHttpError> HttpFailureOf(const THttpOutcome &outcome, const THttpRequestFacts &facts);
