#include "common/DataFolderLock.h"

#include "common/SysUtils.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TDataFolderLock::~TDataFolderLock()
{
    unlock();
}

bool TDataFolderLock::lock(const QString &folder)
{
    unlock();
    m_heldElsewhere = false;
    m_error.clear();
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        m_error = SystemErrorString(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        m_heldElsewhere = error == EWOULDBLOCK;
        m_error = SystemErrorString(error);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void TDataFolderLock::unlock()
{
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
}
