#pragma once

#include "common/DateTime.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// The operation log of long file operations: every finished step is a TQTransaction, collected into
// a TQOperation that counts the steps by kind and ends with a summary line.

// Kinds of messages, ordered by severity.
enum TQMsgKind : uint8_t {
    MSG_HEADER = 0,
    MSG_INFO = 1,
    MSG_OK = 2,
    MSG_SKIP = 3,
    MSG_WARNING = 4,
    MSG_ERROR = 5,
    MSG_STOP = 6,
};

// "HEADER", "INFO", "OK", "SKIP", "WARNING", "ERROR", "STOP"; "#ERROR#" for any other value.
QString MsgKindName(TQMsgKind kind);
// The colour of the kind in the message viewer as 0xRRGGBB (black for an unknown kind).
uint32_t MsgKindColor(TQMsgKind kind);

// One step: what it does, its result or error text, its times, its kind and the bytes it processed.
struct TQTransaction {
    QString text;
    QString detail;
    TDateTime startTime = 0;
    TDateTime endTime = 0; // 0 while the step runs
    TQMsgKind kind = MSG_OK;
    int64_t size = 0;
};
using TQTransactions = std::vector<TQTransaction>;

// An operation: its name (text), its summary (detail), the sum of the OK steps' sizes, its counters
// and the finished steps in the order they were added.
struct TQOperation : TQTransaction {
    int32_t total = 0; // set by the caller: the number of items it is going to process
    int32_t processed = 0;
    int32_t skipped = 0;
    int32_t warnings = 0;
    int32_t errors = 0;
    TQTransactions steps;
};

// Receives every begin and end of an operation (level 2) or a step (level 3).
using TLogMessageEvent = std::function<void(int level, const QString &text, TQMsgKind kind, TDateTime time)>;
// Sets abort to ask for a stop.
using TAbortQueryEvent = std::function<void(bool &abort)>;
// Sets the copy load factor in percent.
using TLoadFactorEvent = std::function<void(int &factor)>;

// Options of AddTransaction.
enum TAddTransactionOption : unsigned {
    ATO_STOP_ON_ERROR = 1,      // an ERROR step asks the caller to stop
    ATO_ERRORS_KEEP_KIND = 2,   // errors do not raise the operation's kind
    ATO_ERRORS_AS_WARNING = 4,  // errors raise the operation's kind only to WARNING
    ATO_SHOW_IN_VIEWER = 8,     // warnings and errors are written into the message viewer
};

// What an operation does with no items at all (FinishOperation).
enum TEmptyRule : int { EMPTY_OK = 0, EMPTY_WARNING = 1, EMPTY_ERROR = 2 };

// The detail of a stopped step or operation.
QString OperationAbortedText();

// "<text> - <detail>".
QString TransactionText(const TQTransaction &tr);
// The step begins now with kind OK, no detail and no size.
void InitTransaction(const QString &text, TQTransaction &tr);
void BeginTransaction(const QString &text, TQTransaction &tr, const TLogMessageEvent &onLog);
void LogTransactionBegin(const TQTransaction &tr, const TLogMessageEvent &onLog);
void LogTransactionEnd(const TQTransaction &tr, const TLogMessageEvent &onLog);

void InitOperation(const QString &name, TQOperation &op);
void BeginOperation(const QString &name, TQOperation &op, const TLogMessageEvent &onLog);
// Writes the summary into the detail and sets the end time; emptyRule is a TEmptyRule.
void FinishOperation(TQOperation &op, int emptyRule);
void EndOperation(TQOperation &op, int emptyRule, const TLogMessageEvent &onLog);

// Appends a copy of the finished step and counts it; options are TAddTransactionOption bits.
// An ERROR step is counted only with countErrors (a step that is going to be retried is not).
void AddTransaction(const TQTransaction &tr, TQOperation &op, unsigned options, const TLogMessageEvent &onLog,
                    bool &abort, bool countErrors = true);

// True when abort is already set; otherwise asks the callback (which may set it) and returns abort.
bool QueryAbort(bool &abort, const TAbortQueryEvent &onAbortQuery);
// True when the step was stopped or the callback asks to stop now (the step is then marked STOP).
bool TransactionAborted(TQTransaction &tr, const TAbortQueryEvent &onAbortQuery);
// True when abort is set, the operation was stopped, or the callback asks to stop now (the operation
// is then marked STOP and abort is set).
bool OperationAborted(TQOperation &op, bool &abort, const TAbortQueryEvent &onAbortQuery);

// Waits the seconds in slices of at most 100 ms, keeping the windows painting, until the time is
// up or the callback asks to stop. Logs the text (or "Пауза %d секунд...") first.
void PauseWithCountdown(int seconds, bool &abort, const QString &text, const TAbortQueryEvent &onAbortQuery,
                        const TLogMessageEvent &onLog);

// The default, or what the callback sets, within 1..100.
int GetLoadFactor(int defaultFactor, const TLoadFactorEvent &onLoadFactor);

// Font styles of a line in the message viewer.
enum TLogFontStyle : unsigned { LFS_BOLD = 1, LFS_ITALIC = 2, LFS_UNDERLINE = 4, LFS_STRIKEOUT = 8 };

// Where messages for the message viewer go. The widgets layer installs the viewer
// (InstallMessageViewer); without one the messages are written to standard error.
using LogViewerHook = std::function<void(const QString &caption, const QString &text, uint32_t rgb, unsigned style)>;
void SetLogViewerHook(LogViewerHook hook);
// Hands one message to the viewer (or standard error).
void PostLogMessage(const QString &caption, const QString &text, uint32_t rgb, unsigned style = 0);
