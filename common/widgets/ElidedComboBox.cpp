#include "common/widgets/ElidedComboBox.h"

#include <QEvent>
#include <QStyleOptionComboBox>
#include <QStylePainter>

TElidedComboBox::TElidedComboBox(int minimumChars, QWidget *parent) : QComboBox(parent)
{
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(minimumChars);
    connect(this, &QComboBox::currentTextChanged, this, [this](const QString &text) { setToolTip(text); });
}

QString TElidedComboBox::elided(const QStyleOptionComboBox &option) const
{
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    // The style draws the label one pixel in from either side of the field.
    return fontMetrics().elidedText(option.currentText, Qt::ElideRight, field.width() - 2);
}

QString TElidedComboBox::shownText() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return isEditable() ? currentText() : elided(option);
}

bool TElidedComboBox::event(QEvent *event)
{
    // A list filled with its signals blocked changes its entry unannounced: the tooltip about to
    // show takes the entry as it stands.
    if (event->type() == QEvent::ToolTip && !currentText().isEmpty())
        setToolTip(currentText());
    return QComboBox::event(event);
}

void TElidedComboBox::paintEvent(QPaintEvent *event)
{
    if (isEditable()) {
        QComboBox::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = elided(option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}
