#pragma once

#include "common/widgets/DialogSTemplate.h"
#include "lottery/DrawTypes.h"
#include "app/views/StatSettingsEdit.h"

#include <vector>

class QCheckBox;
class QLabel;
class QSpinBox;
class QTableWidget;
class QTableWidgetItem;
class TQFloatEdit;

// The game parameters: the number matrix and its segments, the channel size, the cost of a stake, the
// prize table and the weights by which statistic values are chosen.
class TFormConfig : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormConfig(QWidget *parent = nullptr);

    void fill(const TConfigData &config);
    // The controls into the record; the prize table only when its lines are valid (validate() tells).
    void readBack(TConfigData &config) const;
    // Refuses a prize table with a bad or repeated line, with a message.
    bool validate() override;

    QSpinBox *matrixColEdit() const { return m_edMatrixCol; }
    QSpinBox *matrixRowEdit() const { return m_edMatrixRow; }
    QSpinBox *channelSizeEdit() const { return m_edChannelSize; }
    TQFloatEdit *costEdit() const { return m_edCost; }
    QTableWidget *profitsEdit() const { return m_edProfits; }
    TQFloatEdit *coefCountEdit() const { return m_edCoefCount; }
    TQFloatEdit *coefDeviationEdit() const { return m_edCoefDeviation; }
    TQFloatEdit *coefLevelEdit() const { return m_edCoefLevel; }
    QCheckBox *coefPercentsCheck() const { return m_cbCoefPercents; }
    QCheckBox *coefAbsCheck() const { return m_cbCoefAbs; }
    QTableWidget *segmentsGrid() const { return m_sgSegments; }

    // The prize lines as the table holds them, blank lines included.
    std::vector<TProfitLine> profitLines() const;
    // The 45 segment numbers as the grid holds them (a bad or empty cell counts as 1).
    TSegmentsArray gridSegments() const;

private:
    void matrixColChanged(int cols);
    void writeSegments(const TSegmentsArray &segments, int cols);
    void segmentEdited(QTableWidgetItem *item);
    void profitEdited(QTableWidgetItem *item);
    void setProfitLines(const std::vector<TProfitLine> &lines);
    // Keeps one empty line at the end of the prize table for a new entry.
    void ensureSpareProfitLine();

    QSpinBox *m_edMatrixCol;
    QSpinBox *m_edMatrixRow;
    QSpinBox *m_edChannelSize;
    TQFloatEdit *m_edCost;
    QLabel *m_lbStakeMaxLen;
    QSpinBox *m_edStakeMaxLen;
    QTableWidget *m_edProfits;
    TQFloatEdit *m_edCoefCount;
    TQFloatEdit *m_edCoefDeviation;
    TQFloatEdit *m_edCoefLevel;
    QCheckBox *m_cbCoefPercents;
    QCheckBox *m_cbCoefAbs;
    QTableWidget *m_sgSegments;
    bool m_filled = false;
    bool m_settingCells = false;
};

// Shows the dialog on the settings; on OK the record holds what was confirmed and the result is true.
bool ShowConfigDialog(TConfigData &config, QWidget *parent);
