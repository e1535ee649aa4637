#include "online/ScriptCatalog.h"

#include "common/BlockingWait.h"
#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/DateUtils.h"
#include "common/Format.h"
#include "common/TextUtils.h"
#include "common/Translate.h"

using namespace Qt::StringLiterals;

namespace {

// Runs one request; a failure is shown under its leading line ("...!\r\r%s") and gives false. A
// request the user cancelled gives false without a word.
template <class Body>
bool reported(QStringView lead, Body &&body)
{
    try {
        body();
        return true;
    } catch (const std::exception &e) {
        if (!IsWaitCancelled(e))
            ShowErrorBox(Format(lead, {ExceptionText(e)}));
        return false;
    }
}

[[noreturn]] void raiseNoResult()
{
    throw ECatalogueError(Tr(u"Сервер каталога не вернул результат."));
}

struct StatusReset {
    ~StatusReset() { SetStatusText({}); }
};

QString field(QStringView key, int value)
{
    return key + u'=' + QString::number(value);
}

QString escaped(QStringView key, const QString &value)
{
    return key + u'=' + EscapeCString(value);
}

} // namespace

// ---- Requests ----

QStringList ScriptListFields(int filterId, const TClientIdentity &identity)
{
    QStringList fields{field(u"fltid", filterId)};
    AppendIdentityFields(fields, identity);
    return fields;
}

QStringList ScriptDataFields(int scriptId)
{
    return {field(u"scr_id", scriptId)};
}

QStringList ScriptRateFields(int scriptId, int mark, const QString &comment, const TClientIdentity &identity)
{
    QStringList fields{field(u"scr_id", scriptId), field(u"rate_value", mark), escaped(u"rate_notes", comment)};
    AppendIdentityFields(fields, identity);
    return fields;
}

QStringList ScriptTitleFields(int scriptId, const QString &title)
{
    return {field(u"scr_id", scriptId), escaped(u"scr_title", title)};
}

QStringList ScriptPutFields(const tScriptData &data, const QString &scriptText, bool deleting,
                            const TClientIdentity &identity)
{
    QStringList fields{field(u"del_mode", deleting ? 1 : 0), field(u"scr_id", data.id),
                       field(u"scr_uniapps", data.uniapps ? 1 : 0), field(u"scr_publics", data.publics ? 1 : 0),
                       escaped(u"scr_title", data.title), escaped(u"scr_descr", data.descr)};
    if (!deleting)
        fields << escaped(u"scr_script", scriptText);
    // The scenario goes under the language chosen for it, not the language of the interface.
    TClientIdentity author = identity;
    author.lcid = data.key_cl_lcid;
    AppendIdentityFields(fields, author, data.key_cl_name, identity.mail);
    return fields;
}

QStringList ScriptRatesFields(int scriptId)
{
    return {field(u"scr_id", scriptId)};
}

QString ScriptTextOfLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + u"\r\n"_s;
    return text;
}

// ---- Replies ----

tScriptInfo DecodeScriptListRow(const TCatalogueRow &row, const TClientIdentity &identity)
{
    tScriptInfo info;
    info.id = row.integer(u"id");
    info.app_name = row.element(u"app_name");
    info.app_ver = row.element(u"app_ver");
    info.key_cl_name = row.element(u"key_cl_name");
    info.key_cl_mail = row.element(u"key_cl_mail");
    info.key_cl_lcid = row.integerDef(u"key_cl_lcid", identity.lcid);
    info.uniapps = row.integerDef(u"uniapps", 0) > 0;
    info.publics = row.integerDef(u"publics", 0) > 0;
    info.created = row.utcTime(u"created");
    info.rating_avg = row.decimal(u"rating_avg", 0);
    info.rating_cnt = row.integerDef(u"rating_cnt", 0);
    info.rating_you = row.integerDef(u"rating_you", 0);
    info.downloads = row.integerDef(u"downloads", 0);
    info.last_download = row.utcTime(u"last_download");
    info.title = row.base64Text(u"title");
    info.descr = row.base64Text(u"descr");
    // Without a mail of his own the user owns nothing (an empty mail would match every anonymous row).
    info.own = !identity.mail.isEmpty() && info.key_cl_mail.compare(identity.mail, Qt::CaseInsensitive) == 0;
    info.compatible = info.uniapps || row.element(u"app_guid").compare(identity.appId, Qt::CaseInsensitive) == 0;
    info.editable = info.own && info.compatible;
    return info;
}

TScriptRate DecodeScriptRateRow(const TCatalogueRow &row)
{
    TScriptRate rate;
    rate.clName = row.element(u"key_cl_name");
    rate.rate = row.element(u"rate");
    rate.created = row.element(u"created");
    // Shown in local time like the catalogue's other times; a time in another form stays as it came.
    try {
        if (!rate.created.isEmpty())
            rate.created = CatalogueTimeText(ParseDateTimeStamp(rate.created));
    } catch (const EConvertError &) {
    }
    rate.appName = row.element(u"app_name");
    rate.appVer = row.element(u"app_ver");
    rate.notes = row.element(u"notes");
    return rate;
}

// ---- Operations ----

bool ScriptLibraryGetList(int filterId, const std::function<void(const tScriptInfo &)> &addItem)
{
    bool result = false;
    const bool ok = reported(u"Ошибка загрузки каталога online-сценариев!\r\r%s", [&] {
        const TClientIdentity identity = LoadClientIdentity();
        TCatalogueReply reply(CataloguePost(kScriptListPath, ScriptListFields(filterId, identity)));
        result = !reply.isEmpty();
        TCatalogueRow row;
        while (reply.next(row))
            addItem(DecodeScriptListRow(row, identity));
    });
    return ok && result;
}

TScriptFetch ScriptLibraryGetData(int scriptId, QString &scriptText)
{
    QString found;
    const bool ok = reported(u"Ошибка загрузки online-сценария!\r\r%s", [&] {
        TCatalogueReply reply(CataloguePost(kScriptDataPath, ScriptDataFields(scriptId)));
        TCatalogueRow row;
        while (reply.next(row)) {
            if (!row.text().trimmed().startsWith(u"<script>"_s, Qt::CaseInsensitive))
                continue;
            const QString text = row.base64Text(u"script");
            if (!text.trimmed().isEmpty()) {
                found = text;
                return;
            }
        }
    });
    if (!ok)
        return TScriptFetch::Failed;
    if (found.isEmpty())
        return TScriptFetch::Empty;
    scriptText = found;
    return TScriptFetch::Found;
}

bool ScriptLibrarySetRate(int scriptId, int mark, const QString &comment)
{
    return reported(u"Ошибка сохранения оценки online-сценария!\r\r%s", [&] {
        TCatalogueReply reply(
            CataloguePost(kScriptRatePath, ScriptRateFields(scriptId, mark, comment, LoadClientIdentity())));
        if (reply.isEmpty())
            raiseNoResult();
        bool any = false;
        int code = 0;
        TCatalogueRow row;
        while (reply.next(row)) {
            code = row.integer(u"res_code");
            any = true;
        }
        if (!any)
            raiseNoResult();
        if (code < 0)
            throw ECatalogueError(Format(u"Код возврата: %d", {code}));
    });
}

TTitleCheck ScriptLibraryCheckTitle(int scriptId, const QString &title)
{
    BusySection busy;
    TTitleCheck result = TTitleCheck::Taken;
    const bool ok = reported(u"Ошибка проверки уникальности online-сценария!\r\r%s", [&] {
        TCatalogueReply reply(CataloguePost(kScriptTitlePath, ScriptTitleFields(scriptId, title)));
        if (reply.isEmpty())
            raiseNoResult();
        bool any = false;
        TCatalogueRow row;
        while (reply.next(row)) {
            any = true;
            if (row.integer(u"ret_code") == 0) {
                result = TTitleCheck::Free;
                return;
            }
        }
        if (!any)
            raiseNoResult();
    });
    return ok ? result : TTitleCheck::Failed;
}

namespace {

int putScript(QStringView lead, const tScriptData &data, const QString &scriptText, bool deleting)
{
    int id = -1;
    const bool ok = reported(lead, [&] {
        TCatalogueReply reply(
            CataloguePost(kScriptPutPath, ScriptPutFields(data, scriptText, deleting, LoadClientIdentity())));
        TCatalogueRow row;
        while (reply.next(row))
            id = row.integer(u"id_scripts");
    });
    return ok ? id : -1;
}

} // namespace

int ScriptLibraryPutScript(const tScriptData &data, const QString &scriptText)
{
    return putScript(u"Ошибка сохранения online-сценария в базе данных!\r\r%s", data, scriptText, false);
}

int ScriptLibraryDeleteScript(const tScriptData &data)
{
    return putScript(u"Ошибка удаления online-сценария из базы данных!\r\r%s", data, {}, true);
}

bool ScriptLibraryGetRates(int scriptId, const std::function<void(const TScriptRate &)> &addItem)
{
    BusySection busy;
    StatusReset reset;
    SetStatusText(Tr(u"Загрузка списка оценок..."));
    bool result = false;
    const bool ok = reported(u"Ошибка просмотра оценок online-сценария!\r\r%s", [&] {
        TCatalogueReply reply(CataloguePost(kScriptRatesPath, ScriptRatesFields(scriptId)));
        result = !reply.isEmpty();
        TCatalogueRow row;
        while (reply.next(row))
            addItem(DecodeScriptRateRow(row));
    });
    return ok && result;
}

QString ScriptWireProblem(const QString &text)
{
    try {
        CatalogueWireBytes(text);
        return {};
    } catch (const Exception &e) {
        return e.message();
    }
}
