#include "common/Crc32.h"

#include "common/AtomicFile.h"
#include "common/Exception.h"
#include "common/SysUtils.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array<uint32_t, 256> makeTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kTable = makeTable();
static_assert(kTable[1] == 0x77073096u && kTable[255] == 0x2D02EF8Du, "the standard CRC-32 table");

// Closes the descriptor when the scan ends, however it ends.
struct FdCloser {
    int fd;
    ~FdCloser()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

uint32_t Crc32Update(uint32_t crc, const void *buffer, size_t count)
{
    const auto *p = static_cast<const uint8_t *>(buffer);
    for (size_t i = 0; i < count; ++i)
        crc = (crc >> 8) ^ kTable[(crc ^ p[i]) & 0xFFu];
    return crc;
}

uint32_t Crc32Of(const void *buffer, size_t count)
{
    return ~Crc32Update(0xFFFFFFFFu, buffer, count);
}

uint32_t FileCrc32(const QString &fileName)
{
    const QByteArray name = QFile::encodeName(fileName);
    FdCloser file{::open(name.constData(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0)
        throw EInOutError(FileReadErrorText(fileName, SysErrorText(static_cast<uint32_t>(errno), true)));
    // A buffer per call keeps the routine reentrant; nothing is allocated per chunk.
    std::array<uint8_t, kCrc32ChunkSize> buffer;
    uint32_t crc = 0xFFFFFFFFu;
    for (;;) {
        const ssize_t got = ::read(file.fd, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw EInOutError(FileReadErrorText(fileName, SysErrorText(static_cast<uint32_t>(errno), true)));
        }
        if (got == 0)
            break;
        crc = Crc32Update(crc, buffer.data(), static_cast<size_t>(got));
    }
    return ~crc;
}

QString FileCrc32Hex(const QString &fileName)
{
    return QStringLiteral("%1").arg(FileCrc32(fileName), 8, 16, QLatin1Char('0')).toUpper();
}
