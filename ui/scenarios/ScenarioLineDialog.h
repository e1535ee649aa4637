#pragma once

#include "common/widgets/DialogSTemplate.h"
#include "lottery/FilterItem.h"
#include "lottery/ScenarioLine.h"

#include <QString>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TStatList;
class TTemplateMain;

// Edits one filter of the line (the filter dialog in the program); true on OK with the item replaced.
using FilterItemEditor = std::function<bool(QWidget *parent, TFilterItem &item)>;

// "Элемент сценария": the options of a scenario line, its seven filters and its comment.
class TFormScript : public TDialogSTemplate {
    Q_OBJECT
public:
    // Filter texts are read through the registry's methods; the editor opens a filter slot.
    TFormScript(QWidget *parent, const TStatList &stats, FilterItemEditor filterEditor);

    // The line's fields into the controls; a new (empty) line starts with the given draws to leave out.
    void fill(const QString &line, int defaultDraws);
    void readBack(QString &line) const;

    // Opens the filter of slot 1..7 in the filter editor and writes the result back into its edit.
    void editFilter(int slot);

    QComboBox *startCombsTypeBox() const { return m_cbStartCombsType; }
    QSpinBox *drawsExcludeEdit() const { return m_edDrawsExclude; }
    QComboBox *resultCombsModeBox() const { return m_cbResultCombsMode; }
    QCheckBox *clearStakesBox() const { return m_cbClearStakes; }
    QCheckBox *newOnlyBox() const { return m_cbNewOnly; }
    QLineEdit *filterEdit(int slot) const { return m_edFilters[static_cast<size_t>(slot - 1)]; }
    QPushButton *filterButton(int slot) const { return m_btnFilters[static_cast<size_t>(slot - 1)]; }
    QLineEdit *commentsEdit() const { return m_edComments; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const TStatList &m_stats;
    FilterItemEditor m_editFilter;

    QComboBox *m_cbStartCombsType;
    QSpinBox *m_edDrawsExclude;
    QComboBox *m_cbResultCombsMode;
    QCheckBox *m_cbClearStakes;
    QCheckBox *m_cbNewOnly;
    std::array<QLineEdit *, kScenarioFilterCount> m_edFilters{};
    std::array<QPushButton *, kScenarioFilterCount> m_btnFilters{};
    QLineEdit *m_edComments;
};

// Edits the line under the caption ("Создание новой строки" or "Редактирование строки"); true on OK
// with the line replaced.
bool ShowScriptDialog(QWidget *parent, const QString &caption, int defaultDraws, QString &line,
                      const TStatList &stats, const FilterItemEditor &editFilter);

// Plugs the line dialog, with the filter dialog behind its filter slots, into the window's scenario tab.
void InstallScenarioDialogs(TTemplateMain &window);
