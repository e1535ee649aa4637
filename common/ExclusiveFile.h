#pragma once

#include <QString>

// A file opened for reading and writing (created when missing) and held with an exclusive advisory
// lock for the object's life, so that a second copy of the program on the same folder is refused.
class ExclusiveFile {
public:
    ExclusiveFile() = default;
    ~ExclusiveFile();
    ExclusiveFile(const ExclusiveFile &) = delete;
    ExclusiveFile &operator=(const ExclusiveFile &) = delete;

    // Opens and locks the file; false with errorText() set when it cannot be opened or another
    // process holds it.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    int handle() const { return m_fd; }
    const QString &path() const { return m_path; }
    const QString &errorText() const { return m_error; }

private:
    int m_fd = -1;
    QString m_path;
    QString m_error;
};
