#include "ui/statistics/ConfigDialog.h"

#include "common/Dialogs.h"
#include "common/Translate.h"
#include "common/widgets/NumericEdit.h"
#include "lottery/stats/StatSettings.h"
#include "app/stakes/StakeRecord.h"
#include "app/views/StatSettingsEdit.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// In-place editors that take only the characters the column allows.
class CharsDelegate : public QStyledItemDelegate {
public:
    CharsDelegate(const QString &pattern, QObject *parent) : QStyledItemDelegate(parent), m_pattern(pattern) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->setValidator(new QRegularExpressionValidator(QRegularExpression(m_pattern), line));
        return editor;
    }

private:
    QString m_pattern;
};

// Amounts and coefficients are written as the program writes numbers everywhere (the stakes list,
// the charts, the settings file): a point before the decimals and no grouping, whatever the desktop;
// a comma typed is read as the point.
TQFloatEdit *floatEdit(const QString &name, const QString &format, QWidget *parent)
{
    auto *edit = new TQFloatEdit(parent);
    edit->setObjectName(name);
    edit->setLocale(QLocale::c());
    edit->setDisplayFormat(format);
    return edit;
}

QSpinBox *spinEdit(const QString &name, int min, int max, QWidget *parent)
{
    auto *edit = new QSpinBox(parent);
    edit->setObjectName(name);
    edit->setRange(min, max);
    return edit;
}

} // namespace

TFormConfig::TFormConfig(QWidget *parent) : TDialogSTemplate(parent)
{
    setObjectName(u"FormConfig"_s);
    setWindowTitle(Tr(u"Параметры системы"));
    QWidget *area = clientArea();

    m_edMatrixCol = spinEdit(u"edMatrixCol"_s, kMinMatrixCols, kMaxMatrixCols, area);
    m_edMatrixCol->setToolTip(Tr(u"Количество столбцов"));
    m_edMatrixRow = spinEdit(u"edMatrixRow"_s, 1, kMaxNumber, area);
    m_edMatrixRow->setToolTip(Tr(u"Количество строк"));
    // The rows follow from the columns: the program sets them.
    m_edMatrixRow->setReadOnly(true);
    m_edMatrixRow->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_edMatrixRow->setFocusPolicy(Qt::NoFocus);
    m_edChannelSize = spinEdit(u"edChannelSize"_s, kMinChannelSize, kMaxChannelSize, area);
    m_edCost = floatEdit(u"edCost"_s, u"0.00"_s, area);
    m_edCost->setToolTip(Tr(u"Стоимость одной ставки"));
    m_lbStakeMaxLen = new QLabel(Tr(u"Расширенная ставка:"), area);
    m_edStakeMaxLen = spinEdit(u"edStakeMaxLen"_s, kMainCount, kMaxNumber, area);
    m_lbStakeMaxLen->setVisible(false);
    m_edStakeMaxLen->setVisible(false);

    m_edProfits = new QTableWidget(0, 2, area);
    m_edProfits->setObjectName(u"edProfits"_s);
    m_edProfits->setHorizontalHeaderLabels({Tr(u"Совпадений"), Tr(u"Сумма выигрыша")});
    m_edProfits->verticalHeader()->setVisible(false);
    m_edProfits->horizontalHeader()->setStretchLastSection(true);
    m_edProfits->setSelectionMode(QAbstractItemView::SingleSelection);
    m_edProfits->setItemDelegateForColumn(0, new CharsDelegate(u"[0-9]*"_s, m_edProfits));
    m_edProfits->setItemDelegateForColumn(1, new CharsDelegate(u"[0-9.,]*"_s, m_edProfits));

    m_edCoefCount = floatEdit(u"edCoefCount"_s, u"0.000"_s, area);
    m_edCoefDeviation = floatEdit(u"edCoefDeviation"_s, u"0.000"_s, area);
    m_edCoefLevel = floatEdit(u"edCoefLevel"_s, u"0.000"_s, area);
    m_cbCoefPercents = new QCheckBox(Tr(u"Использовать значения в %"), area);
    m_cbCoefPercents->setObjectName(u"cbCoefPercents"_s);
    m_cbCoefAbs = new QCheckBox(Tr(u"Использовать абсолютные значения"), area);
    m_cbCoefAbs->setObjectName(u"cbCoefAbs"_s);

    m_sgSegments = new QTableWidget(area);
    m_sgSegments->setObjectName(u"sgSegments"_s);
    m_sgSegments->horizontalHeader()->setVisible(false);
    m_sgSegments->verticalHeader()->setVisible(false);
    m_sgSegments->horizontalHeader()->setDefaultSectionSize(28);
    m_sgSegments->verticalHeader()->setDefaultSectionSize(24);
    m_sgSegments->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sgSegments->setItemDelegate(new CharsDelegate(u"[0-9]*"_s, m_sgSegments));

    auto *matrix = new QHBoxLayout;
    matrix->addWidget(m_edMatrixCol);
    matrix->addWidget(new QLabel(u"x"_s, area));
    matrix->addWidget(m_edMatrixRow);
    auto *form = new QFormLayout;
    form->addRow(Tr(u"Размер матрицы:"), matrix);
    form->addRow(Tr(u"Размер канала:"), m_edChannelSize);
    form->addRow(Tr(u"Стоимость ставки:"), m_edCost);
    form->addRow(m_lbStakeMaxLen, m_edStakeMaxLen);
    form->addRow(new QLabel(Tr(u"Размеры выигрышей:"), area));
    form->addRow(m_edProfits);

    auto *weights = new QGroupBox(Tr(u" Коэффициенты для поля \"Вес\" "), area);
    auto *weightsForm = new QFormLayout(weights);
    weightsForm->addRow(Tr(u"Количество:"), m_edCoefCount);
    weightsForm->addRow(Tr(u"Отклонение:"), m_edCoefDeviation);
    weightsForm->addRow(Tr(u"Глубина:"), m_edCoefLevel);
    weightsForm->addRow(m_cbCoefPercents);
    weightsForm->addRow(m_cbCoefAbs);

    auto *left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(weights);
    auto *right = new QVBoxLayout;
    right->addWidget(new QLabel(Tr(u"Сегменты матрицы:"), area));
    right->addWidget(m_sgSegments, 1);
    auto *layout = new QHBoxLayout(area);
    layout->addLayout(left);
    layout->addLayout(right);

    connect(m_edMatrixCol, &QSpinBox::valueChanged, this, &TFormConfig::matrixColChanged);
    connect(m_sgSegments, &QTableWidget::itemChanged, this, &TFormConfig::segmentEdited);
    connect(m_edProfits, &QTableWidget::itemChanged, this, &TFormConfig::profitEdited);
    resize(620, 460);
}

void TFormConfig::fill(const TConfigData &config)
{
    m_filled = false;
    m_edMatrixCol->setValue(config.matrixCols);
    const int cols = m_edMatrixCol->value();
    m_edMatrixRow->setValue(SegmentGridRows(cols));
    m_edChannelSize->setValue(config.channelSize);
    m_edCost->setValue(MoneyToUnits(config.cost));
    m_edStakeMaxLen->setValue(config.maxStake);
    m_edCoefCount->setValue(double(config.weights.count));
    m_edCoefDeviation->setValue(double(config.weights.deviation));
    m_edCoefLevel->setValue(double(config.weights.level));
    m_cbCoefPercents->setChecked(config.weights.usePercents);
    m_cbCoefAbs->setChecked(config.weights.useAbsValues);
    setProfitLines(ProfitLinesOf(config.profits));
    writeSegments(config.matrixSegments, cols);
    m_filled = true;
}

void TFormConfig::readBack(TConfigData &config) const
{
    config.matrixCols = m_edMatrixCol->value();
    config.channelSize = m_edChannelSize->value();
    config.cost = MoneyFromUnits(m_edCost->value(), config.cost);
    config.maxStake = m_edStakeMaxLen->value();
    config.weights.count = m_edCoefCount->value();
    config.weights.deviation = m_edCoefDeviation->value();
    config.weights.level = m_edCoefLevel->value();
    config.weights.usePercents = m_cbCoefPercents->isChecked();
    config.weights.useAbsValues = m_cbCoefAbs->isChecked();
    TProfitDrawArray profits;
    QString error;
    if (ParseProfitLines(profitLines(), profits, error))
        config.profits = std::move(profits);
    config.matrixSegments = gridSegments();
}

bool TFormConfig::validate()
{
    TProfitDrawArray profits;
    QString error;
    if (!ParseProfitLines(profitLines(), profits, error)) {
        ShowErrorBox(error);
        m_edProfits->setFocus();
        return false;
    }
    return true;
}

std::vector<TProfitLine> TFormConfig::profitLines() const
{
    std::vector<TProfitLine> lines;
    for (int r = 0; r < m_edProfits->rowCount(); ++r) {
        const QTableWidgetItem *key = m_edProfits->item(r, 0);
        const QTableWidgetItem *value = m_edProfits->item(r, 1);
        lines.push_back({key ? key->text() : QString(), value ? value->text() : QString()});
    }
    return lines;
}

void TFormConfig::setProfitLines(const std::vector<TProfitLine> &lines)
{
    const QSignalBlocker block(m_edProfits);
    m_edProfits->setRowCount(0);
    m_edProfits->setRowCount(static_cast<int>(lines.size()));
    for (int r = 0; r < static_cast<int>(lines.size()); ++r) {
        m_edProfits->setItem(r, 0, new QTableWidgetItem(lines[size_t(r)].key));
        auto *value = new QTableWidgetItem(lines[size_t(r)].value);
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_edProfits->setItem(r, 1, value);
    }
    ensureSpareProfitLine();
}

void TFormConfig::ensureSpareProfitLine()
{
    const int rows = m_edProfits->rowCount();
    if (rows > 0) {
        const QTableWidgetItem *key = m_edProfits->item(rows - 1, 0);
        const QTableWidgetItem *value = m_edProfits->item(rows - 1, 1);
        if ((!key || key->text().isEmpty()) && (!value || value->text().isEmpty()))
            return;
    }
    const QSignalBlocker block(m_edProfits);
    m_edProfits->insertRow(rows);
}

void TFormConfig::profitEdited(QTableWidgetItem *item)
{
    if (item->column() == 1) {
        const QSignalBlocker block(m_edProfits);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // A prize typed "300,5" is written at once as every amount is, "300.50".
        TCurrency prize = 0;
        if (ParseMoneyText(item->text(), prize))
            item->setText(MoneyText(prize));
    }
    ensureSpareProfitLine();
}

TSegmentsArray TFormConfig::gridSegments() const
{
    TSegmentsArray segments;
    segments.fill(1);
    const int cols = m_sgSegments->columnCount();
    if (cols < 1)
        return segments;
    for (int n = 0; n < kMaxNumber; ++n) {
        const QTableWidgetItem *item = m_sgSegments->item(n / cols, n % cols);
        segments[size_t(n)] = SegmentOfCell(item ? item->text() : QString());
    }
    return segments;
}

void TFormConfig::writeSegments(const TSegmentsArray &segments, int cols)
{
    m_settingCells = true;
    const int rows = SegmentGridRows(cols);
    m_sgSegments->clear();
    m_sgSegments->setColumnCount(cols);
    m_sgSegments->setRowCount(rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const int n = r * cols + c;
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            if (n < kMaxNumber) {
                item->setText(QString::number(segments[size_t(n)]));
                item->setToolTip(QString::number(n + 1));
            } else {
                // Beyond the 45 numbers: nothing to select or edit.
                item->setFlags(Qt::NoItemFlags);
            }
            m_sgSegments->setItem(r, c, item);
        }
    m_settingCells = false;
}

void TFormConfig::matrixColChanged(int cols)
{
    m_edMatrixRow->setValue(SegmentGridRows(cols));
    if (!m_filled)
        return;
    writeSegments(gridSegments(), cols);
}

void TFormConfig::segmentEdited(QTableWidgetItem *item)
{
    if (m_settingCells)
        return;
    const QString typed = item->text();
    if (IsValidSegmentText(typed))
        return;
    m_settingCells = true;
    item->setText(u"1"_s);
    m_settingCells = false;
    ShowErrorBox(BadSegmentMessage(typed));
}

bool ShowConfigDialog(TConfigData &config, QWidget *parent)
{
    // The caller's record is replaced only by a complete, confirmed one.
    TConfigData edited = config;
    if (!EditInDialog<TFormConfig>(edited, parent))
        return false;
    config = std::move(edited);
    return true;
}
