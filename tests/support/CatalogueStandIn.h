#pragma once

#include "tests/support/LocalHttpServer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

class TempDataFolder;

// A stand-in for the online catalogue service: an HTTPS server on 127.0.0.1 with the test
// authority's certificate that serves canned replies by path and records every posted form.
class CatalogueStandIn {
public:
    // Starts the server; ok() tells whether it runs (false also when the test certificates could
    // not be made: the test should then skip).
    CatalogueStandIn();

    bool ok() const { return m_ok; }
    LocalHttpServer &server() { return m_server; }

    // The reply to every request of a path: "<result>" + rows + "</result>".
    void result(const QByteArray &path, const QByteArray &rows);
    // Any reply to a path.
    void reply(const QByteArray &path, const LocalHttpReply &reply);

    // The "[CATALOGUE]" section naming this server and the test authority, for "Vendra.ini".
    QByteArray iniSection() const;
    // Writes "Vendra.ini" of the folder with that section and the given further text.
    void configure(const TempDataFolder &folder, const QByteArray &moreIni = {}) const;

    // The posted fields of every request to a path, in request order, each as "key=value" lines
    // decoded from the wire.
    std::vector<QStringList> posts(const QByteArray &path) const;
    // The fields of the last request to a path (empty when there was none).
    QStringList lastPost(const QByteArray &path) const;
    int count(const QByteArray &path) const;

    // The "key=value" lines of an URL-encoded form body, values decoded from Windows-1251.
    static QStringList decodeForm(const QByteArray &body);

private:
    LocalHttpServer m_server;
    bool m_ok = false;
};
