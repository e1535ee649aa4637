#include "tests/support/CatalogueStandIn.h"

#include "common/Cp1251.h"
#include "tests/support/TempDataFolder.h"

using namespace Qt::StringLiterals;

CatalogueStandIn::CatalogueStandIn()
{
    const TestCertificates *certs = TestCertificates::instance();
    m_ok = certs && m_server.startTls(certs->serverCert(), certs->serverKey());
}

void CatalogueStandIn::result(const QByteArray &path, const QByteArray &rows)
{
    m_server.route(path, LocalHttpReply::text("<result>" + rows + "</result>"));
}

void CatalogueStandIn::reply(const QByteArray &path, const LocalHttpReply &reply)
{
    m_server.route(path, reply);
}

QByteArray CatalogueStandIn::iniSection() const
{
    const TestCertificates *certs = TestCertificates::instance();
    return "[CATALOGUE]\r\nHost=" + m_server.hostAndPort().toLatin1() + "\r\nCaFile=" +
           (certs ? certs->caFile().toUtf8() : QByteArray()) + "\r\n";
}

void CatalogueStandIn::configure(const TempDataFolder &folder, const QByteArray &moreIni) const
{
    folder.write(u"Vendra.ini"_s, iniSection() + moreIni);
}

std::vector<QStringList> CatalogueStandIn::posts(const QByteArray &path) const
{
    std::vector<QStringList> result;
    for (const LocalHttpRequest &request : m_server.requests())
        if (request.path == path && request.method == "POST")
            result.push_back(decodeForm(request.body));
    return result;
}

QStringList CatalogueStandIn::lastPost(const QByteArray &path) const
{
    const std::vector<QStringList> all = posts(path);
    return all.empty() ? QStringList() : all.back();
}

int CatalogueStandIn::count(const QByteArray &path) const
{
    int n = 0;
    for (const LocalHttpRequest &request : m_server.requests())
        n += request.path == path ? 1 : 0;
    return n;
}

QStringList CatalogueStandIn::decodeForm(const QByteArray &body)
{
    QStringList fields;
    if (body.isEmpty())
        return fields;
    for (const QByteArray &pair : body.split('&')) {
        const qsizetype eq = pair.indexOf('=');
        const QByteArray key = QByteArray::fromPercentEncoding(eq < 0 ? pair : pair.left(eq));
        QString field = Cp1251::decode(key);
        if (eq >= 0)
            field += u'=' + Cp1251::decode(QByteArray::fromPercentEncoding(pair.mid(eq + 1)));
        fields << field;
    }
    return fields;
}
