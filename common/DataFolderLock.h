#pragma once

#include <QString>

// The exclusive use of the data folder by one copy of the program: an advisory lock on the folder
// itself, taken before any data file is read or written and held for the program's life. A second
// copy on the same folder is refused before it touches a file.
class TDataFolderLock {
public:
    TDataFolderLock() = default;
    ~TDataFolderLock();
    TDataFolderLock(const TDataFolderLock &) = delete;
    TDataFolderLock &operator=(const TDataFolderLock &) = delete;

    // Takes the lock on the folder; false when it cannot be had. heldElsewhere() then tells whether
    // another process holds it (a second copy), errorText() why it failed otherwise.
    bool lock(const QString &folder);
    void unlock();
    bool isLocked() const { return m_fd >= 0; }
    bool heldElsewhere() const { return m_heldElsewhere; }
    const QString &errorText() const { return m_error; }

private:
    int m_fd = -1;
    bool m_heldElsewhere = false;
    QString m_error;
};
