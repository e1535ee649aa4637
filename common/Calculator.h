#pragma once

#include <QString>

// The arithmetic of the numeric edit's pop-up calculator: a pocket calculator with one pending
// operation, evaluated left to right as the keys come.
class TCalculator {
public:
    enum class Op { None, Add, Subtract, Multiply, Divide };

    // Starts over with the value on the display (the edit's value).
    void reset(double value = 0);

    void digit(int d);
    void point();
    void backspace();
    void negate();
    // The entry as a percent: of the first operand for + and -, else hundredths.
    void percent();
    void operation(Op op);
    void equals();
    // C: everything cleared. CE: only the entry.
    void clear() { reset(0); }
    void clearEntry();

    // Feeds one typed character: digits, "." or ",", "+", "-", "*", "/", "=", "%"; backspace (8) and
    // Escape (27, CE) too. False when the character means nothing to the calculator.
    bool key(QChar c);

    // The display with "." as the decimal separator, or "Ошибка" after a failure (division by zero,
    // an overflow); any digit or C starts over from there.
    QString display() const;
    double value() const { return m_entryValue; }
    bool error() const { return m_error; }
    Op pendingOperation() const { return m_pending; }

private:
    void compute(double operand);
    void setEntry(double v);

    double m_accumulator = 0;
    double m_entryValue = 0;
    double m_lastOperand = 0;
    QString m_entryText = QStringLiteral("0");
    Op m_pending = Op::None;
    Op m_lastOp = Op::None;
    bool m_typing = false;  // digits are being typed into the entry
    bool m_error = false;
};
