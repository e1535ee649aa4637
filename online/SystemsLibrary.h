#pragma once

#include "online/CatalogueReply.h"
#include "online/CatalogueService.h"
#include "online/SystemTypes.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// The systems catalogue: its requests, and the list of its systems as the systems page shows it,
// with the download, publication, change and deletion of systems. Every operation named after a
// user's command reports its own failure in an error box and gives a failure result.

// ---- Requests ----------------------------------------------------------------------------------

inline constexpr char16_t kSystemsListPath[] = u"/scripts/sys_getlist.php";
inline constexpr char16_t kSystemsDataPath[] = u"/scripts/sys_getdata.php";
inline constexpr char16_t kSystemsPutPath[] = u"/scripts/sys_putdata.php";

// The fields of the list request, in their order.
QStringList SystemListFields(const TClientIdentity &identity);
// The fields of the put request (publish, replace or delete), in their order; the author and mail
// are the system's own.
QStringList SystemPutFields(const tSystemData &system, bool deleting, const TClientIdentity &identity);
// One list row as a system; raises EConvertError for a value that is not what it should be.
tSystemInfo DecodeSystemRow(const TCatalogueRow &row);

// The system's lines ("" on failure, after the error box "Ошибка загрузки системы #%d!...").
QString SystemLibraryGetData(const tSystemInfo &system);
// The same, without a value on failure (so that an empty list and a failure differ); a request
// the user cancelled raises EWaitCancelled, with no box.
std::optional<QString> FetchSystemData(const tSystemInfo &system);
// Downloads the system's lines into its file, checking their count; true when the file exists
// afterwards.
bool SystemLibraryDownload(const tSystemInfo &system);
// Publishes, replaces or deletes; the id from the reply, -1 on failure.
int SystemLibraryPutData(const tSystemData &system, bool deleting);
// The same, without a value when the request failed (its error box shown), -1 when the reply held
// no id.
std::optional<int> PutSystemData(const tSystemData &system, bool deleting);

// "Список систем не доступен!": the item shown when the catalogue gave no list.
tSystemInfo SystemsPlaceholder();

// ---- The list as shown ---------------------------------------------------------------------------

// The texts of a list item: caption (title), author, nums "%.2d", olap, csize, created, status,
// downloads, last download, description and link. A placeholder leaves the counts empty.
QStringList SystemItemTexts(const tSystemInfo &system, bool filePresent);
// The image of a list item: with the file 47 (own), 46 (another author's), 2 (no author's mail);
// without it 39, 45, 22; -1 for a placeholder.
int SystemItemImage(const tSystemInfo &system, bool filePresent, const QString &userMail);
// The two images of the user's own systems.
bool IsOwnSystemImage(int image);
// The system's mail equals the user's (letters compared without regard to case; an empty mail is
// nobody's).
bool IsOwnSystem(const tSystemInfo &system, const QString &userMail);

// Shows a system in its dialog; true on OK with the values copied back. Editable false: read only.
using TSystemDialogFn = std::function<bool(tSystemData &system, bool editable)>;

// The systems of the catalogue with the state of their files, in catalogue order. The view follows
// through the change handler.
class TSystemsLibrary {
public:
    struct TItem {
        tSystemInfo system;
        bool filePresent = false;
    };

    const std::vector<TItem> &items() const { return m_items; }
    int count() const { return static_cast<int>(m_items.size()); }
    const TItem &item(int index) const { return m_items.at(static_cast<size_t>(index)); }
    int indexOfId(int id) const;
    // The user's mail, as of the last operation.
    const QString &userMail() const { return m_userMail; }
    int imageOf(int index) const;

    // Called after any change: -1 for the whole list, else the index of the changed item.
    void setChangedHandler(std::function<void(int index)> handler) { m_changed = std::move(handler); }
    void setDialog(TSystemDialogFn dialog) { m_dialog = std::move(dialog); }

    void clear();
    // Fills the list from the catalogue; a stored file whose system changed is downloaded again.
    // An empty reply gives the placeholder and false; a failure keeps the items read before it.
    bool GetList();
    // Whether the item's file exists now.
    void RefreshItemState(int index);
    // Downloads the item's system and removes every other stored system for the same count of
    // numbers; the items concerned show their new state.
    bool DownloadItem(int index);
    // A new system through the dialog, published; the index of its new item, or -1.
    int AddSystem();
    // The item's system in the dialog (editable only for the user's own), republished on OK.
    bool EditSystem(int index);
    // Deletes the user's own system from the catalogue after a confirmation, and its file.
    bool DeleteSystem(int index);

private:
    void changed(int index);
    void refreshIdentity();

    std::vector<TItem> m_items;
    QString m_userMail;
    QString m_userName;
    std::function<void(int)> m_changed;
    TSystemDialogFn m_dialog;
};
