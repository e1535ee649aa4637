#pragma once

#include <QByteArray>
#include <QString>

// The Windows-1251 code page, both ways. Short strings inside binary records and the text files the
// program writes are kept in it; a character with no form in it becomes "?".
namespace Cp1251 {
QString decode(const QByteArray &bytes);
QString decode(const char *bytes, qsizetype size);
QByteArray encode(QStringView text);
// True when every character of the text has a form in the code page.
bool canEncode(QStringView text);
} // namespace Cp1251

// A text file's bytes as text: UTF-8 when they are valid UTF-8 (with or without a byte order mark),
// Windows-1251 otherwise.
QString DecodeTextFile(const QByteArray &bytes);
// The text with CRLF line ends in Windows-1251, as the program writes its text files.
QByteArray EncodeTextFileCp1251(QStringView text);
