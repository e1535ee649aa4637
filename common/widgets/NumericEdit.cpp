#include "common/widgets/NumericEdit.h"

#include "common/FloatPicture.h"
#include "common/Translate.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <charconv>
#include <cmath>

TCalculatorPopup::TCalculatorPopup(QWidget *parent) : QFrame(parent, Qt::Popup)
{
    setObjectName(QStringLiteral("CalculatorPopup"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_display = new QLabel(this);
    m_display->setObjectName(QStringLiteral("DisplayLabel"));
    m_display->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_display->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_display->setMinimumHeight(fontMetrics().height() + 8);

    struct Key {
        const char16_t *caption;
        QChar key; // 0: a key of its own below
        int row, col;
    };
    static const Key keys[] = {
        {u"7", u'7', 0, 0}, {u"8", u'8', 0, 1}, {u"9", u'9', 0, 2}, {u"/", u'/', 0, 3}, {u"C", QChar(u'C'), 0, 4},
        {u"4", u'4', 1, 0}, {u"5", u'5', 1, 1}, {u"6", u'6', 1, 2}, {u"*", u'*', 1, 3}, {u"CE", QChar(27), 1, 4},
        {u"1", u'1', 2, 0}, {u"2", u'2', 2, 1}, {u"3", u'3', 2, 2}, {u"-", u'-', 2, 3}, {u"←", QChar(8), 2, 4},
        {u"0", u'0', 3, 0}, {u"±", QChar(u'±'), 3, 1}, {u",", u',', 3, 2}, {u"+", u'+', 3, 3}, {u"%", u'%', 3, 4},
    };
    auto *grid = new QGridLayout();
    grid->setSpacing(3);
    for (const Key &k : keys) {
        auto *button = new QPushButton(QString::fromUtf16(k.caption), this);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(36, 26);
        const QChar key = k.key;
        connect(button, &QPushButton::clicked, this, [this, key] { press(key); });
        grid->addWidget(button, k.row, k.col);
    }
    auto *equals = new QPushButton(QStringLiteral("="), this);
    equals->setFocusPolicy(Qt::NoFocus);
    equals->setFixedHeight(26);
    connect(equals, &QPushButton::clicked, this, [this] { press(u'='); });
    auto *ok = new QPushButton(Tr(u"ОК"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setFocusPolicy(Qt::NoFocus);
    ok->setFixedHeight(26);
    connect(ok, &QPushButton::clicked, this, &TCalculatorPopup::accept);
    grid->addWidget(equals, 4, 0, 1, 3);
    grid->addWidget(ok, 4, 3, 1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_display);
    layout->addLayout(grid);
}

void TCalculatorPopup::start(double value)
{
    m_calc.reset(value);
    refresh();
}

QString TCalculatorPopup::displayText() const
{
    return m_display->text();
}

void TCalculatorPopup::press(QChar key)
{
    if (key == u'C')
        m_calc.clear();
    else if (key == u'±')
        m_calc.negate();
    else
        m_calc.key(key);
    refresh();
}

void TCalculatorPopup::accept()
{
    m_calc.equals();
    refresh();
    if (m_calc.error()) {
        QApplication::beep();
        return;
    }
    const double result = m_calc.value();
    hide();
    emit accepted(result);
}

void TCalculatorPopup::refresh()
{
    QString text = m_calc.display();
    if (!m_calc.error())
        text.replace(u'.', locale().decimalPoint());
    m_display->setText(text);
}

void TCalculatorPopup::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return;
    case Qt::Key_Escape:
        hide();
        return;
    case Qt::Key_Backspace:
        press(QChar(8));
        return;
    case Qt::Key_Delete:
        press(QChar(27));
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (text.size() == 1 && m_calc.key(text[0] == locale().decimalPoint().front() ? QChar(u'.') : text[0])) {
        refresh();
        return;
    }
    QFrame::keyPressEvent(event);
}

TQFloatEdit::TQFloatEdit(QWidget *parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    resize(121, 25);
    QAction *calc = addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
    calc->setObjectName(QStringLiteral("CalculatorAction"));
    calc->setToolTip(Tr(u"Калькулятор (F4)"));
    connect(calc, &QAction::triggered, this, &TQFloatEdit::showCalculator);
    // Pasted or cut text counts as typed.
    connect(this, &QLineEdit::textEdited, this, [this] { m_textModified = true; });
    updateText();
}

void TQFloatEdit::setValue(double value)
{
    if (value != m_value || std::signbit(value) != std::signbit(m_value)) {
        m_value = value;
        updateText();
    }
    emit valueChanged(m_value);
}

void TQFloatEdit::setDisplayFormat(const QString &format)
{
    if (format == m_displayFormat)
        return;
    m_displayFormat = format;
    updateText();
}

void TQFloatEdit::updateText()
{
    // The edit's own locale (the program's unless the owner sets another) writes the separators.
    const QLocale written = locale();
    if ((!m_formatOnEdit && hasFocus()) || m_displayFormat.isEmpty())
        setText(FloatToGeneralText(m_value, written));
    else
        setText(FormatFloatPicture(m_value, m_displayFormat, written));
    m_textModified = false;
}

QChar TQFloatEdit::decimalSeparator() const
{
    return locale().decimalPoint().front();
}

bool TQFloatEdit::parseText()
{
    const QString t = text();
    const QChar separator = decimalSeparator();
    const QChar group = locale().groupSeparator().front();
    // A text pasted with the other separator ("1.5" where the locale writes "1,5") keeps its
    // fraction: a lone "." or "," that is not the locale's group separator is the decimal point.
    QChar point = separator;
    if (!t.contains(separator)) {
        for (QChar other : {QChar(u'.'), QChar(u',')})
            if (other != group && t.count(other) == 1)
                point = other;
    }
    const bool negative = t.contains(u'-');
    std::string number;
    bool pointSeen = false;
    bool digitSeen = false;
    for (QChar c : t) {
        if (c >= u'0' && c <= u'9') {
            number += static_cast<char>(c.unicode());
            digitSeen = true;
        } else if (c == point && !pointSeen) {
            number += '.';
            pointSeen = true;
        }
    }
    double parsed = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), parsed);
    if (!digitSeen || ec != std::errc() || end != number.data() + number.size()) {
        if (m_beepOnError)
            QApplication::beep();
        return false;
    }
    m_value = negative ? -parsed : parsed;
    emit valueChanged(m_value);
    return true;
}

void TQFloatEdit::refuse()
{
    if (m_beepOnError)
        QApplication::beep();
}

void TQFloatEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_F4 || (key == Qt::Key_Down && (event->modifiers() & Qt::AltModifier))) {
        showCalculator();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (m_formatOnEdit && m_textModified) {
            parseText();
            updateText();
            selectAll();
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event); // on to the dialog's default button
        return;
    }
    if (key == Qt::Key_Escape) {
        if (m_textModified) {
            updateText();
            selectAll();
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event); // on to the dialog's cancel button
        return;
    }
    // Shortcuts and keys without a character (arrows, Delete, Home...) are the edit's own.
    const QString typed = event->text();
    if (typed.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) ||
        typed.front().unicode() < 0x20 || typed.front().unicode() == 0x7F) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (typed.size() != 1) {
        refuse();
        event->accept();
        return;
    }
    QChar c = typed.front();
    if (c == u',' || c == u'.')
        c = decimalSeparator();
    if (c == u'+') {
        event->accept();
        return;
    }
    const bool digit = c >= u'0' && c <= u'9';
    if (!digit && c != u'-' && c != decimalSeparator()) {
        refuse();
        event->accept();
        return;
    }
    // One decimal separator; one in the selection is about to be replaced.
    if (c == decimalSeparator() && text().count(c) > selectedText().count(c)) {
        event->accept();
        return;
    }
    QKeyEvent mapped(event->type(), event->key(), event->modifiers(), QString(c), event->isAutoRepeat());
    QLineEdit::keyPressEvent(&mapped);
    m_textModified = true;
    event->setAccepted(mapped.isAccepted());
}

void TQFloatEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    updateText();
    // After the mouse press that gave the focus has placed the cursor.
    QTimer::singleShot(0, this, &QLineEdit::selectAll);
}

void TQFloatEdit::focusOutEvent(QFocusEvent *event)
{
    // The value is read back only when something was typed: re-reading the rounded display text
    // would change a value that the user never touched.
    if (m_textModified)
        parseText();
    updateText();
    QLineEdit::focusOutEvent(event);
}

void TQFloatEdit::showCalculator()
{
    if (isReadOnly() || !isEnabled())
        return;
    if (m_textModified)
        parseText();
    if (!m_popup) {
        m_popup = new TCalculatorPopup(this);
        connect(m_popup, &TCalculatorPopup::accepted, this, [this](double v) {
            setValue(v);
            setFocus();
        });
    }
    m_popup->start(m_value);
    m_popup->adjustSize();
    QPoint pos = mapToGlobal(QPoint(width() - m_popup->width(), height()));
    if (const QScreen *s = screen()) {
        const QRect area = s->availableGeometry();
        if (pos.y() + m_popup->height() > area.bottom())
            pos.setY(mapToGlobal(QPoint(0, 0)).y() - m_popup->height());
        pos.setX(std::clamp(pos.x(), area.left(), std::max(area.left(), area.right() - m_popup->width())));
    }
    m_popup->move(pos);
    m_popup->show();
    m_popup->setFocus();
}
