#pragma once

#include <QString>
#include <exception>
#include <string>

// The general exception of the program. Its message is shown to the user as it stands,
// usually by the handler at the top of the user operation.
class Exception : public std::exception {
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toStdString()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    std::string m_utf8;
};

// A text that does not hold the number or date it should.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Input or output on a file failed.
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

// The text a failure shows the user: the program's own message as it stands, a sentence of ours for
// exhausted memory, otherwise the library's text.
QString ExceptionText(const std::exception &e);
