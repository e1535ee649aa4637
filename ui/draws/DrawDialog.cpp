#include "ui/draws/DrawDialog.h"

#include "common/DateTime.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Translate.h"
#include "lottery/DrawDates.h"
#include "app/draws/DrawEntry.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <climits>

using namespace Qt::StringLiterals;

TFormDraw::TFormDraw(QWidget *parent) : TDialogSTemplate(parent)
{
    setObjectName(u"FormDraw"_s);
    auto *layout = new QVBoxLayout(clientArea());

    auto *numberLabel = new QLabel(Tr(u"Номер тиража:"), clientArea());
    m_number = new QSpinBox(clientArea());
    m_number->setObjectName(u"edDrawNumber"_s);
    m_number->setRange(1, INT_MAX);
    numberLabel->setBuddy(m_number);

    auto *dataLabel = new QLabel(Tr(u"Выпавшие числа, разделенные точкой с запятой или запятой:"), clientArea());
    m_data = new QLineEdit(clientArea());
    m_data->setObjectName(u"edDrawData"_s);
    dataLabel->setBuddy(m_data);

    m_dateLabel = new QLabel(Tr(u"Дата и время тиража:"), clientArea());
    m_dateLabel->setObjectName(u"lblDrawDate"_s);
    m_date = new QDateEdit(clientArea());
    m_date->setObjectName(u"edDrawDate"_s);
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(u"d MMMM yyyy"_s);
    m_time = new QTimeEdit(clientArea());
    m_time->setObjectName(u"edDrawTime"_s);
    m_time->setDisplayFormat(u"HH:mm:ss"_s);
    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(m_date, 2);
    dateRow->addWidget(m_time, 1);

    layout->addWidget(numberLabel);
    layout->addWidget(m_number);
    layout->addWidget(dataLabel);
    layout->addWidget(m_data);
    layout->addWidget(m_dateLabel);
    layout->addLayout(dateRow);
    layout->addStretch(1);

    connect(m_date, &QDateEdit::dateChanged, this, [this] { m_dateTouched = true; });
    connect(m_time, &QTimeEdit::timeChanged, this, [this] { m_dateTouched = true; });
    resize(420, 260);
}

void TFormDraw::fill(const TDrawRec &draw, bool withDate)
{
    m_withDate = withDate;
    m_number->setValue(std::max(1, draw.number));
    m_data->setText(DrawEntryText(draw));
    m_dateLabel->setVisible(withDate);
    m_date->setVisible(withDate);
    m_time->setVisible(withDate);
    m_original = draw;
    QDateTime shown = QDateTime::currentDateTime();
    if (withDate && !draw.dateText().trimmed().isEmpty()) {
        try {
            const TDateTime value = TextToDrawDate(draw.dateText());
            if (value > 0)
                shown = DateTimeToQDateTime(value);
        } catch (const Exception &) {
            // An unreadable stored date stays as it is unless the user picks a new one.
        }
    }
    m_date->setDate(shown.date());
    m_time->setTime(shown.time());
    m_dateTouched = draw.dateText().trimmed().isEmpty();
    if (!withDate)
        resize(width(), 200);
}

bool TFormDraw::validate()
{
    TDrawRec probe;
    if (!ParseDrawEntryText(m_data->text(), probe)) {
        ShowErrorBox(Tr(u"Введена некорректная комбинация!"));
        m_data->setFocus();
        return false;
    }
    TDrawRec entered = m_original;
    readBack(entered);
    const QString problem = m_drawCheck ? m_drawCheck(entered) : QString();
    if (!problem.isEmpty()) {
        ShowErrorBox(problem);
        m_number->setFocus();
        return false;
    }
    return true;
}

void TFormDraw::readBack(TDrawRec &draw) const
{
    draw.number = m_number->value();
    ParseDrawEntryText(m_data->text(), draw);
    if (m_withDate) {
        if (m_dateTouched) {
            const TDateTime value = QDateTimeToDateTime(QDateTime(m_date->date(), m_time->time()));
            draw.setDateText(DrawDateToText(value));
        } else {
            draw.setDateText(m_original.dateText());
        }
    }
}

bool ShowDrawDialog(QWidget *parent, const QString &caption, TDrawRec &draw, bool withDate,
                    std::function<QString(const TDrawRec &)> drawCheck)
{
    TFormDraw dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setDrawCheck(std::move(drawCheck));
    dialog.fill(draw, withDate);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    dialog.readBack(draw);
    return true;
}
