#pragma once

#include "common/ProcessUtils.h"
#include "common/SysUtils.h"

#include <QString>
#include <vector>

// Records every process start instead of starting it; installed for its lifetime.
// The exit code of a waited start is scripted (0 unless set).
class RecordingProcessRunner : public IProcessRunner {
public:
    struct Start {
        ProcessCommand command;
        QString waitName;
        int timeoutSeconds;
        bool wait;
    };

    RecordingProcessRunner() { SetProcessRunner(this); }
    ~RecordingProcessRunner() override { SetProcessRunner(nullptr); }

    int run(const ProcessCommand &command, const QString &waitName, int timeoutSeconds,
            const AbortQuery &onAbortQuery, bool wait) override;

    void setExitCode(int code) { m_exitCode = code; }
    const std::vector<Start> &starts() const { return m_starts; }
    const Start &last() const { return m_starts.back(); }

private:
    std::vector<Start> m_starts;
    int m_exitCode = 0;
};

// Records every address handed to the desktop instead of opening it; installed for its lifetime.
class RecordingUrlOpener : public IUrlOpener {
public:
    RecordingUrlOpener() { SetUrlOpener(this); }
    ~RecordingUrlOpener() override { SetUrlOpener(nullptr); }

    void open(const QString &address) override { m_addresses.push_back(address); }
    const std::vector<QString> &addresses() const { return m_addresses; }

private:
    std::vector<QString> m_addresses;
};
