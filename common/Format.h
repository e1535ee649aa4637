#pragma once

#include <QString>
#include <QStringView>
#include <initializer_list>
#include <cstdint>

// One argument of Format: an integer, a float or a text.
class FormatArg {
public:
    enum class Kind { Int, Float, Text };

    FormatArg(int v) : m_kind(Kind::Int), m_int(v) {}
    FormatArg(unsigned v) : m_kind(Kind::Int), m_int(v) {}
    FormatArg(long v) : m_kind(Kind::Int), m_int(v) {}
    FormatArg(long long v) : m_kind(Kind::Int), m_int(v) {}
    FormatArg(unsigned long v) : m_kind(Kind::Int), m_int(static_cast<int64_t>(v)) {}
    FormatArg(unsigned long long v) : m_kind(Kind::Int), m_int(static_cast<int64_t>(v)) {}
    FormatArg(double v) : m_kind(Kind::Float), m_float(static_cast<long double>(v)) {}
    FormatArg(long double v) : m_kind(Kind::Float), m_float(v) {}
    FormatArg(const QString &v) : m_kind(Kind::Text), m_text(v) {}
    FormatArg(QStringView v) : m_kind(Kind::Text), m_text(v.toString()) {}
    FormatArg(const char16_t *v) : m_kind(Kind::Text), m_text(QString::fromUtf16(v)) {}

    Kind kind() const { return m_kind; }
    int64_t toInt() const;
    long double toFloat() const;
    QString toText() const;

private:
    Kind m_kind;
    int64_t m_int = 0;
    long double m_float = 0;
    QString m_text;
};

// Renders a message template in the program's format syntax:
//   %[index:][-][width][.precision]type, type one of d u x s f e g n m; "%%" is a percent sign.
// "%.3d" pads with zeros, "%x" is upper-case hexadecimal, "%f" defaults to two decimals,
// "%n" and "%m" group thousands with the user's locale. Floats in "%f", "%e" and "%g" always use ".".
// A missing argument renders as nothing and a malformed directive is copied as it stands,
// so a bad template never throws.
QString Format(QStringView pattern, std::initializer_list<FormatArg> args = {});

// A message text as the widgets show it: "\r\n" and "\r" become "\n".
QString MessageToDisplay(QStringView text);

// A count of bytes in a message, the word in the form its number takes: "1 байт", "2 байта", "5 байт",
// "21 байт", "22 байта". After "не более" the count stands in the genitive: "не более 1 байта",
// "не более 2 байт" (BytesGenitiveText).
QString BytesText(int64_t count);
QString BytesGenitiveText(int64_t count);
