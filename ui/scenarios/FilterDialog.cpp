#include "ui/scenarios/FilterDialog.h"

#include "common/Dialogs.h"
#include "common/Translate.h"
#include "common/widgets/ElidedComboBox.h"
#include "common/widgets/NumericEdit.h"
#include "lottery/stats/StatList.h"
#include "lottery/stats/StatMethod.h"
#include "app/statistics/DrawsStatCalc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

using namespace Qt::StringLiterals;

namespace {

// Entries the dialog's lists show at the least: the longest method titles and conditions are cut
// short, and read whole in the open list and in the tooltip.
constexpr int kComboChars = 30;

QComboBox *comboBox(const QString &name, const QStringList &items, QWidget *parent)
{
    auto *box = new TElidedComboBox(kComboChars, parent);
    box->setObjectName(name);
    box->addItems(items);
    box->setCurrentIndex(items.isEmpty() ? -1 : 0);
    return box;
}

QCheckBox *checkBox(const QString &name, const QString &caption, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

// Coefficients are written as the game parameters dialog writes them: a point, no grouping.
TQFloatEdit *coefEdit(const QString &name, QWidget *parent)
{
    auto *edit = new TQFloatEdit(parent);
    edit->setObjectName(name);
    edit->setLocale(QLocale::c());
    edit->setDisplayFormat(u"0.000"_s);
    return edit;
}

QStringList conditionCaptions()
{
    QStringList captions;
    for (int i = 0; i < LevelModes::Count; ++i)
        captions << ConditionCaption(i);
    return captions;
}

QStringList stopCaptions()
{
    QStringList captions;
    for (int i = 0; i < StopModes::Count; ++i)
        captions << LoopModeCaption(i);
    return captions;
}

// Sets the combo to the index when it has that entry, else to its first one.
void selectIndex(QComboBox *box, int index)
{
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : (box->count() > 0 ? 0 : -1));
}

// A typed key the list edits refuse: a printable character other than the digits, ",", "-" and ";".
// Shortcuts (pasting among them) are not keys of the list and pass.
bool refusedListKey(const QKeyEvent &key)
{
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = key.text();
    for (QChar c : text)
        if (c.isPrint() && !IsFilterListChar(c))
            return true;
    return false;
}

} // namespace

TFilterDialogSetup FilterDialogSetup(const TStatList &stats)
{
    TFilterDialogSetup setup;
    setup.methods = FilterMethodEntries(stats);
    setup.weights = stats.Config.weights;
    for (int c = 0; c < kDrawsStatColumns; ++c)
        setup.sortColumns << DrawsStatColumnCaption(c);
    return setup;
}

TFormFilter::TFormFilter(QWidget *parent, const TFilterDialogSetup &setup)
    : TDialogSTemplate(parent), m_methods(setup.methods), m_weights(setup.weights),
      m_defaultDrawsLen(setup.drawsLen)
{
    setObjectName(u"FormFilter"_s);
    setWindowTitle(Tr(u"Фильтр"));
    QWidget *area = clientArea();
    auto *layout = new QVBoxLayout(area);
    auto *form = new QFormLayout;
    layout->addLayout(form);

    QStringList methodCaptions;
    for (const TFilterMethodEntry &entry : m_methods)
        methodCaptions << entry.caption;
    m_cbDrawsStatType = comboBox(u"cbDrawsStatType"_s, methodCaptions, area);
    m_cbDrawsStatType->setMaxVisibleItems(30);
    form->addRow(Tr(u"Тип фильтра:"), m_cbDrawsStatType);

    m_edDrawsLen = new QLineEdit(area);
    m_edDrawsLen->setObjectName(u"edDrawsLen"_s);
    m_edDrawsLen->installEventFilter(this);
    form->addRow(Tr(u"Количество тиражей:"), m_edDrawsLen);

    m_cbMultiSelect = checkBox(u"cbMultiSelect"_s,
                               Tr(u"Использовать режим одновременного выделения нескольких значений в списке"), area);
    form->addRow(m_cbMultiSelect);

    m_cbLevelMode = comboBox(u"cbLevelMode"_s, conditionCaptions(), area);
    m_cbLevelMode->setMaxVisibleItems(LevelModes::Count);
    form->addRow(Tr(u"Режим выделения значений в списке статистики:"), m_cbLevelMode);

    m_edLevelValue = new QLineEdit(area);
    m_edLevelValue->setObjectName(u"edLevelValue"_s);
    m_edLevelValue->installEventFilter(this);
    form->addRow(Tr(u"Значения:"), m_edLevelValue);

    m_cbStopMode = comboBox(u"cbStopMode"_s, stopCaptions(), area);
    form->addRow(Tr(u"Остановка по:"), m_cbStopMode);

    m_edStopValue = new QSpinBox(area);
    m_edStopValue->setObjectName(u"edStopValue"_s);
    m_edStopValue->setRange(1, INT_MAX);
    m_edStopValue->setValue(1);
    form->addRow(Tr(u"Значение:"), m_edStopValue);

    m_cbDrawsSortOrder = comboBox(u"cbDrawsSortOrder"_s, setup.sortColumns, area);
    selectIndex(m_cbDrawsSortOrder, 1);
    form->addRow(Tr(u"Сортировать по столбцу:"), m_cbDrawsSortOrder);

    m_cbDirection = comboBox(u"cbDirection"_s, {Tr(u"Сверху-вниз"), Tr(u"Снизу-вверх")}, area);
    form->addRow(Tr(u"Направление:"), m_cbDirection);

    m_cbFilterMode = comboBox(u"cbFilterMode"_s, {Tr(u"Удалить выделенные"), Tr(u"Оставить выделенные")}, area);
    form->addRow(Tr(u"Режим фильтра:"), m_cbFilterMode);

    m_gbCDL = new QGroupBox(Tr(u" Коэффициенты для расчета значений \"Вес\" "), area);
    m_gbCDL->setObjectName(u"gbCDL"_s);
    layout->addWidget(m_gbCDL);
    auto *cdl = new QFormLayout(m_gbCDL);
    m_cbCDLOverride = checkBox(u"cbCDLOverride"_s,
                               Tr(u"Использовать приведенные ниже коэффициенты для расчета значений \"Вес\""), m_gbCDL);
    cdl->addRow(m_cbCDLOverride);
    m_edCoefCount = coefEdit(u"edCoefCount"_s, m_gbCDL);
    cdl->addRow(Tr(u"Количество:"), m_edCoefCount);
    m_edCoefDeviation = coefEdit(u"edCoefDeviation"_s, m_gbCDL);
    cdl->addRow(Tr(u"Отклонение:"), m_edCoefDeviation);
    m_edCoefLevel = coefEdit(u"edCoefLevel"_s, m_gbCDL);
    cdl->addRow(Tr(u"Глубина:"), m_edCoefLevel);
    m_cbCoefPercents = checkBox(u"cbCoefPercents"_s, Tr(u"Использовать значения в %"), m_gbCDL);
    cdl->addRow(m_cbCoefPercents);
    m_cbCoefAbs = checkBox(u"cbCoefAbs"_s, Tr(u"Использовать абсолютные значения"), m_gbCDL);
    cdl->addRow(m_cbCoefAbs);

    // The dialog opens as the main window stands.
    selectMethod(setup.currentMethod);
    m_edDrawsLen->setText(QString::number(m_defaultDrawsLen));
    setCoefs(m_weights);

    connect(m_cbLevelMode, &QComboBox::currentIndexChanged, this, &TFormFilter::updateEnabling);
    connect(m_cbCDLOverride, &QCheckBox::toggled, this, &TFormFilter::updateEnabling);
    updateEnabling();
}

void TFormFilter::selectMethod(const TStatMethod *method)
{
    int index = 0;
    for (size_t i = 0; method && i < m_methods.size(); ++i) {
        const TStatMethod *entry = m_methods[i].method;
        if (entry == method || (entry && entry->MethodCode() == method->MethodCode())) {
            index = static_cast<int>(i);
            break;
        }
    }
    selectIndex(m_cbDrawsStatType, index);
}

void TFormFilter::setCoefs(const TWeightCoefs &coefs)
{
    m_edCoefCount->setValue(static_cast<double>(coefs.count));
    m_edCoefDeviation->setValue(static_cast<double>(coefs.deviation));
    m_edCoefLevel->setValue(static_cast<double>(coefs.level));
    m_cbCoefPercents->setChecked(coefs.usePercents);
    m_cbCoefAbs->setChecked(coefs.useAbsValues);
}

void TFormFilter::fill(const TFilterItem &item)
{
    if (!item.Used) {
        updateEnabling();
        return;
    }
    // A method that is no longer listed opens as the first one.
    selectMethod(item.Method);
    if (!item.DrawsLen.isEmpty())
        m_edDrawsLen->setText(item.DrawsLen);
    m_cbDrawsSortOrder->setCurrentIndex(FilterSortColumnShown(item.SortColumn, m_cbDrawsSortOrder->count()));
    m_cbDirection->setCurrentIndex(item.BottomUp ? 1 : 0);
    m_cbMultiSelect->setChecked(item.MultiSelect);
    m_cbFilterMode->setCurrentIndex(item.KeepSelected ? 1 : 0);
    selectIndex(m_cbLevelMode, item.LevelMode);
    if (!item.LevelValue.isEmpty())
        m_edLevelValue->setText(item.LevelValue);
    m_cbCDLOverride->setChecked(item.CDLOverride);
    setCoefs(item.CDLOverride ? item.Coefs : m_weights);
    selectIndex(m_cbStopMode, item.StopMode);
    m_edStopValue->setValue(item.StopValue);
    updateEnabling();
}

TFilterItem TFormFilter::currentItem() const
{
    TFilterItem item;
    item.Used = true;
    const int method = m_cbDrawsStatType->currentIndex();
    if (method >= 0 && method < static_cast<int>(m_methods.size()))
        item.Method = m_methods[static_cast<size_t>(method)].method;
    item.DrawsLen = m_edDrawsLen->text().trimmed();
    item.SortColumn = m_cbDrawsSortOrder->currentIndex(); // -1 (no column chosen): unsorted
    item.BottomUp = m_cbDirection->currentIndex() == 1;
    item.MultiSelect = m_cbMultiSelect->isChecked();
    item.KeepSelected = m_cbFilterMode->currentIndex() == 1;
    item.LevelMode = static_cast<uint8_t>(std::max(m_cbLevelMode->currentIndex(), 0));
    item.LevelValue = m_edLevelValue->text().trimmed();
    item.CDLOverride = m_cbCDLOverride->isChecked();
    item.Coefs.count = m_edCoefCount->value();
    item.Coefs.deviation = m_edCoefDeviation->value();
    item.Coefs.level = m_edCoefLevel->value();
    item.Coefs.usePercents = m_cbCoefPercents->isChecked();
    item.Coefs.useAbsValues = m_cbCoefAbs->isChecked();
    item.StopMode = static_cast<uint8_t>(std::max(m_cbStopMode->currentIndex(), 0));
    item.StopValue = m_edStopValue->value();
    return item;
}

void TFormFilter::readBack(TFilterItem &item) const
{
    item = currentItem();
}

void TFormFilter::updateEnabling()
{
    const bool weights = ConditionUsesWeights(m_cbLevelMode->currentIndex());
    m_cbCDLOverride->setEnabled(weights);
    const bool own = weights && m_cbCDLOverride->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{m_edCoefCount, m_edCoefDeviation, m_edCoefLevel,
                                                       m_cbCoefPercents, m_cbCoefAbs})
        w->setEnabled(own);
}

QWidget *TFormFilter::fieldOf(TFilterField field) const
{
    switch (field) {
    case TFilterField::Method:
        return m_cbDrawsStatType;
    case TFilterField::DrawsLen:
        return m_edDrawsLen;
    case TFilterField::LevelMode:
        return m_cbLevelMode;
    case TFilterField::LevelValue:
        return m_edLevelValue;
    case TFilterField::StopMode:
        return m_cbStopMode;
    case TFilterField::None:
        break;
    }
    return nullptr;
}

bool TFormFilter::validate()
{
    // A coefficient typed but not yet committed counts as entered.
    for (TQFloatEdit *edit : {m_edCoefCount, m_edCoefDeviation, m_edCoefLevel})
        if (edit->isTextModified())
            edit->parseText();
    const TFilterProblem problem = CheckFilterItem(currentItem());
    if (problem.ok())
        return true;
    ShowErrorBox(problem.message);
    if (QWidget *field = fieldOf(problem.field))
        field->setFocus();
    return false;
}

bool TFormFilter::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_edDrawsLen || watched == m_edLevelValue) && event->type() == QEvent::KeyPress &&
        refusedListKey(*static_cast<QKeyEvent *>(event)))
        return true;
    return TDialogSTemplate::eventFilter(watched, event);
}

void TFormFilter::showEvent(QShowEvent *event)
{
    updateEnabling();
    TDialogSTemplate::showEvent(event);
}

bool ShowFilterDialog(QWidget *parent, const TFilterDialogSetup &setup, TFilterItem &item)
{
    return EditInDialog<TFormFilter>(item, parent, setup);
}
