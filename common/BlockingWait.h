#pragma once

#include "common/Exception.h"

#include <QString>
#include <exception>

// A step that blocks the one user-interface thread while it waits on something outside (a server's
// reply) and may be given up by the user. The step polls its wait every few dozen milliseconds;
// the installed host keeps the windows painting meanwhile and, when the wait lasts, offers to
// cancel it. Without a host the pending events are processed (user input held back) and nothing
// is ever cancelled, as a batch run or a test without windows needs.
class IBlockingWaitHost {
public:
    virtual ~IBlockingWaitHost() = default;
    // A wait begins; waits may nest (the inner one ends first).
    virtual void begin(const QString &text) = 0;
    // Lets the windows work; true once the user asked to cancel the current wait.
    virtual bool poll() = 0;
    virtual void end() = 0;
};

// The host for every later wait (nullptr: none). The caller keeps it alive while installed.
void SetBlockingWaitHost(IBlockingWaitHost *host);
IBlockingWaitHost *BlockingWaitHost();

// One wait, for its own lifetime. text tells the user what is waited for.
class BlockingWait {
public:
    explicit BlockingWait(const QString &text);
    ~BlockingWait();
    BlockingWait(const BlockingWait &) = delete;
    BlockingWait &operator=(const BlockingWait &) = delete;

    // Lets the windows work; true once the user cancelled (and from then on).
    bool poll();

private:
    IBlockingWaitHost *m_host;
    bool m_cancelled = false;
};

// A step the user cancelled. Nothing of the step was done; the report of the operation it belongs
// to is not shown, since the user knows why it stopped.
class EWaitCancelled : public Exception {
public:
    EWaitCancelled();
};

// True for the failure of a cancelled wait.
bool IsWaitCancelled(const std::exception &e);
// How many waits the user has cancelled so far: a loop of requests compares it before and after a
// step and stops once the user gave one up.
int CancelledWaitCount();
