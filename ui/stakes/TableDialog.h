#pragma once

#include "common/widgets/DialogSTemplate.h"
#include "app/stakes/StakeTables.h"

#include <QStringList>

class QLineEdit;
class QRadioButton;
class QSpinBox;

// "Добавление регулярной ставки": the comment (the name of the table and of its stakes), the start
// combination, the step, and whether the table steps from its own combination or from the latest draw.
//
// The start combination is typed when it comes from one combination selected in the combinations list
// or from none; with several selected each of them starts a table of its own.
class TFormTable : public TDialogSTemplate {
    Q_OBJECT
public:
    TFormTable(QWidget *parent, QStringList existingNames, int selectedCount);

    void fill(const TTableRec &table);
    // Name, mode, step and, when typed, the start combination (ascending).
    void readBack(TTableRec &table) const;

    QLineEdit *commentEdit() const { return m_comment; }
    QLineEdit *startEdit() const { return m_start; }
    QSpinBox *stepEdit() const { return m_step; }
    QRadioButton *fixedStartButton() const { return m_fixedStart; }
    QRadioButton *latestDrawButton() const { return m_latestDraw; }

    // The text the start edit shows while several combinations are selected.
    static QString selectedCombsText();

protected:
    bool validate() override;

private:
    int mode() const;
    void updateStartEdit();

    QStringList m_names;
    int m_selectedCount;
    QLineEdit *m_comment;
    QLineEdit *m_start;
    QSpinBox *m_step;
    QRadioButton *m_fixedStart;
    QRadioButton *m_latestDraw;
};

// Fills the dialog from the record (start = the one selected combination, if any) and shows it; on OK
// the record takes the dialog's values and the result is true.
bool ShowTableDialog(QWidget *parent, const QStringList &existingNames, int selectedCount, TTableRec &table);
