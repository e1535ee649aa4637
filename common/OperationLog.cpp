#include "common/OperationLog.h"

#include "common/BusyCursor.h"
#include "common/Format.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace {

LogViewerHook &viewerHook()
{
    static LogViewerHook hook;
    return hook;
}

QString timeText(TDateTime value)
{
    return DateTimeToQDateTime(value).toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

void raiseKind(TQOperation &op, TQMsgKind kind)
{
    if (op.kind < kind)
        op.kind = kind;
}

} // namespace

QString MsgKindName(TQMsgKind kind)
{
    switch (kind) {
    case MSG_HEADER: return QStringLiteral("HEADER");
    case MSG_INFO: return QStringLiteral("INFO");
    case MSG_OK: return QStringLiteral("OK");
    case MSG_SKIP: return QStringLiteral("SKIP");
    case MSG_WARNING: return QStringLiteral("WARNING");
    case MSG_ERROR: return QStringLiteral("ERROR");
    case MSG_STOP: return QStringLiteral("STOP");
    }
    return QStringLiteral("#ERROR#");
}

uint32_t MsgKindColor(TQMsgKind kind)
{
    switch (kind) {
    case MSG_HEADER: return 0x000000;
    case MSG_INFO: return 0x008000;
    case MSG_OK: return 0x000080;
    case MSG_SKIP: return 0x808080;
    case MSG_WARNING: return 0x800000;
    case MSG_ERROR: return 0x800000;
    case MSG_STOP: return 0xFF0000;
    }
    return 0x000000;
}

QString OperationAbortedText()
{
    return QStringLiteral("Операция прервана по команде пользователя или системы!");
}

QString TransactionText(const TQTransaction &tr)
{
    // A step with nothing to add reads as its text alone, not with a dash pointing at nothing.
    if (tr.detail.isEmpty())
        return tr.text;
    return Format(u"%0:s - %1:s", {tr.text, tr.detail});
}

void InitTransaction(const QString &text, TQTransaction &tr)
{
    tr = TQTransaction{text, {}, NowDateTime(), 0, MSG_OK, 0};
}

void BeginTransaction(const QString &text, TQTransaction &tr, const TLogMessageEvent &onLog)
{
    InitTransaction(text, tr);
    LogTransactionBegin(tr, onLog);
}

void LogTransactionBegin(const TQTransaction &tr, const TLogMessageEvent &onLog)
{
    if (onLog)
        onLog(3, tr.text, MSG_HEADER, tr.startTime);
}

void LogTransactionEnd(const TQTransaction &tr, const TLogMessageEvent &onLog)
{
    if (onLog)
        onLog(3, TransactionText(tr), tr.kind, tr.endTime);
}

void InitOperation(const QString &name, TQOperation &op)
{
    op = TQOperation{};
    op.text = name;
    op.startTime = NowDateTime();
    op.kind = MSG_OK;
}

void BeginOperation(const QString &name, TQOperation &op, const TLogMessageEvent &onLog)
{
    InitOperation(name, op);
    if (onLog)
        onLog(2, op.text, MSG_HEADER, op.startTime);
}

void FinishOperation(TQOperation &op, int emptyRule)
{
    if (op.kind == MSG_STOP) {
        if (op.detail.isEmpty())
            op.detail = OperationAbortedText();
    } else {
        if (op.total == 0) {
            if (emptyRule == EMPTY_WARNING)
                raiseKind(op, MSG_WARNING);
            else if (emptyRule == EMPTY_ERROR)
                raiseKind(op, MSG_ERROR);
        }
        if (op.size != 0)
            op.detail = Format(u"Всего - %d, обработано - %d ( %n Kb ), пропущено - %d, предупреждений - %d, "
                               u"ошибок - %d.",
                               {op.total, op.processed, static_cast<double>(op.size) / 1024.0, op.skipped,
                                op.warnings, op.errors});
        else
            op.detail = Format(u"Всего - %d, обработано - %d, пропущено - %d, предупреждений - %d, ошибок - %d.",
                               {op.total, op.processed, op.skipped, op.warnings, op.errors});
    }
    op.endTime = NowDateTime();
}

void EndOperation(TQOperation &op, int emptyRule, const TLogMessageEvent &onLog)
{
    FinishOperation(op, emptyRule);
    if (onLog)
        onLog(2, op.detail, op.kind, op.endTime);
}

void AddTransaction(const TQTransaction &tr, TQOperation &op, unsigned options, const TLogMessageEvent &onLog,
                    bool &abort, bool countErrors)
{
    op.steps.push_back(tr);
    switch (tr.kind) {
    case MSG_OK:
        ++op.processed;
        op.size += tr.size;
        break;
    case MSG_SKIP:
        ++op.skipped;
        break;
    case MSG_WARNING:
        ++op.warnings;
        raiseKind(op, MSG_WARNING);
        if (options & ATO_SHOW_IN_VIEWER)
            PostLogMessage({},
                           Format(u"[%s] Предупреждение при выполнении операции \"%s\":\r\n%s!",
                                  {timeText(tr.endTime), tr.text, tr.detail}),
                           MsgKindColor(tr.kind));
        break;
    case MSG_ERROR:
        if (!countErrors)
            break;
        ++op.errors;
        if (!(options & ATO_ERRORS_KEEP_KIND))
            raiseKind(op, (options & ATO_ERRORS_AS_WARNING) ? MSG_WARNING : MSG_ERROR);
        abort = (options & ATO_STOP_ON_ERROR) != 0;
        if (options & ATO_SHOW_IN_VIEWER)
            PostLogMessage({},
                           Format(u"[%s] Ошибка при выполнении операции \"%s\":\r\n%s!",
                                  {timeText(tr.endTime), tr.text, tr.detail}),
                           MsgKindColor(tr.kind));
        break;
    case MSG_STOP:
        abort = true;
        op.kind = MSG_STOP;
        break;
    case MSG_HEADER:
    case MSG_INFO:
        break;
    }
    LogTransactionEnd(tr, onLog);
}

bool QueryAbort(bool &abort, const TAbortQueryEvent &onAbortQuery)
{
    if (abort)
        return true;
    if (onAbortQuery)
        onAbortQuery(abort);
    return abort;
}

bool TransactionAborted(TQTransaction &tr, const TAbortQueryEvent &onAbortQuery)
{
    if (tr.kind == MSG_STOP)
        return true;
    bool abort = false;
    if (!QueryAbort(abort, onAbortQuery))
        return false;
    tr.kind = MSG_STOP;
    tr.detail = OperationAbortedText();
    tr.endTime = NowDateTime();
    return true;
}

bool OperationAborted(TQOperation &op, bool &abort, const TAbortQueryEvent &onAbortQuery)
{
    if (abort || op.kind == MSG_STOP)
        return true;
    if (!QueryAbort(abort, onAbortQuery))
        return false;
    op.kind = MSG_STOP;
    op.detail = OperationAbortedText();
    op.endTime = NowDateTime();
    return true;
}

void PauseWithCountdown(int seconds, bool &abort, const QString &text, const TAbortQueryEvent &onAbortQuery,
                        const TLogMessageEvent &onLog)
{
    if (seconds <= 0 || QueryAbort(abort, onAbortQuery))
        return;
    if (onLog)
        onLog(3, text.isEmpty() ? Format(u"Пауза %d секунд...", {seconds}) : text, MSG_HEADER, NowDateTime());
    QElapsedTimer timer;
    timer.start();
    const qint64 total = static_cast<qint64>(seconds) * 1000;
    for (;;) {
        if (QueryAbort(abort, onAbortQuery))
            return;
        const qint64 remaining = std::min<qint64>(total - timer.elapsed(), 100);
        if (remaining <= 0)
            return;
        // The windows keep painting during the pause.
        DelayWithMessages(static_cast<int>(remaining));
    }
}

int GetLoadFactor(int defaultFactor, const TLoadFactorEvent &onLoadFactor)
{
    int factor = defaultFactor;
    if (onLoadFactor)
        onLoadFactor(factor);
    return std::clamp(factor, 1, 100);
}

void SetLogViewerHook(LogViewerHook hook)
{
    viewerHook() = std::move(hook);
}

void PostLogMessage(const QString &caption, const QString &text, uint32_t rgb, unsigned style)
{
    if (viewerHook()) {
        viewerHook()(caption, text, rgb, style);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(MessageToDisplay(text)));
}
