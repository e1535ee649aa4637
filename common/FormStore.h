#pragma once

#include "common/IniFile.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>
#include <vector>

// The settings store: the ".frm" file beside the program, an ini file with one section per window
// class ("TTemplateMain", ...) that holds the window's placement, the layouts of its lists and grids
// and plain named options.
//
// A FormStore reads the file once when it is made and writes it whole, atomically, on save(). The
// plain functions below (ReadFormBool, WriteFormInteger, ...) each make one, so every write lands in
// the file at once; a caller that writes many keys (the shutdown) keeps one store and saves once.
// While a TIniFileRun holds GetFormFileName(), the store is read from the file only once: every store
// starts from the copy kept in memory, and every save writes both.
//
// A damaged file never stops the program: unreadable lines are skipped and unreadable values read
// as the caller's default. A file that exists but cannot be read is never overwritten: save() then
// raises EInOutError, so the settings in it are not lost.
class FormStore {
public:
    // The store in GetFormFileName().
    FormStore();
    explicit FormStore(const QString &fileName);

    const QString &fileName() const { return m_ini.fileName(); }

    bool readBool(const QString &section, const QString &key, bool defaultValue) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    QString readString(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    bool valueExists(const QString &section, const QString &key) const;
    bool sectionExists(const QString &section) const;

    void writeBool(const QString &section, const QString &key, bool value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeString(const QString &section, const QString &key, const QString &value);

    // Writes the whole file atomically; raises EInOutError when that fails.
    void save();

    const IniFile &ini() const { return m_ini; }

private:
    IniFile m_ini;
};

// The section of a window: its class name, with ".MDIChildren" for an MDI child.
QString FormSection(const QString &className, bool mdiChild = false);

// One read or one write in the store file, as the windows use them for their options.
bool ReadFormBool(const QString &section, const QString &key, bool defaultValue);
int ReadFormInteger(const QString &section, const QString &key, int defaultValue);
QString ReadFormString(const QString &section, const QString &key, const QString &defaultValue = {});
void WriteFormBool(const QString &section, const QString &key, bool value);
void WriteFormInteger(const QString &section, const QString &key, int value);
void WriteFormString(const QString &section, const QString &key, const QString &value);

// The integers of a stored text whose words are separated by commas or blanks ("10,20, 30 40");
// a word that is not an integer, or a missing one, has no value.
std::vector<std::optional<int>> ParseFormWords(const QString &text, int count);

// ---- Window placement -------------------------------------------------------------------------

// Show states as the store keeps them in "ShowCmd".
enum FormShowCmd : int { ShowCmdNormal = 1, ShowCmdMinimized = 2, ShowCmdMaximized = 3 };

// What the store keeps of a window's placement. The normal rectangle is the window's geometry when
// it is neither minimised nor maximised; it is written as left, top, right, bottom with right and
// bottom just outside the window (left + width, top + height).
struct FormPlacement {
    int flags = 0;
    int showCmd = ShowCmdNormal;
    int pixelsPerInch = 96;
    QPoint minPosition{-1, -1};
    QPoint maxPosition{-1, -1};
    QRect normalRect;
};

// The window state a stored show command asks for: 1, 5, 9 normal; 2, 6, 7 minimised; 3 maximised;
// any other value keeps the default.
enum class FormWindowState { Normal, Minimized, Maximized };
FormWindowState ShowCmdToWindowState(int showCmd, FormWindowState defaultState);

// Writes "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos", "MinMaxPos_<W>x<H>", "NormPos" and
// "NormPos_<W>x<H>" for the screen size given (the caller saves the store).
void WriteFormPlacement(FormStore &store, const QString &section, const FormPlacement &placement, QSize screenSize);

// The stored normal rectangle for this screen size: the size-specific key first, then the general one;
// a missing or bad word takes its value from the current rectangle. Nothing when no placement is
// stored, when it was saved at another screen density, or when the stored rectangle is empty.
std::optional<QRect> ReadFormNormalRect(const FormStore &store, const QString &section, QSize screenSize,
                                        int pixelsPerInch, const QRect &current);
// The stored "ShowCmd", 0 when there is none.
int ReadFormShowCmd(const FormStore &store, const QString &section);

// ---- List and grid layouts ---------------------------------------------------------------------

// The layout of a list or grid as the store keeps it under its component name.
struct ListLayout {
    bool gridLines = false;
    bool multiSelect = false;
    bool sortable = false;     // only a sortable list keeps its sort
    int sortColumn = -1;       // -1: not sorted
    int sortDirection = 0;     // 0 ascending, 1 descending
    std::vector<int> columnWidths;
};

// Writes "<name>.GridLines" and "<name>.MultiSelect" (withFlags), "<name>.SortType" ("col,dir",
// sortable lists only) and "<name>.Column<N>" for every column (the caller saves the store).
void WriteListLayout(FormStore &store, const QString &section, const QString &name, const ListLayout &layout,
                     bool withFlags);
// Writes only the "<name>.Column<N>" widths, as a grid keeps them.
void WriteGridLayout(FormStore &store, const QString &section, const QString &name,
                     const std::vector<int> &columnWidths);

// Reads the stored layout over the current one. A stored sort column outside the list's columns
// (a file from a list that had more columns) or a direction other than 0 or 1 is ignored, and so is a
// width that is negative or absurdly large.
ListLayout ReadListLayout(const FormStore &store, const QString &section, const QString &name,
                          const ListLayout &current, bool withFlags);
std::vector<int> ReadGridLayout(const FormStore &store, const QString &section, const QString &name,
                                const std::vector<int> &currentWidths);
