#include "online/CatalogueService.h"

#include "common/Cp1251.h"
#include "common/FormStore.h"
#include "common/Format.h"
#include "common/IniFile.h"
#include "common/Languages.h"
#include "common/ProgramFiles.h"
#include "common/TextUtils.h"
#include "common/Translate.h"
#include "online/HttpClient.h"
#include "online/HttpRoutines.h"
#include "online/SelfUpdate.h"

#include <QUuid>

using namespace Qt::StringLiterals;

namespace {

const QString kStoreSection = u"Catalogue"_s;
const QString kStoreKey = u"InstallationId"_s;

bool isInstallationId(const QString &text)
{
    return !QUuid::fromString(text).isNull();
}

} // namespace

TCatalogueSettings LoadCatalogueSettings()
{
    return LoadCatalogueSettings(GetIniFileName());
}

TCatalogueSettings LoadCatalogueSettings(const QString &iniFileName)
{
    const IniFile ini(iniFileName);
    TCatalogueSettings settings;
    settings.host = ini.readString(u"CATALOGUE"_s, u"Host"_s).trimmed();
    settings.caFile = ini.readString(u"CATALOGUE"_s, u"CaFile"_s).trimmed();
    return settings;
}

bool CatalogueConfigured()
{
    return LoadCatalogueSettings().configured();
}

QString CatalogueUrl(const TCatalogueSettings &settings, QStringView path)
{
    if (!settings.configured())
        throw ECatalogueError(Tr(u"Адрес сервера каталога не задан (ключ Host раздела CATALOGUE файла Vendra.ini)."));
    if (!IsValidHostAndPort(settings.host))
        throw ECatalogueError(Format(u"Некорректное имя сервера каталога: \"%s\" (ключ Host раздела CATALOGUE "
                                     u"файла Vendra.ini).",
                                     {settings.host}));
    return u"https://"_s + settings.host + path;
}

QString InstallationId()
{
    // Kept only for this run when the store cannot be written, so the requests still agree.
    static QString unsaved;
    FormStore store;
    QString id = store.readString(kStoreSection, kStoreKey).trimmed();
    if (isInstallationId(id))
        return id;
    if (!unsaved.isEmpty())
        return unsaved;
    id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    try {
        store.writeString(kStoreSection, kStoreKey, id);
        store.save();
    } catch (const Exception &) {
        unsaved = id;
    }
    return id;
}

TClientIdentity LoadClientIdentity()
{
    TClientIdentity identity;
    identity.appId = QString::fromUtf16(kCatalogueAppId);
    identity.appVersion = GetProgramVersion();
    // The installation id is made when it is first sent: without a catalogue host nothing is.
    if (CatalogueConfigured())
        identity.hwdId = InstallationId();
    LoadUserProfile(identity.name, identity.mail);
    identity.lcid = CurrentLanguageId();
    return identity;
}

void LoadUserProfile(QString &name, QString &mail)
{
    const IniFile ini(GetIniFileName());
    name = ini.readString(u"USER"_s, u"Name"_s).trimmed();
    mail = ini.readString(u"USER"_s, u"Mail"_s).trimmed();
}

void SaveUserProfile(const QString &name, const QString &mail)
{
    IniFile ini(GetIniFileName());
    ini.writeString(u"USER"_s, u"Name"_s, name.trimmed());
    ini.writeString(u"USER"_s, u"Mail"_s, mail.trimmed());
    ini.updateFile();
}

void AppendIdentityFields(QStringList &fields, const TClientIdentity &identity)
{
    AppendIdentityFields(fields, identity, identity.name, identity.mail);
}

void AppendIdentityFields(QStringList &fields, const TClientIdentity &identity, const QString &name,
                          const QString &mail)
{
    fields << u"appid="_s + identity.appId << u"appver="_s + identity.appVersion << u"hwdid="_s + identity.hwdId
           << u"cl_name="_s + EscapeCString(name) << u"cl_mail="_s + EscapeCString(mail)
           << u"cl_lcid="_s + QString::number(identity.lcid);
}

QByteArray CatalogueWireBytes(QStringView text)
{
    if (Cp1251::canEncode(text))
        return Cp1251::encode(text);
    QString bad;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A pair of surrogates is one character.
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView c = text.mid(i, n);
        if (!Cp1251::canEncode(c) && !bad.contains(c))
            bad += c;
        i += n - 1;
    }
    throw ECatalogueError(
        Format(u"Текст содержит символы, которые нельзя передать в каталог: \"%s\".\r"
               u"Замените их и повторите попытку.",
               {bad}));
}

QString CatalogueBase64(QStringView text)
{
    return QString::fromLatin1(CatalogueWireBytes(text).toBase64());
}

QByteArray EncodeCatalogueForm(const QStringList &fields)
{
    QByteArray form;
    for (const QString &field : fields) {
        const qsizetype eq = field.indexOf(u'=');
        if (!form.isEmpty())
            form += '&';
        form += CatalogueWireBytes(eq < 0 ? QStringView(field) : QStringView(field).left(eq)).toPercentEncoding();
        if (eq >= 0)
            form += '=' + CatalogueWireBytes(QStringView(field).mid(eq + 1)).toPercentEncoding();
    }
    return form;
}

QString CataloguePost(QStringView path, const QStringList &fields)
{
    return CataloguePost(LoadCatalogueSettings(), path, fields);
}

QString CataloguePost(const TCatalogueSettings &settings, QStringView path, const QStringList &fields)
{
    const QString url = CatalogueUrl(settings, path);
    // Encoded first: a text that cannot be sent fails before any connection is made.
    const QByteArray form = EncodeCatalogueForm(fields);
    const THttpRoutineSettings &routine = HttpRoutineSettings();
    THttpClient client;
    client.setConnectTimeout(routine.connectTimeoutMs);
    client.setReadTimeout(routine.readTimeoutMs);
    client.setTotalTimeout(routine.totalTimeoutMs);
    client.setMaxReplySize(routine.maxReplySize);
    client.setCaFile(settings.caFile);
    client.setFollowRedirects(true);
    // The form carries the user's identity: it goes to the catalogue's own server alone.
    client.setRedirects(THttpRedirects::SameServer);
    return DecodeTextFile(client.postForm(url, form));
}
