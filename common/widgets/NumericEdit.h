#pragma once

#include "common/Calculator.h"

#include <QFrame>
#include <QLineEdit>

class QLabel;

// The pop-up calculator of the numeric edit: a display and the keys. Enter or the "ОК" key hands
// the result to the edit; Escape or a click elsewhere closes it and leaves the edit as it was.
class TCalculatorPopup : public QFrame {
    Q_OBJECT
public:
    explicit TCalculatorPopup(QWidget *parent = nullptr);

    void start(double value);
    TCalculator &calculator() { return m_calc; }
    QString displayText() const;
    // Works the key as a click on the calculator's button would.
    void press(QChar key);
    // Ends with the result: equals, then hands it over.
    void accept();

signals:
    void accepted(double value);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void refresh();

    TCalculator m_calc;
    QLabel *m_display;
};

// A one-line edit of a float value: right-aligned, shown with a display format such as ",0.00",
// taking only digits, one decimal separator and the minus sign. Enter commits what was typed and
// Escape undoes it (either passes on to the dialog's buttons when nothing was typed); leaving the
// control commits too. A text with no number in it leaves the value as it was.
// F4 or the button at the right opens the calculator.
class TQFloatEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TQFloatEdit(QWidget *parent = nullptr);

    double value() const { return m_value; }
    void setValue(double value);
    QString displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString &format);
    bool beepOnError() const { return m_beepOnError; }
    void setBeepOnError(bool on) { m_beepOnError = on; }
    bool undoOnError() const { return m_undoOnError; }
    void setUndoOnError(bool on) { m_undoOnError = on; }
    bool formatOnEdit() const { return m_formatOnEdit; }
    void setFormatOnEdit(bool on) { m_formatOnEdit = on; }
    // Something was typed since the text was last written from the value.
    bool isTextModified() const { return m_textModified; }

    // Writes the text from the value.
    void updateText();
    // Reads the value from the text; false (and a beep when asked) when the text holds no number.
    bool parseText();

    void showCalculator();
    TCalculatorPopup *calculatorPopup() const { return m_popup; }

signals:
    // After every setting of the value and after every commit of a typed text.
    void valueChanged(double value);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void refuse();
    QChar decimalSeparator() const;

    double m_value = 0;
    QString m_displayFormat = QStringLiteral(",0.00");
    bool m_beepOnError = true;
    bool m_undoOnError = true;
    bool m_formatOnEdit = true;
    bool m_textModified = false;
    TCalculatorPopup *m_popup = nullptr;
};
