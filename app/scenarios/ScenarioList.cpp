#include "app/scenarios/ScenarioList.h"

#include "common/AtomicFile.h"
#include "common/BusyCursor.h"
#include "common/Cp1251.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/ProgramFiles.h"
#include "common/RegularFile.h"
#include "lottery/ScenarioKeywords.h"
#include "lottery/ScenarioLine.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// How much of a refused line the message quotes.
constexpr int kQuotedLineLength = 80;

QString ReadErrorText(const QString &fileName, const QString &reason)
{
    return Format(u"Ошибка чтения файла \"%s\"!\r\r%s", {fileName, reason});
}

QString WriteErrorText(const QString &fileName, const QString &reason)
{
    return Format(u"Ошибка записи в файл \"%s\"!\r\r%s", {fileName, reason});
}

[[noreturn]] void RaiseIndexError(int index)
{
    throw Exception(Format(u"Запись со индексом %d в файле данных не найдена!", {index}));
}

bool IsControl(QChar c)
{
    return (c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7F;
}

struct StatusReset {
    ~StatusReset() { SetStatusText({}); }
};

// A free name beside the file for a copy of it: "<name>.bad", then "<name>.bad2", ...
QString FreeCopyName(const QString &fileName)
{
    QString name = fileName + u".bad"_s;
    for (int i = 2; QFileInfo::exists(name); ++i)
        name = fileName + u".bad"_s + QString::number(i);
    return name;
}

} // namespace

// ---- Text ----

bool IsScenarioSeparator(const QString &line)
{
    return line.trimmed().isEmpty();
}

bool HasUnknownScenarioSource(const QString &line)
{
    if (IsScenarioSeparator(line))
        return false;
    // The header is read from its first "#"-word, which names the source of the starting list.
    const QString header = ScenarioLineHeader(line);
    return SourceKeywordAtStart(ScenarioWord(1, header, u"#").trimmed()) < 0;
}

bool IsScenarioLineText(const QString &line)
{
    if (IsScenarioSeparator(line))
        return true;
    if (std::any_of(line.cbegin(), line.cend(), IsControl))
        return false;
    // A line of another kind of text has neither a known source nor the fields of a scenario line.
    return !HasUnknownScenarioSource(line) || line.contains(u'|');
}

QString NormalizeScenarioLine(const QString &line)
{
    QString text = Cp1251::canEncode(line) ? line : Cp1251::decode(Cp1251::encode(line));
    for (QChar &c : text)
        if (IsControl(c))
            c = u' ';
    return text;
}

QStringList SplitScenarioText(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.mid(start));
    return lines;
}

QByteArray ScenarioFileBytes(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += Cp1251::encode(line);
        bytes += "\r\n";
    }
    return bytes;
}

QStringList ParseScenarioText(const QString &text, int *unknownSources)
{
    QStringList lines = SplitScenarioText(text);
    int unknown = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!IsScenarioLineText(lines[i])) {
            QString quoted = lines[i].left(kQuotedLineLength);
            for (QChar &c : quoted)
                if (IsControl(c))
                    c = u'?';
            if (lines[i].size() > kQuotedLineLength)
                quoted += u"..."_s;
            throw EConvertError(
                Format(u"Строка %d не является строкой сценария:\r%s", {static_cast<long long>(i + 1), quoted}));
        }
        if (HasUnknownScenarioSource(lines[i]))
            ++unknown;
        lines[i] = NormalizeScenarioLine(lines[i]);
    }
    if (unknownSources)
        *unknownSources = unknown;
    return lines;
}

// ---- The list ----

TScenarioList::TScenarioList(QObject *parent) : QObject(parent) {}

QString TScenarioList::GetLine(int index) const
{
    if (index < 0 || index >= count())
        RaiseIndexError(index);
    return m_lines.at(index);
}

int TScenarioList::AddLine(const QString &text)
{
    return AddLines({text});
}

int TScenarioList::AddLines(const QStringList &lines)
{
    const int first = count();
    for (const QString &line : lines)
        m_lines.append(NormalizeScenarioLine(line));
    changed();
    return first;
}

void TScenarioList::SetLine(int index, const QString &text)
{
    if (index < 0 || index >= count())
        RaiseIndexError(index);
    m_lines[index] = NormalizeScenarioLine(text);
    changed();
}

void TScenarioList::DeleteLines(std::vector<int> indexes)
{
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it)
        if (*it >= 0 && *it < count())
            m_lines.removeAt(*it);
    changed();
}

void TScenarioList::Clear()
{
    m_lines.clear();
    changed();
}

void TScenarioList::ExchangeLines(int a, int b)
{
    if (a < 0 || a >= count())
        RaiseIndexError(a);
    if (b < 0 || b >= count())
        RaiseIndexError(b);
    m_lines.swapItemsAt(a, b);
    changed();
}

void TScenarioList::ReplaceLines(const QStringList &lines)
{
    m_lines.clear();
    for (const QString &line : lines)
        m_lines.append(NormalizeScenarioLine(line));
    changed();
}

void TScenarioList::changed()
{
    emit linesChanged();
    SaveScenarioList();
}

// ---- Files ----

QString TScenarioList::ListFileName()
{
    return ProgramFilePath(u"Vendra.lss"_s);
}

QStringList TScenarioList::ReadScenarioFile(const QString &fileName, int *unknownSources)
{
    const QByteArray bytes = ReadRegularFile(fileName, FileBounds::kScenario);
    try {
        return ParseScenarioText(DecodeTextFile(bytes), unknownSources);
    } catch (const EConvertError &e) {
        NoteFileReadFailure();
        throw EInOutError(ReadErrorText(fileName, e.message()));
    }
}

void TScenarioList::WriteScenarioFile(const QString &fileName, const QStringList &lines, TNamedBy namedBy)
{
    try {
        WriteNamedFile(namedBy, fileName, ScenarioFileBytes(lines));
    } catch (const EFileWriteError &e) {
        throw EInOutError(WriteErrorText(fileName, e.reason()));
    }
}

bool TScenarioList::LoadScenarioFile(const QString &fileName, bool append)
{
    BusySection busy;
    StatusReset reset;
    SetStatusText(Format(u"Загрузка файла \"%s\"...", {fileName}));
    QStringList read;
    int unknownSources = 0;
    try {
        read = ReadScenarioFile(fileName, &unknownSources);
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
        return false;
    }
    if (unknownSources > 0)
        ShowWarningBox(Format(u"В файле \"%s\" строк с неизвестным видом начального списка комбинаций: %d.\r\r"
                              u"Эти строки будут выполняться с полным набором комбинаций (FULL), а при неизвестном "
                              u"способе выбора ставок - со случайным выбором (RAND).",
                              {fileName, unknownSources}));
    if (!append || m_lines.isEmpty()) {
        m_lines = std::move(read);
    } else if (!read.isEmpty()) {
        if (!IsScenarioSeparator(m_lines.constLast()))
            m_lines.append(QString());
        m_lines.append(read);
    }
    emit linesChanged();
    return true;
}

bool TScenarioList::SaveScenarioFile(const QString &fileName, TNamedBy namedBy)
{
    BusySection busy;
    StatusReset reset;
    SetStatusText(Format(u"Сохранение файла \"%s\"...", {fileName}));
    try {
        WriteScenarioFile(fileName, m_lines, namedBy);
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
        return false;
    }
    return true;
}

void TScenarioList::LoadScenarioList()
{
    const QString fileName = ListFileName();
    if (!QFileInfo::exists(fileName))
        return;
    if (!LoadScenarioFile(fileName, false))
        m_holdListFile = true;
}

bool TScenarioList::SaveScenarioList()
{
    const QString fileName = ListFileName();
    // The file that could not be read at start-up may hold the player's work: a copy of it stays beside
    // the new list.
    if (m_holdListFile && QFileInfo::exists(fileName)) {
        const QString copy = FreeCopyName(fileName);
        try {
            CopyRegularFile(fileName, copy, FileBounds::kScenario);
            m_heldCopy = copy;
            ShowInfoBox(Format(u"Прежний файл сценария \"%s\", который не удалось прочитать, сохранен под именем \"%s\".",
                               {fileName, copy}));
        } catch (const EFileReadError &e) {
            // A FIFO, a device or a folder holds no lines of the player's: it is not copied, and the new
            // list takes its name (a folder refuses that, and the save says so).
            if (!IsIrregularFile(fileName)) {
                ShowErrorBox(WriteErrorText(
                    fileName, Format(u"Не удалось сохранить копию прежнего файла под именем \"%s\".\r\r%s",
                                     {copy, e.reason()})));
                return false;
            }
            ShowWarningBox(Format(u"Прежний файл сценария \"%s\" не удалось прочитать: %s Копия этого файла не "
                                  u"сделана.",
                                  {fileName, e.reason()}));
        } catch (const Exception &e) {
            ShowErrorBox(WriteErrorText(
                fileName, Format(u"Не удалось сохранить копию прежнего файла под именем \"%s\".\r\r%s",
                                 {copy, e.message()})));
            return false;
        }
    }
    m_holdListFile = false;
    return SaveScenarioFile(fileName, TNamedBy::Program);
}
