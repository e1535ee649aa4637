#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

// The run log of a scenario: "ScriptLog_<yyyy-mm-dd-hh-nn-ss>.txt" in the program's folder, one line
// per event, each stamped "[yyyy-mm-dd hh:nn:ss]: ", Windows-1251 with CR LF like the program's other
// text files. The file is made at the start of each run while logging is on.
class TScenarioRunLog {
public:
    // The folder of the logs (with or without a trailing "/"), the program's folder when empty; the clock
    // of the time stamps, the local time when not set.
    explicit TScenarioRunLog(QString folder = {}, std::function<QDateTime()> now = {});
    ~TScenarioRunLog();
    TScenarioRunLog(const TScenarioRunLog &) = delete;
    TScenarioRunLog &operator=(const TScenarioRunLog &) = delete;

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }

    // A new file name from the current time; nothing is written yet.
    void start();
    // The current file ("" when none).
    const QString &fileName() const { return m_fileName; }
    // Appends one line when logging is on (making a file name first when there is none). The file is
    // opened as every log is (created exclusively, never through a link, a regular file only, without
    // waiting on a FIFO). A failure shows "Ошибка записи журнала: %s!" once per file; that file takes no
    // more lines and the caller goes on.
    void write(const QString &text);
    // Closes the file; the name is kept until forget().
    void close();
    // A line could not be written to the current file (it takes no more).
    bool failed() const { return m_failed; }
    void forget();

    // The folder and the mask of the logs ("ScriptLog_*.txt").
    QString folder() const;
    static QString fileMask();

    // Banners and rules, 94 characters each.
    static QString startBanner();
    static QString endBanner();
    static QString interruptedBanner();
    static QString offsetBanner(int offset);
    static QString equalsRule();
    static QString dashRule();

private:
    QString m_folder;
    std::function<QDateTime()> m_now;
    QString m_fileName;
    int m_fd = -1;
    bool m_enabled = false;
    bool m_failed = false;
};
