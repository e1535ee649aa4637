#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// The standard CRC-32 (reflected polynomial 0xEDB88320, initial value 0xFFFFFFFF, final complement),
// the same value as zlib and PNG give.

// The running CRC after the count bytes of the buffer; the caller starts from 0xFFFFFFFF and
// complements the end result. A count of 0 leaves the CRC as it is.
uint32_t Crc32Update(uint32_t crc, const void *buffer, size_t count);
// The CRC-32 of the bytes, in one call.
uint32_t Crc32Of(const void *buffer, size_t count);

// The CRC-32 of the whole file, read in chunks of kCrc32ChunkSize bytes; an empty file gives 0.
// Raises EInOutError when the file cannot be opened or read (a file that breaks off while it is
// read never passes for a shorter file).
uint32_t FileCrc32(const QString &fileName);
// FileCrc32 as eight upper-case hexadecimal digits ("352441C2").
QString FileCrc32Hex(const QString &fileName);

inline constexpr size_t kCrc32ChunkSize = 32768;
