#pragma once

#include "common/widgets/DialogSTemplate.h"
#include "lottery/FilterItem.h"
#include "app/scenarios/FilterCheck.h"

#include <QStringList>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QSpinBox;
class TQFloatEdit;
class TStatList;

// What the filter dialog takes from the main window: its method list with the method shown on the
// statistics page, the sample length there, the current weight coefficients and the columns of the
// statistics table.
struct TFilterDialogSetup {
    std::vector<TFilterMethodEntry> methods;
    const TStatMethod *currentMethod = nullptr;
    int drawsLen = 1;
    TWeightCoefs weights{};
    QStringList sortColumns;
};

// The setup from the registry: its method list, weights and the statistics table's columns; the
// method and sample length of the statistics page are the caller's to add.
TFilterDialogSetup FilterDialogSetup(const TStatList &stats);

// "Фильтр": one filter of a scenario line.
class TFormFilter : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormFilter(QWidget *parent, const TFilterDialogSetup &setup);

    // An unused item leaves the dialog as the main window stands (method, sample, weights).
    void fill(const TFilterItem &item);
    // A new, used item from the fields; the coefficients are taken also while their fields are disabled.
    void readBack(TFilterItem &item) const;
    // The item the fields describe.
    TFilterItem currentItem() const;

    QComboBox *methodBox() const { return m_cbDrawsStatType; }
    QLineEdit *drawsLenEdit() const { return m_edDrawsLen; }
    QCheckBox *multiSelectBox() const { return m_cbMultiSelect; }
    QComboBox *levelModeBox() const { return m_cbLevelMode; }
    QLineEdit *levelValueEdit() const { return m_edLevelValue; }
    QComboBox *stopModeBox() const { return m_cbStopMode; }
    QSpinBox *stopValueEdit() const { return m_edStopValue; }
    QComboBox *sortOrderBox() const { return m_cbDrawsSortOrder; }
    QComboBox *directionBox() const { return m_cbDirection; }
    QComboBox *filterModeBox() const { return m_cbFilterMode; }
    QCheckBox *cdlOverrideBox() const { return m_cbCDLOverride; }
    TQFloatEdit *coefCountEdit() const { return m_edCoefCount; }
    TQFloatEdit *coefDeviationEdit() const { return m_edCoefDeviation; }
    TQFloatEdit *coefLevelEdit() const { return m_edCoefLevel; }
    QCheckBox *coefPercentsBox() const { return m_cbCoefPercents; }
    QCheckBox *coefAbsBox() const { return m_cbCoefAbs; }

    // Enables the own weights for the weight conditions, and their fields while the box is checked.
    void updateEnabling();

protected:
    bool validate() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *fieldOf(TFilterField field) const;
    void selectMethod(const TStatMethod *method);
    void setCoefs(const TWeightCoefs &coefs);

    std::vector<TFilterMethodEntry> m_methods;
    TWeightCoefs m_weights;
    int m_defaultDrawsLen;

    QComboBox *m_cbDrawsStatType;
    QLineEdit *m_edDrawsLen;
    QCheckBox *m_cbMultiSelect;
    QComboBox *m_cbLevelMode;
    QLineEdit *m_edLevelValue;
    QComboBox *m_cbStopMode;
    QSpinBox *m_edStopValue;
    QComboBox *m_cbDrawsSortOrder;
    QComboBox *m_cbDirection;
    QComboBox *m_cbFilterMode;
    QGroupBox *m_gbCDL;
    QCheckBox *m_cbCDLOverride;
    TQFloatEdit *m_edCoefCount;
    TQFloatEdit *m_edCoefDeviation;
    TQFloatEdit *m_edCoefLevel;
    QCheckBox *m_cbCoefPercents;
    QCheckBox *m_cbCoefAbs;
};

// Edits the filter; true on OK with the item replaced.
bool ShowFilterDialog(QWidget *parent, const TFilterDialogSetup &setup, TFilterItem &item);
