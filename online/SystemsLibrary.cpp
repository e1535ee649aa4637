#include "online/SystemsLibrary.h"

#include "common/BlockingWait.h"
#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Format.h"
#include "common/TextUtils.h"
#include "common/Translate.h"
#include "online/SystemsFolder.h"

using namespace Qt::StringLiterals;

namespace {

QString numberText(int value)
{
    return QString::number(value);
}

// Clears the status text when the operation ends, however it ends.
struct StatusClear {
    ~StatusClear() { SetStatusText({}); }
};

int byteValue(const TCatalogueRow &row, QStringView name, int low, int high)
{
    const int value = row.integer(name);
    if (value < low || value > high)
        throw EConvertError(Format(u"Недопустимое значение элемента \"%s\": %d", {name, value}));
    return value;
}

QString downloadFailedText(const tSystemInfo &system, const QString &reason)
{
    return Format(u"Ошибка загрузки системы #%d!\r\r%s", {system.id, reason});
}

// Shows the failure of an operation, unless the user cancelled its request.
void showFailure(const Exception &e, const QString &text)
{
    if (!IsWaitCancelled(e))
        ShowErrorBox(text);
}

// The download of a system's file; a request the user cancelled goes on to the caller.
bool downloadSystem(const tSystemInfo &system)
{
    try {
        if (system.isPlaceholder())
            throw Exception(Tr(u"Система не выбрана."));
        const QString text = FetchSystemData(system).value_or(QString());
        const QStringList lines = SplitSystemLines(text);
        if (text.isEmpty() || lines.size() != system.csize)
            throw Exception(Format(u"Количество скачанных комбинаций ( %d ) отличается от ожидаемого значения ( %d )",
                                   {static_cast<int>(lines.size()), system.csize}));
        WriteSystemFile(system, lines);
    } catch (const EWaitCancelled &) {
        throw;
    } catch (const Exception &e) {
        ShowErrorBox(downloadFailedText(system, e.message()));
        return false;
    }
    return SystemFileExists(system);
}

} // namespace

// ---- Requests ----------------------------------------------------------------------------------

QStringList SystemListFields(const TClientIdentity &identity)
{
    QStringList fields{Format(u"comblen=%d", {kSystemCombLength}), Format(u"maxnums=%d", {kSystemMaxNums})};
    AppendIdentityFields(fields, identity);
    return fields;
}

QStringList SystemPutFields(const tSystemData &system, bool deleting, const TClientIdentity &identity)
{
    QStringList fields{
        deleting ? u"del_mode=1"_s : u"del_mode=0"_s,
        u"sys_id="_s + numberText(system.id),
        u"nums="_s + numberText(system.nums),
        u"clen="_s + numberText(kSystemCombLength),
        u"olap="_s + numberText(system.olap),
        u"title="_s + EscapeCString(system.title),
        u"descr="_s + EscapeCString(system.descr),
        u"csize="_s + numberText(system.csize),
        deleting ? u"clist="_s : u"clist="_s + CatalogueBase64(EscapeCString(system.clist)),
        u"url="_s + system.url,
    };
    AppendIdentityFields(fields, identity, system.author, system.cl_mail);
    return fields;
}

tSystemInfo DecodeSystemRow(const TCatalogueRow &row)
{
    tSystemInfo system;
    system.id = row.integer(u"id");
    system.nums = static_cast<uint8_t>(byteValue(row, u"nums", 0, kSystemMaxNums));
    system.olap = static_cast<uint8_t>(byteValue(row, u"olap", 0, 255));
    system.csize = row.integer(u"csize");
    system.title = row.base64Text(u"title");
    system.descr = row.base64Text(u"descr");
    system.author = row.element(u"author");
    system.cl_mail = row.element(u"cl_mail");
    system.url = row.element(u"url");
    system.created = row.utcTime(u"created");
    system.last_download = row.utcTime(u"last_download");
    system.downloads = row.integerDef(u"downloads", 0);
    return system;
}

std::optional<QString> FetchSystemData(const tSystemInfo &system)
{
    BusySection busy;
    StatusClear clear;
    SetStatusText(Format(u"Загрузка \"%s\"...", {system.title}));
    try {
        TCatalogueReply reply(CataloguePost(kSystemsDataPath, {u"sys_id="_s + numberText(system.id)}));
        TCatalogueRow row;
        while (reply.next(row)) {
            const QString clist = row.base64Text(u"clist");
            if (!clist.isEmpty())
                return clist;
        }
        return QString();
    } catch (const EWaitCancelled &) {
        throw;
    } catch (const Exception &e) {
        ShowErrorBox(downloadFailedText(system, e.message()));
        return std::nullopt;
    }
}

QString SystemLibraryGetData(const tSystemInfo &system)
{
    try {
        return FetchSystemData(system).value_or(QString());
    } catch (const EWaitCancelled &) {
        return {};
    }
}

bool SystemLibraryDownload(const tSystemInfo &system)
{
    try {
        return downloadSystem(system);
    } catch (const EWaitCancelled &) {
        return false;
    }
}

int SystemLibraryPutData(const tSystemData &system, bool deleting)
{
    return PutSystemData(system, deleting).value_or(-1);
}

std::optional<int> PutSystemData(const tSystemData &system, bool deleting)
{
    BusySection busy;
    StatusClear clear;
    SetStatusText(Format(deleting ? u"Удаление \"%s\"..." : u"Сохранение \"%s\"...", {system.title}));
    try {
        const QStringList fields = SystemPutFields(system, deleting, LoadClientIdentity());
        TCatalogueReply reply(CataloguePost(kSystemsPutPath, fields));
        TCatalogueRow row;
        while (reply.next(row)) {
            const int id = row.integerDef(u"id_systems", -1);
            if (id > -1)
                return id;
        }
        return -1;
    } catch (const Exception &e) {
        showFailure(e, Format(u"Ошибка сохранения системы #%d!\r\r%s", {system.id, e.message()}));
        return std::nullopt;
    }
}

tSystemInfo SystemsPlaceholder()
{
    tSystemInfo system;
    system.id = -1;
    system.title = Tr(u"Список систем не доступен!");
    return system;
}

// ---- The list as shown ---------------------------------------------------------------------------

QStringList SystemItemTexts(const tSystemInfo &system, bool filePresent)
{
    const bool real = !system.isPlaceholder();
    return {system.title,
            system.author,
            real ? Format(u"%.2d", {static_cast<int>(system.nums)}) : QString(),
            real ? numberText(system.olap) : QString(),
            real ? numberText(system.csize) : QString(),
            CatalogueTimeText(system.created),
            filePresent ? Tr(u"Загружена") : QString(),
            real ? numberText(system.downloads) : QString(),
            CatalogueTimeText(system.last_download),
            system.descr,
            system.url};
}

bool IsOwnSystem(const tSystemInfo &system, const QString &userMail)
{
    return !system.cl_mail.trimmed().isEmpty() &&
           system.cl_mail.trimmed().compare(userMail.trimmed(), Qt::CaseInsensitive) == 0;
}

int SystemItemImage(const tSystemInfo &system, bool filePresent, const QString &userMail)
{
    if (system.isPlaceholder())
        return -1;
    if (system.cl_mail.trimmed().isEmpty())
        return filePresent ? 2 : 22;
    if (IsOwnSystem(system, userMail))
        return filePresent ? 47 : 39;
    return filePresent ? 46 : 45;
}

bool IsOwnSystemImage(int image)
{
    return image == 47 || image == 39;
}

int TSystemsLibrary::indexOfId(int id) const
{
    for (int i = 0; i < count(); ++i)
        if (m_items[static_cast<size_t>(i)].system.id == id)
            return i;
    return -1;
}

int TSystemsLibrary::imageOf(int index) const
{
    const TItem &it = item(index);
    return SystemItemImage(it.system, it.filePresent, m_userMail);
}

void TSystemsLibrary::changed(int index)
{
    if (m_changed)
        m_changed(index);
}

void TSystemsLibrary::refreshIdentity()
{
    LoadUserProfile(m_userName, m_userMail);
}

void TSystemsLibrary::clear()
{
    m_items.clear();
    changed(-1);
}

bool TSystemsLibrary::GetList()
{
    // A load the user cancels gives the list back as it was.
    std::vector<TItem> shown = std::move(m_items);
    m_items.clear();
    changed(-1);
    const int cancels = CancelledWaitCount();
    try {
        const TClientIdentity identity = LoadClientIdentity();
        m_userMail = identity.mail;
        m_userName = identity.name;
        // Without a catalogue there is no list, and nothing to report either.
        const TCatalogueSettings settings = LoadCatalogueSettings();
        TCatalogueReply reply(settings.configured()
                                  ? CataloguePost(settings, kSystemsListPath, SystemListFields(identity))
                                  : QString());
        if (reply.isEmpty()) {
            m_items.push_back({SystemsPlaceholder(), false});
            changed(-1);
            return false;
        }
        TCatalogueRow row;
        while (reply.next(row)) {
            const tSystemInfo system = DecodeSystemRow(row);
            m_items.push_back({system, SystemFileExists(system)});
            const int index = count() - 1;
            changed(-1);
            // A system changed in the catalogue replaces the stored one.
            if (m_items.back().filePresent && SystemFileChanged(system)) {
                downloadSystem(system);
                RefreshItemState(index);
            }
        }
        return true;
    } catch (const Exception &e) {
        if (CancelledWaitCount() != cancels) {
            m_items = std::move(shown);
            // A system downloaded again before the cancel has its file now.
            for (TItem &item : m_items)
                item.filePresent = SystemFileExists(item.system);
            changed(-1);
            return false;
        }
        showFailure(e, Format(u"Ошибка загрузки списка систем!\r\r%s", {e.message()}));
        return false;
    }
}

void TSystemsLibrary::RefreshItemState(int index)
{
    if (index < 0 || index >= count())
        return;
    TItem &it = m_items[static_cast<size_t>(index)];
    it.filePresent = SystemFileExists(it.system);
    changed(index);
}

bool TSystemsLibrary::DownloadItem(int index)
{
    if (index < 0 || index >= count() || item(index).system.isPlaceholder())
        return false;
    const tSystemInfo system = item(index).system;
    if (!SystemLibraryDownload(system)) {
        RefreshItemState(index);
        return false;
    }
    // One stored system per count of numbers: the others go, listed or not.
    const QStringList failed = DeleteOtherSystemFiles(system);
    for (int i = 0; i < count(); ++i)
        if (i != index && item(i).filePresent && item(i).system.nums == system.nums)
            RefreshItemState(i);
    RefreshItemState(index);
    if (!failed.isEmpty()) {
        ShowErrorBox(downloadFailedText(
            system, Format(u"Не удалось удалить другие системы для %d чисел:\r%s",
                           {static_cast<int>(system.nums), failed.join(u"\r"_s)})));
        return false;
    }
    return item(index).filePresent;
}

int TSystemsLibrary::AddSystem()
{
    try {
        // Nowhere to publish: say so before anything else is asked for.
        CatalogueUrl(LoadCatalogueSettings(), kSystemsPutPath);
        refreshIdentity();
        if (m_userMail.isEmpty())
            throw Exception(Tr(u"Не указан адрес электронной почты автора (ключ Mail раздела USER файла Vendra.ini): "
                               u"по нему каталог узнает Ваши системы, чтобы их можно было изменить или удалить."));
        tSystemData data;
        data.author = m_userName;
        data.cl_mail = m_userMail;
        if (!m_dialog || !m_dialog(data, true))
            return -1;
        const std::optional<int> id = PutSystemData(data, false);
        if (!id)
            return -1;
        if (*id <= 0)
            throw Exception(Tr(u"Каталог не выдал номер новой системы."));
        data.id = *id;
        m_items.push_back({static_cast<const tSystemInfo &>(data), false});
        const int index = count() - 1;
        RefreshItemState(index);
        changed(-1);
        return index;
    } catch (const Exception &e) {
        showFailure(e, Format(u"Ошибка добавления системы!\r\r%s", {e.message()}));
        return -1;
    }
}

bool TSystemsLibrary::EditSystem(int index)
{
    if (index < 0 || index >= count() || item(index).system.isPlaceholder())
        return false;
    try {
        refreshIdentity();
        tSystemData data;
        static_cast<tSystemInfo &>(data) = item(index).system;
        const std::optional<QString> clist = FetchSystemData(data);
        if (!clist)
            return false;
        data.clist = *clist;
        const bool editable = IsOwnSystem(data, m_userMail);
        if (!m_dialog || !m_dialog(data, editable) || !editable)
            return false;
        const std::optional<int> id = PutSystemData(data, false);
        if (!id)
            return false;
        if (*id < 0)
            throw Exception(Tr(u"Каталог не подтвердил сохранение системы."));
        m_items[static_cast<size_t>(index)].system = data;
        RefreshItemState(index);
        return true;
    } catch (const Exception &e) {
        showFailure(e, Format(u"Ошибка изменения системы!\r\r%s", {e.message()}));
        return false;
    }
}

bool TSystemsLibrary::DeleteSystem(int index)
{
    if (index < 0 || index >= count() || item(index).system.isPlaceholder())
        return false;
    try {
        refreshIdentity();
        const tSystemInfo system = item(index).system;
        if (!IsOwnSystem(system, m_userMail)) {
            ShowErrorBox(Tr(u"Вы можете удалять только свои системы!"));
            return false;
        }
        if (ConfirmBox(Format(u"Вы действительно хотите удалить систему \"%s\"?", {system.title})) != IDYES)
            return false;
        tSystemData data;
        static_cast<tSystemInfo &>(data) = system;
        const std::optional<int> id = PutSystemData(data, true);
        if (!id)
            return false;
        if (*id != 0)
            throw Exception(Tr(u"Каталог не подтвердил удаление системы."));
        DeleteSystemFile(system);
        m_items.erase(m_items.begin() + index);
        changed(-1);
        return true;
    } catch (const Exception &e) {
        showFailure(e, Format(u"Ошибка удаления системы!\r\r%s", {e.message()}));
        return false;
    }
}
