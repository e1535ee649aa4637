#include "common/FormStore.h"

#include "common/AtomicFile.h"
#include "common/Cp1251.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/ProgramFiles.h"
#include "common/TextUtils.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
// A column wider than this is a damaged value, not a layout.
constexpr int kMaxColumnWidth = 20000;

QString SizeKey(const char16_t *key, QSize screenSize)
{
    return Format(u"%s_%dx%d", {QString::fromUtf16(key), screenSize.width(), screenSize.height()});
}

QString FourNumbers(int a, int b, int c, int d)
{
    return Format(u"%d,%d,%d,%d", {a, b, c, d});
}

// The size-specific key's text when it has one, else the general key's.
QString ReadSizedText(const FormStore &store, const QString &section, const char16_t *key, QSize screenSize)
{
    QString text = store.readString(section, SizeKey(key, screenSize)).trimmed();
    if (text.isEmpty())
        text = store.readString(section, QString::fromUtf16(key)).trimmed();
    return text;
}

QString ColumnKey(const QString &name, int column)
{
    return Format(u"%s.Column%d", {name, column});
}

std::vector<int> ReadWidths(const FormStore &store, const QString &section, const QString &name,
                            const std::vector<int> &current)
{
    std::vector<int> widths = current;
    for (size_t i = 0; i < widths.size(); ++i) {
        const int w = store.readInteger(section, ColumnKey(name, static_cast<int>(i)), widths[i]);
        if (w >= 0 && w <= kMaxColumnWidth)
            widths[i] = w;
    }
    return widths;
}
} // namespace

FormStore::FormStore() : FormStore(GetFormFileName()) {}

FormStore::FormStore(const QString &fileName) : m_ini(fileName) {}

bool FormStore::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return m_ini.readBool(section, key, defaultValue);
}

int FormStore::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    return m_ini.readInteger(section, key, defaultValue);
}

QString FormStore::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    return m_ini.readString(section, key, defaultValue);
}

bool FormStore::valueExists(const QString &section, const QString &key) const
{
    return m_ini.valueExists(section, key);
}

bool FormStore::sectionExists(const QString &section) const
{
    return m_ini.sectionExists(section);
}

void FormStore::writeBool(const QString &section, const QString &key, bool value)
{
    m_ini.writeBool(section, key, value);
}

void FormStore::writeInteger(const QString &section, const QString &key, int value)
{
    m_ini.writeInteger(section, key, value);
}

void FormStore::writeString(const QString &section, const QString &key, const QString &value)
{
    m_ini.writeString(section, key, value);
}

void FormStore::save()
{
    m_ini.updateFile();
}

QString FormSection(const QString &className, bool mdiChild)
{
    return mdiChild ? className + u".MDIChildren" : className;
}

bool ReadFormBool(const QString &section, const QString &key, bool defaultValue)
{
    return FormStore().readBool(section, key, defaultValue);
}

int ReadFormInteger(const QString &section, const QString &key, int defaultValue)
{
    return FormStore().readInteger(section, key, defaultValue);
}

QString ReadFormString(const QString &section, const QString &key, const QString &defaultValue)
{
    return FormStore().readString(section, key, defaultValue);
}

void WriteFormBool(const QString &section, const QString &key, bool value)
{
    FormStore store;
    store.writeBool(section, key, value);
    store.save();
}

void WriteFormInteger(const QString &section, const QString &key, int value)
{
    FormStore store;
    store.writeInteger(section, key, value);
    store.save();
}

void WriteFormString(const QString &section, const QString &key, const QString &value)
{
    FormStore store;
    store.writeString(section, key, value);
    store.save();
}

std::vector<std::optional<int>> ParseFormWords(const QString &text, int count)
{
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    const QStringList words = text.trimmed().split(separators, Qt::SkipEmptyParts);
    std::vector<std::optional<int>> out(static_cast<size_t>(std::max(count, 0)));
    for (size_t i = 0; i < out.size() && i < static_cast<size_t>(words.size()); ++i) {
        bool ok = false;
        const int v = TextToIntDef(words[static_cast<qsizetype>(i)], 0, &ok);
        if (ok)
            out[i] = v;
    }
    return out;
}

FormWindowState ShowCmdToWindowState(int showCmd, FormWindowState defaultState)
{
    switch (showCmd) {
    case 1:
    case 5:
    case 9:
        return FormWindowState::Normal;
    case 2:
    case 6:
    case 7:
        return FormWindowState::Minimized;
    case 3:
        return FormWindowState::Maximized;
    default:
        return defaultState;
    }
}

void WriteFormPlacement(FormStore &store, const QString &section, const FormPlacement &placement, QSize screenSize)
{
    const QRect &r = placement.normalRect;
    const QString minMax = FourNumbers(placement.minPosition.x(), placement.minPosition.y(),
                                       placement.maxPosition.x(), placement.maxPosition.y());
    const QString norm = FourNumbers(r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
    store.writeInteger(section, QStringLiteral("Flags"), placement.flags);
    store.writeInteger(section, QStringLiteral("ShowCmd"), placement.showCmd);
    store.writeInteger(section, QStringLiteral("PixelsPerInch"), placement.pixelsPerInch);
    store.writeString(section, QStringLiteral("MinMaxPos"), minMax);
    store.writeString(section, SizeKey(u"MinMaxPos", screenSize), minMax);
    store.writeString(section, QStringLiteral("NormPos"), norm);
    store.writeString(section, SizeKey(u"NormPos", screenSize), norm);
}

std::optional<QRect> ReadFormNormalRect(const FormStore &store, const QString &section, QSize screenSize,
                                        int pixelsPerInch, const QRect &current)
{
    const QString minMax = ReadSizedText(store, section, u"MinMaxPos", screenSize);
    const QString norm = ReadSizedText(store, section, u"NormPos", screenSize);
    if (norm.isEmpty() && minMax.isEmpty())
        return std::nullopt;
    // A placement saved at another screen density would come out at the wrong size.
    if (store.readInteger(section, QStringLiteral("PixelsPerInch"), pixelsPerInch) != pixelsPerInch)
        return std::nullopt;
    const auto words = ParseFormWords(norm, 4);
    const int left = words[0].value_or(current.x());
    const int top = words[1].value_or(current.y());
    const int right = words[2].value_or(current.x() + current.width());
    const int bottom = words[3].value_or(current.y() + current.height());
    if (right <= left || bottom <= top)
        return std::nullopt;
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

int ReadFormShowCmd(const FormStore &store, const QString &section)
{
    return store.readInteger(section, QStringLiteral("ShowCmd"), 0);
}

void WriteListLayout(FormStore &store, const QString &section, const QString &name, const ListLayout &layout,
                     bool withFlags)
{
    if (withFlags) {
        store.writeBool(section, name + u".GridLines", layout.gridLines);
        store.writeBool(section, name + u".MultiSelect", layout.multiSelect);
    }
    if (layout.sortable)
        store.writeString(section, name + u".SortType", Format(u"%d,%d", {layout.sortColumn, layout.sortDirection}));
    WriteGridLayout(store, section, name, layout.columnWidths);
}

void WriteGridLayout(FormStore &store, const QString &section, const QString &name,
                     const std::vector<int> &columnWidths)
{
    for (size_t i = 0; i < columnWidths.size(); ++i)
        store.writeInteger(section, ColumnKey(name, static_cast<int>(i)), columnWidths[i]);
}

ListLayout ReadListLayout(const FormStore &store, const QString &section, const QString &name,
                          const ListLayout &current, bool withFlags)
{
    ListLayout layout = current;
    if (withFlags) {
        layout.gridLines = store.readBool(section, name + u".GridLines", current.gridLines);
        layout.multiSelect = store.readBool(section, name + u".MultiSelect", current.multiSelect);
    }
    if (current.sortable) {
        const QString sortType = store.readString(section, name + u".SortType").trimmed();
        if (!sortType.isEmpty()) {
            const auto words = ParseFormWords(sortType, 2);
            const int columns = static_cast<int>(current.columnWidths.size());
            if (words[0] && *words[0] >= -1 && *words[0] < columns)
                layout.sortColumn = *words[0];
            if (words[1] && (*words[1] == 0 || *words[1] == 1))
                layout.sortDirection = *words[1];
        }
    }
    layout.columnWidths = ReadWidths(store, section, name, current.columnWidths);
    return layout;
}

std::vector<int> ReadGridLayout(const FormStore &store, const QString &section, const QString &name,
                                const std::vector<int> &currentWidths)
{
    return ReadWidths(store, section, name, currentWidths);
}
