#include "ui/statistics/ShreddingDialog.h"

#include "common/Dialogs.h"
#include "common/Format.h"
#include "common/Translate.h"
#include "app/views/StatSettingsEdit.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TFormShredding::TFormShredding(QWidget *parent) : TDialogSTemplate(parent)
{
    setObjectName(u"FormShredding"_s);
    setWindowTitle(Tr(u"Методы шинковки"));
    QWidget *area = clientArea();
    auto *grid = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        auto *formula = new QLineEdit(area);
        formula->setObjectName(Format(u"edFormula%d", {i + 1}));
        formula->setToolTip(Tr(u"Используемая формула"));
        auto *digits = new QSpinBox(area);
        digits->setObjectName(Format(u"edDigits%d", {i + 1}));
        digits->setRange(kMinFormulaDigits, kMaxFormulaDigits);
        digits->setToolTip(Tr(u"Количество используемых знаков после запятой"));
        grid->addWidget(new QLabel(Format(u"Формула %d:", {i + 1}), area), i, 0);
        grid->addWidget(formula, i, 1);
        grid->addWidget(digits, i, 2);
        m_edFormula[size_t(i)] = formula;
        m_edDigits[size_t(i)] = digits;
    }
    grid->setColumnStretch(1, 1);
    auto *note = new QLabel(MessageToDisplay(Tr(u"Используемые переменные:\r\nn1, n2, n3, ..., nX - числа текущего "
                                             u"тиража\r\np1, p2, p3, ..., pX - числа предыдущего тиража")),
                            area);
    note->setObjectName(u"lbNote"_s);
    auto *layout = new QVBoxLayout(area);
    layout->addLayout(grid);
    layout->addWidget(note);
    resize(520, 200);
}

void TFormShredding::fill(const TShreddingData &shredding)
{
    for (size_t i = 0; i < 3; ++i) {
        m_edFormula[i]->setText(shredding.Formulas[i]);
        m_edDigits[i]->setValue(shredding.Digits[i]);
    }
}

void TFormShredding::readBack(TShreddingData &shredding) const
{
    for (size_t i = 0; i < 3; ++i) {
        shredding.Formulas[i] = m_edFormula[i]->text().trimmed();
        shredding.Digits[i] = static_cast<uint8_t>(m_edDigits[i]->value());
    }
}

bool TFormShredding::validate()
{
    for (size_t i = 0; i < 3; ++i) {
        const QString formula = m_edFormula[i]->text().trimmed();
        if (!IsValidShreddingFormula(formula)) {
            ShowErrorBox(BadFormulaMessage(int(i) + 1, formula));
            m_edFormula[i]->setFocus();
            return false;
        }
    }
    return true;
}

bool ShowShreddingDialog(TShreddingData &shredding, QWidget *parent)
{
    return EditInDialog<TFormShredding>(shredding, parent);
}
