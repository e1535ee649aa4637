#pragma once

#include "lottery/DrawTypes.h"

#include "common/widgets/DialogSTemplate.h"

#include <functional>

class QDateEdit;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTimeEdit;

// The draw entry dialog: number, the eight numbers as one line of text and, when asked for, the date
// and time of the draw.
class TFormDraw : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormDraw(QWidget *parent = nullptr);

    // Fills the controls from the draw; without date the date controls are hidden.
    void fill(const TDrawRec &draw, bool withDate);
    // Copies the controls back into the draw (call after validate succeeded).
    void readBack(TDrawRec &draw) const;
    // What keeps the draw as entered out of the archive where it goes (empty when nothing does); the
    // dialog stays open with the message while it does not fit.
    void setDrawCheck(std::function<QString(const TDrawRec &)> check) { m_drawCheck = std::move(check); }

    QSpinBox *numberEdit() const { return m_number; }
    QLineEdit *dataEdit() const { return m_data; }
    QDateEdit *dateEdit() const { return m_date; }
    QTimeEdit *timeEdit() const { return m_time; }

protected:
    // Checks the typed numbers; shows "Введена некорректная комбинация!" and keeps the dialog open
    // when they are not a draw.
    bool validate() override;

private:
    QSpinBox *m_number;
    QLineEdit *m_data;
    QLabel *m_dateLabel;
    QDateEdit *m_date;
    QTimeEdit *m_time;
    bool m_withDate = false;
    bool m_dateTouched = false;
    TDrawRec m_original;
    std::function<QString(const TDrawRec &)> m_drawCheck;
};

// Shows the dialog with the caption; on OK the draw holds what was entered and the result is true.
bool ShowDrawDialog(QWidget *parent, const QString &caption, TDrawRec &draw, bool withDate,
                    std::function<QString(const TDrawRec &)> drawCheck = {});
