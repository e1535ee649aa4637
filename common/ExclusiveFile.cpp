#include "common/ExclusiveFile.h"

#include "common/SysUtils.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

ExclusiveFile::~ExclusiveFile()
{
    close();
}

bool ExclusiveFile::open(const QString &path)
{
    close();
    m_path = path;
    m_error.clear();
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_error = SystemErrorString(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_error = SystemErrorString(errno);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void ExclusiveFile::close()
{
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
}
