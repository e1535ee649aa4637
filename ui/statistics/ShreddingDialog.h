#pragma once

#include "common/widgets/DialogSTemplate.h"
#include "lottery/stats/StatSettings.h"

#include <array>

class QLineEdit;
class QSpinBox;

// The three shredding formulas and the digits kept of each value.
class TFormShredding : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormShredding(QWidget *parent = nullptr);

    void fill(const TShreddingData &shredding);
    void readBack(TShreddingData &shredding) const;
    // Refuses a formula that cannot be evaluated (an empty one too), with a message.
    bool validate() override;

    QLineEdit *formulaEdit(int i) const { return m_edFormula[size_t(i)]; }
    QSpinBox *digitsEdit(int i) const { return m_edDigits[size_t(i)]; }

private:
    std::array<QLineEdit *, 3> m_edFormula{};
    std::array<QSpinBox *, 3> m_edDigits{};
};

bool ShowShreddingDialog(TShreddingData &shredding, QWidget *parent);
