#include "online/SystemsFolder.h"

#include "common/RegularFile.h"
#include "common/AtomicFile.h"
#include "common/Cp1251.h"
#include "common/Exception.h"
#include "common/FileProcs.h"
#include "common/Format.h"
#include "common/ProgramFiles.h"
#include "common/SysUtils.h"
#include "common/TempFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

bool isSeparator(QChar c)
{
    static constexpr char16_t kSeparators[] = u" *+,-./:;=\\_|~\t";
    for (char16_t s : kSeparators)
        if (s && c == QChar(s))
            return true;
    return false;
}

struct TFoundFile {
    QString path;
    QString name;
    int64_t time = 0;
};

std::vector<TFoundFile> filesFor(int nums, const QString &folder)
{
    std::vector<TFoundFile> found;
    const QString mask = SystemFileNameMask(nums);
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries)
        if (MatchesMask(entry.fileName(), mask))
            found.push_back({entry.filePath(), entry.fileName(), SystemFileTime(entry.filePath())});
    std::sort(found.begin(), found.end(), [](const TFoundFile &a, const TFoundFile &b) {
        return a.time != b.time ? a.time > b.time : a.name < b.name;
    });
    return found;
}

QString readTextFile(const QString &path)
{
    return DecodeTextFile(ReadRegularFile(path, FileBounds::kText));
}

} // namespace

QString SystemsFolder()
{
    return GetProgramFolder() + u"Systems"_s;
}

QString SystemFileName(const tSystemInfo &system)
{
    return Format(u"%d-%.2d-%d_%.4d.dat", {kSystemCombLength, static_cast<int>(system.nums),
                                           static_cast<int>(system.olap), system.id});
}

QString SystemFileNameMask(int nums)
{
    return Format(u"%d-%.2d-*_*.dat", {kSystemCombLength, nums});
}

QString SystemFileMask(int nums)
{
    return SystemsFolder() + u'/' + SystemFileNameMask(nums);
}

QString SystemFilePath(const tSystemInfo &system)
{
    return SystemsFolder() + u'/' + SystemFileName(system);
}

bool SystemFileExists(const tSystemInfo &system)
{
    return !system.isPlaceholder() && LongFileExists(SystemFilePath(system));
}

bool DeleteSystemFile(const tSystemInfo &system)
{
    // Nothing is deleted through a linked folder.
    const TCacheFolder folder = TCacheFolder::existing(SystemsFolder());
    return folder.isOpen() ? folder.remove(SystemFileName(system)) : !LongFileExists(SystemFilePath(system));
}

QStringList SystemFilesFor(int nums, const QString &folder)
{
    QStringList paths;
    for (const TFoundFile &file : filesFor(nums, folder))
        paths << file.path;
    return paths;
}

QStringList DeleteOtherSystemFiles(const tSystemInfo &system)
{
    QStringList failed;
    const QString own = SystemFileName(system);
    const TCacheFolder folder = TCacheFolder::existing(SystemsFolder());
    for (const TFoundFile &file : filesFor(system.nums, SystemsFolder()))
        if (file.name != own && !folder.remove(file.name))
            failed << file.path;
    return failed;
}

int64_t SystemFileTime(const QString &path)
{
    struct stat st{};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return -1;
    return static_cast<int64_t>(st.st_mtim.tv_sec);
}

int64_t UtcToUnixSeconds(TDateTime utc)
{
    // Days since 1899-12-30; 25569 days lie between it and 1970-01-01.
    return std::llround((utc - 25569.0) * 86400.0);
}

bool SystemFileChanged(const tSystemInfo &system)
{
    if (system.created == 0)
        return false;
    const int64_t time = SystemFileTime(SystemFilePath(system));
    return time >= 0 && time != UtcToUnixSeconds(system.created);
}

QStringList SplitSystemLines(const QString &text)
{
    QString normal = text;
    normal.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    if (normal.isEmpty())
        return {};
    if (normal.endsWith(u'\n'))
        normal.chop(1);
    return normal.split(u'\n');
}

void WriteSystemFile(const tSystemInfo &system, const QStringList &lines)
{
    const TCacheFolder folder = TCacheFolder::open(SystemsFolder());
    const QString path = SystemFilePath(system);
    QString text;
    for (const QString &line : lines)
        text += line + u"\r\n";
    TExclusiveTempFile file = folder.create(SystemFileName(system));
    file.write(Cp1251::encode(text));

    // What reached the disk is what will be played: count it again.
    const qsizetype written = SplitSystemLines(readTextFile(file.path())).size();
    if (written != lines.size())
        throw EInOutError(Format(u"Файл системы \"%s\" записан не полностью: %d строк из %d.",
                                 {path, static_cast<int>(written), static_cast<int>(lines.size())}));
    // Dated before it takes its name: a run killed at any point never leaves a new file dated now,
    // which the next list would take for the catalogue's system.
    if (system.created != 0) {
        struct timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_NOW;
        times[1].tv_sec = static_cast<time_t>(UtcToUnixSeconds(system.created));
        times[1].tv_nsec = 0;
        if (::futimens(file.handle(), times) != 0)
            throw EInOutError(Format(u"Ошибка изменения времени создания файла: %s",
                                     {SystemErrorString(errno)}));
    }
    file.commit();
}

QStringList SystemLineWords(QStringView line)
{
    QStringList words;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        const bool sep = i == line.size() || isSeparator(line[i]);
        if (!sep && start < 0)
            start = i;
        if (sep && start >= 0) {
            const QString word = line.mid(start, i - start).trimmed().toString();
            if (!word.isEmpty())
                words << word;
            start = -1;
        }
    }
    return words;
}

bool ParseSystemLine(QStringView line, int nums, std::array<uint8_t, kSystemCombLength> &positions)
{
    const QStringList words = SystemLineWords(line);
    if (words.size() != kSystemCombLength)
        return false;
    for (int k = 0; k < kSystemCombLength; ++k) {
        bool ok = false;
        const int p = words[k].toInt(&ok);
        if (!ok || p < 1 || p > nums || p > kSystemMaxNums)
            return false;
        for (int j = 0; j < k; ++j)
            if (positions[static_cast<size_t>(j)] == p)
                return false;
        positions[static_cast<size_t>(k)] = static_cast<uint8_t>(p);
    }
    return true;
}

TSystemExpansion ExpandSystemLines(const QStringList &lines, const std::vector<uint8_t> &numbers)
{
    TSystemExpansion result;
    const int n = static_cast<int>(numbers.size());
    result.combs.reserve(static_cast<size_t>(lines.size()));
    std::array<uint8_t, kSystemCombLength> positions{};
    for (const QString &line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        if (!ParseSystemLine(line, n, positions)) {
            ++result.badLines;
            continue;
        }
        TSystemComb comb{};
        for (int k = 0; k < kSystemCombLength; ++k)
            comb[static_cast<size_t>(k)] = numbers[positions[static_cast<size_t>(k)] - 1u];
        result.combs.push_back(comb);
    }
    return result;
}

TSystemExpansion FindSystemForNumbers(const std::vector<uint8_t> &numbers)
{
    return FindSystemForNumbers(numbers, SystemsFolder());
}

TSystemExpansion FindSystemForNumbers(const std::vector<uint8_t> &numbers, const QString &folder)
{
    const int n = static_cast<int>(numbers.size());
    TSystemExpansion result;
    std::array<bool, kSystemMaxNums + 1> seen{};
    for (uint8_t number : numbers) {
        if (number < 1 || number > kSystemMaxNums || seen[number]) {
            result.error = Format(u"Некорректный набор чисел для системной игры: число %d повторяется или "
                                  u"выходит за пределы 1..%d!",
                                  {static_cast<int>(number), kSystemMaxNums});
            return result;
        }
        seen[number] = true;
    }
    const QStringList files = n > kSystemMaxNums ? QStringList() : SystemFilesFor(n, folder);
    if (files.isEmpty()) {
        result.error = SystemNotFoundText(n);
        return result;
    }
    const QString path = files.front();
    QString text;
    try {
        text = readTextFile(path);
    } catch (const Exception &e) {
        result.error = e.message();
        result.path = path;
        return result;
    }
    result = ExpandSystemLines(SplitSystemLines(text), numbers);
    result.path = path;
    if (result.combs.empty())
        result.error = Format(u"Файл системы \"%s\" не содержит ни одной правильной строки для %d чисел!", {path, n});
    return result;
}

QString SystemNotFoundText(int nums)
{
    return Format(u"Система для %d чисел не найдена или не загружена на компьютер!", {nums});
}

QString SystemNotFoundBoxText(int nums)
{
    return Format(u"Система для %d чисел не найдена или не загружена на компьютер!\r\rПеред системной игрой "
                  u"необходимо предварительно загрузить системы на Ваш компьютер через меню \"Системы\" - "
                  u"\"Загрузить\".",
                  {nums});
}
