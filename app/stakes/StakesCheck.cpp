#include "app/stakes/StakesCheck.h"

#include "common/RegularFile.h"
#include "common/SysUtils.h"
#include "common/BusyCursor.h"
#include "common/Cp1251.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/FileProcs.h"
#include "common/Format.h"
#include "common/ProgramFiles.h"
#include "common/Translate.h"
#include "lottery/DrawTexts.h"
#include "lottery/NumberGeometry.h"
#include "app/draws/DrawsArchive.h"
#include "app/stakes/StakesFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString LogFolder(const QString &folder)
{
    return folder.isEmpty() ? GetProgramFolder() : folder;
}

QString JoinBytes(const uint8_t *numbers, int count, QStringView separator)
{
    QString text;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += separator;
        text += QString::number(numbers[i]);
    }
    return text;
}

} // namespace

bool IsCheckableStake(const TStakeRec &rec)
{
    return !rec.isChecked() && rec.drawNumber > 0 && ValidStakeNumbers(rec.numbers);
}

void CheckStakeAgainstDraw(TStakeRec &rec, const TDrawRec &draw, const TConfigData &config)
{
    rec.checked = 1;
    rec.drawNumbers = draw.main;
    rec.matches = DrawNumSetHits(draw, rec.numbers);
    rec.profit = StakeProfit(config, NumSetCount(rec.numbers), rec.matches.count);
}

QString StakeLogFileName(int matches, const QString &folder)
{
    return LogFolder(folder) + Format(u"Vendra-%d.log", {matches});
}

QString StakeLogLine(const TStakeRec &rec, const QDateTime &time)
{
    return time.toString(u"yyyy.MM.dd HH:mm:ss"_s) + u": "_s
        + Format(u"Тираж № %s. Ставка: \"%s\" [%s] {%d}. Результаты тиража: [%s]. Совпадений: %d. Профит: %s.",
                 {QString::number(rec.drawNumber), rec.comment(), NumSetToText(rec.numbers, u";"),
                  rec.sampleSize, JoinBytes(rec.drawNumbers.data(), kMainCount, u";"), rec.matchCount(),
                  MoneyText(rec.profit)});
}

void WriteStakeLog(const TStakeRec &rec, const TStakeLogOptions &options)
{
    if (!options.enabled || !rec.isChecked())
        return;
    const QString fileName = StakeLogFileName(rec.matchCount(), options.folder);
    const QFileInfo info(fileName);
    if (info.exists() && info.size() > options.sizeLimit) {
        if (::unlink(QFile::encodeName(fileName).constData()) != 0)
            ShowErrorBox(Format(u"Ошибка удаления файла \"%s\"!\r\r%s", {fileName, SystemErrorString(errno)}));
    }
    const QDateTime time = options.now ? options.now() : QDateTime::currentDateTime();
    const QByteArray line = Cp1251::encode(StakeLogLine(rec, time)) + "\r\n";
    // Never blocks on a FIFO nor writes through a link of the log's name.
    try {
        AppendToRegularFile(fileName, line);
    } catch (const EInOutError &e) {
        ShowErrorBox(e.message());
    }
}

void DeleteStakeLogs(const QString &folder)
{
    const QString dir = LogFolder(folder);
    DeleteLogFiles(dir, QFileInfo(StakeLogFileName(0, dir)).fileName().replace(u"0"_s, u"*"_s));
}

void DeleteLogFiles(const QString &folder, const QString &mask)
{
    QString dir = folder;
    if (!dir.endsWith(u'/'))
        dir += u'/';
    if (QDir(dir).entryList({mask}, QDir::Files).isEmpty()) {
        ShowInfoBox(Tr(u"Файлы журналов не найдены!"));
        return;
    }
    BusySection busy;
    SetStatusText(Tr(u"Поиск файлов журналов..."));
    TQfoContext ctx;
    TQOperation op;
    DeleteFilesByMask(dir + mask, 0, ctx, op);
    QString details;
    for (const TQTransaction &step : op.steps)
        details += (details.isEmpty() ? QString() : u"\r"_s) + TransactionText(step);
    const QString text = op.detail + u"\r\r"_s + details;
    if (op.errors == 0 && op.warnings == 0)
        ShowInfoBox(text);
    else
        ShowWarningBox(text);
    SetStatusText(QString());
}

bool CheckStakes(TStakesFile &file, const TStakeCheckContext &ctx)
{
    bool result = false;
    BusySection busy;
    SetStatusText(Tr(u"Проверка результатов ставок..."));
    try {
        const int64_t records = file.count();
        if (records > 0) {
            int64_t total = records;
            int64_t step = std::max<int64_t>(1, total / 100);
            int64_t firstCheckable = -1;
            file.forEachRecord(0, [&](int64_t index, const TStakeRec &read) {
                if (IsCheckableStake(read)) {
                    if (firstCheckable < 0) {
                        firstCheckable = index;
                        total = records - (index + 1);
                        step = std::max<int64_t>(1, total / 100);
                    }
                    const int drawIndex = ctx.draws ? FindDrawIndex(*ctx.draws, read.drawNumber) : -1;
                    if (drawIndex >= 0) {
                        TStakeRec rec = read;
                        CheckStakeAgainstDraw(rec, (*ctx.draws)[static_cast<size_t>(drawIndex)], *ctx.config);
                        // The record is written first: a stake reaches the ratings and the log only once
                        // it is stored as checked, so it is never counted twice.
                        file.writeRecord(index, rec);
                        result = true;
                        if (ctx.ratings)
                            AddRatingResult(*ctx.ratings, rec.comment(), rec.matchCount(), rec.profit);
                        WriteStakeLog(rec, ctx.log);
                    }
                }
                if (firstCheckable >= 0) {
                    const int64_t done = index - firstCheckable;
                    if (done > 0 && total > 0 && done % step == 0)
                        SetStatusText(Format(u"Проверка результатов ставок ( завершено %.0f %% )...",
                                             {static_cast<double>(done) * 100.0 / static_cast<double>(total)}));
                }
                return true;
            });
        }
    } catch (const Exception &e) {
        ShowErrorBox(Format(u"Ошибка проверки ставок!\r\r%s", {e.message()}));
    }
    SetStatusText(QString());
    return result;
}

bool CheckStakesAndRefresh(TStakesFile &file, const TStakeCheckContext &ctx,
                           const std::function<void()> &ratingsChanged)
{
    if (!CheckStakes(file, ctx))
        return false;
    file.reopen();
    if (ratingsChanged)
        ratingsChanged();
    return true;
}
