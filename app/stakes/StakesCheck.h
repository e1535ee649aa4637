#pragma once

#include "lottery/DrawTypes.h"
#include "lottery/Ratings.h"
#include "app/stakes/StakeRecord.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>

class TStakesFile;

// A stake that can be checked: not checked yet, for a real draw, with 6..8 different numbers 1..45
// (separator rows, short stakes and damaged records never are).
bool IsCheckableStake(const TStakeRec &rec);

// Fills in the result of a checkable stake against its draw: checked flag, the draw's six main numbers
// in drawn order, the matched numbers ascending (the supplementary numbers play no part) and the profit.
void CheckStakeAgainstDraw(TStakeRec &rec, const TDrawRec &draw, const TConfigData &config);

// ---- Stake logs "Vendra-%d.log" (one per number of matches), Windows-1251 with CR LF ----
inline constexpr int64_t kStakeLogSizeLimit = 268435456;

struct TStakeLogOptions {
    bool enabled = false;
    // The folder of the logs with a trailing "/"; the program's folder when empty.
    QString folder;
    // A log larger than this is started anew.
    int64_t sizeLimit = kStakeLogSizeLimit;
    // The time stamp of a line; the local time when not set.
    std::function<QDateTime()> now;
};

QString StakeLogFileName(int matches, const QString &folder = {});
// The line of a checked stake, without the line end:
// "yyyy.mm.dd hh:nn:ss: Тираж № ... Профит: -12.50."
QString StakeLogLine(const TStakeRec &rec, const QDateTime &time);
// Appends the line of a checked stake to its log when logging is on; failures are shown and never stop
// the caller.
void WriteStakeLog(const TStakeRec &rec, const TStakeLogOptions &options);
// Deletes every stake log in the folder with its report; "Файлы журналов не найдены!" when there is none.
void DeleteStakeLogs(const QString &folder = {});
// Deletes the log files of the folder that match the mask ("Vendra-*.log", "ScriptLog_*.txt") and
// shows the report: an information box when every file went, else a warning box; "Файлы журналов не
// найдены!" when no file matches.
void DeleteLogFiles(const QString &folder, const QString &mask);

// ---- Checking ----
struct TStakeCheckContext {
    const TDrawsArray *draws = nullptr;
    const TConfigData *config = nullptr;
    // The ratings that receive every checked stake under its comment (none when null).
    TRatingsArray *ratings = nullptr;
    TStakeLogOptions log;
};

// Checks every checkable stake whose draw is in the archive, writing each back in place. True when at
// least one stake was checked, also when a failure stopped the pass later (those stakes are written and
// counted in the ratings, so the caller must still save them). A failure shows
// "Ошибка проверки ставок!\r\r%s".
bool CheckStakes(TStakesFile &file, const TStakeCheckContext &ctx);
// CheckStakes, and when something was checked, reopens the stakes file and calls ratingsChanged (which
// sorts and saves the ratings). The caller refreshes the stakes list.
bool CheckStakesAndRefresh(TStakesFile &file, const TStakeCheckContext &ctx,
                           const std::function<void()> &ratingsChanged);
