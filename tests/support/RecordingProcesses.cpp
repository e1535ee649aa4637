#include "tests/support/RecordingProcesses.h"

int RecordingProcessRunner::run(const ProcessCommand &command, const QString &waitName, int timeoutSeconds,
                                const AbortQuery & /*onAbortQuery*/, bool wait)
{
    m_starts.push_back({command, waitName, timeoutSeconds, wait});
    return wait ? m_exitCode : 0;
}
