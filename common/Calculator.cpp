#include "common/Calculator.h"

#include "common/TextUtils.h"

#include <cmath>

namespace {

constexpr int kMaxDigits = 15;

} // namespace

void TCalculator::reset(double value)
{
    m_accumulator = 0;
    m_lastOperand = 0;
    m_pending = Op::None;
    m_lastOp = Op::None;
    m_typing = false;
    m_error = false;
    setEntry(std::isfinite(value) ? value : 0);
}

void TCalculator::setEntry(double v)
{
    if (!std::isfinite(v)) {
        m_error = true;
        m_entryValue = 0;
        m_entryText = QStringLiteral("0");
        return;
    }
    m_entryValue = v == 0 ? 0 : v; // no "-0"
    m_entryText = FloatToDotText(m_entryValue);
}

void TCalculator::digit(int d)
{
    if (d < 0 || d > 9)
        return;
    if (m_error)
        reset(0);
    if (!m_typing) {
        m_entryText = QStringLiteral("0");
        m_typing = true;
    }
    qsizetype digits = 0;
    for (QChar c : std::as_const(m_entryText))
        digits += c.isDigit();
    if (digits >= kMaxDigits)
        return;
    if (m_entryText == u"0")
        m_entryText = QString::number(d);
    else if (m_entryText == u"-0")
        m_entryText = u'-' + QString::number(d);
    else
        m_entryText += QString::number(d);
    m_entryValue = DotTextToFloatDef(m_entryText, 0);
}

void TCalculator::point()
{
    if (m_error)
        reset(0);
    if (!m_typing) {
        m_entryText = QStringLiteral("0");
        m_typing = true;
    }
    if (!m_entryText.contains(u'.'))
        m_entryText += u'.';
}

void TCalculator::backspace()
{
    if (m_error || !m_typing)
        return;
    m_entryText.chop(1);
    if (m_entryText.isEmpty() || m_entryText == u"-")
        m_entryText = QStringLiteral("0");
    m_entryValue = DotTextToFloatDef(m_entryText, 0);
}

void TCalculator::negate()
{
    if (m_error)
        return;
    if (m_typing) {
        m_entryText = m_entryText.startsWith(u'-') ? m_entryText.mid(1) : u'-' + m_entryText;
        m_entryValue = DotTextToFloatDef(m_entryText, 0);
    } else {
        setEntry(-m_entryValue);
    }
}

void TCalculator::percent()
{
    if (m_error)
        return;
    const bool ofFirst = m_pending == Op::Add || m_pending == Op::Subtract;
    setEntry(ofFirst ? m_accumulator * m_entryValue / 100 : m_entryValue / 100);
    m_typing = false;
}

void TCalculator::compute(double operand)
{
    double result = m_accumulator;
    switch (m_pending) {
    case Op::None: result = operand; break;
    case Op::Add: result = m_accumulator + operand; break;
    case Op::Subtract: result = m_accumulator - operand; break;
    case Op::Multiply: result = m_accumulator * operand; break;
    case Op::Divide:
        if (operand == 0) {
            m_error = true;
            return;
        }
        result = m_accumulator / operand;
        break;
    }
    setEntry(result);
    m_accumulator = m_entryValue;
}

void TCalculator::operation(Op op)
{
    if (m_error)
        return;
    // A second operation key in a row only replaces the first one.
    if (m_typing || m_pending == Op::None)
        compute(m_entryValue);
    if (m_error)
        return;
    m_accumulator = m_entryValue;
    m_pending = op;
    m_lastOp = Op::None;
    m_typing = false;
}

void TCalculator::equals()
{
    if (m_error)
        return;
    if (m_pending != Op::None) {
        m_lastOp = m_pending;
        m_lastOperand = m_entryValue;
        compute(m_entryValue);
        m_pending = Op::None;
    } else if (m_lastOp != Op::None) {
        // "=" again repeats the last operation with the same operand.
        m_accumulator = m_entryValue;
        m_pending = m_lastOp;
        compute(m_lastOperand);
        m_pending = Op::None;
    }
    m_typing = false;
}

void TCalculator::clearEntry()
{
    if (m_error) {
        reset(0);
        return;
    }
    setEntry(0);
    m_typing = false;
}

bool TCalculator::key(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        digit(u - u'0');
    else if (u == u'.' || u == u',')
        point();
    else if (u == u'+')
        operation(Op::Add);
    else if (u == u'-')
        operation(Op::Subtract);
    else if (u == u'*')
        operation(Op::Multiply);
    else if (u == u'/')
        operation(Op::Divide);
    else if (u == u'=')
        equals();
    else if (u == u'%')
        percent();
    else if (u == 8)
        backspace();
    else if (u == 27)
        clearEntry();
    else
        return false;
    return true;
}

QString TCalculator::display() const
{
    if (m_error)
        return QStringLiteral("Ошибка");
    return m_entryText;
}
