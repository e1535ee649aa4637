#include "ui/scenarios/ScenarioLineDialog.h"

#include "common/Translate.h"
#include "lottery/stats/StatList.h"
#include "ui/scenarios/FilterDialog.h"
#include "ui/scenarios/ScenarioPage.h"
#include "ui/statistics/StatisticsPage.h"
#include "ui/window/TemplateMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <climits>

using namespace Qt::StringLiterals;

namespace {

QComboBox *captionsBox(const QString &name, int count, QString (*caption)(int), QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    for (int i = 0; i < count; ++i)
        box->addItem(caption(i));
    box->setCurrentIndex(0);
    return box;
}

QCheckBox *checkBox(const QString &name, const QString &caption, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

void selectIndex(QComboBox *box, int index)
{
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0);
}

} // namespace

TFormScript::TFormScript(QWidget *parent, const TStatList &stats, FilterItemEditor filterEditor)
    : TDialogSTemplate(parent), m_stats(stats), m_editFilter(std::move(filterEditor))
{
    setObjectName(u"FormScript"_s);
    setWindowTitle(Tr(u"Элемент сценария"));
    QWidget *area = clientArea();
    auto *layout = new QVBoxLayout(area);

    auto *options = new QGroupBox(Tr(u" Опции "), area);
    options->setObjectName(u"gbOptions"_s);
    layout->addWidget(options);
    auto *optionsForm = new QFormLayout(options);
    m_cbStartCombsType =
        captionsBox(u"cbStartCombsType"_s, ScenarioSource::Count, &SourceListCaption, options);
    optionsForm->addRow(Tr(u"Начальный список комбинаций:"), m_cbStartCombsType);
    m_edDrawsExclude = new QSpinBox(options);
    m_edDrawsExclude->setObjectName(u"edDrawsExclude"_s);
    m_edDrawsExclude->setRange(0, INT_MAX);
    m_edDrawsExclude->setValue(0);
    optionsForm->addRow(Tr(u"Кол-во тиражей:"), m_edDrawsExclude);
    m_cbResultCombsMode =
        captionsBox(u"cbResultCombsMode"_s, StakeChoice::Count, &StakeChoiceCaption, options);
    // The long caption stands above its list, so that the dialog fits a small screen whole.
    auto *resultLabel = new QLabel(Tr(u"В случае неоднозначного результата после применения фильтров:"), options);
    resultLabel->setBuddy(m_cbResultCombsMode);
    optionsForm->addRow(resultLabel);
    optionsForm->addRow(m_cbResultCombsMode);
    m_cbClearStakes =
        checkBox(u"cbClearStakes"_s, Tr(u"Удалить все ставки перед выполнением (накопление только рейтинга)"), options);
    optionsForm->addRow(m_cbClearStakes);
    m_cbNewOnly =
        checkBox(u"cbNewOnly"_s, Tr(u"Только новые ставки (пропускать те ставки, которые уже есть в списке)"), options);
    optionsForm->addRow(m_cbNewOnly);

    auto *filters = new QGroupBox(Tr(u" Фильтры "), area);
    filters->setObjectName(u"gbFilters"_s);
    layout->addWidget(filters);
    auto *grid = new QGridLayout(filters);
    for (int slot = 1; slot <= kScenarioFilterCount; ++slot) {
        const auto i = static_cast<size_t>(slot - 1);
        auto *edit = new QLineEdit(filters);
        edit->setObjectName(u"edFilter"_s + QString::number(slot));
        edit->setMinimumWidth(360);
        edit->installEventFilter(this);
        auto *button = new QPushButton(u"..."_s, filters);
        button->setObjectName(u"btnFilter"_s + QString::number(slot));
        button->setAutoDefault(false);
        button->setFixedWidth(button->fontMetrics().horizontalAdvance(u"...."_s) + 12);
        auto *label = new QLabel(Tr(u"Фильтр %1:").arg(slot), filters);
        label->setBuddy(edit);
        grid->addWidget(label, slot - 1, 0);
        grid->addWidget(edit, slot - 1, 1);
        grid->addWidget(button, slot - 1, 2);
        connect(button, &QPushButton::clicked, this, [this, slot] { editFilter(slot); });
        m_edFilters[i] = edit;
        m_btnFilters[i] = button;
    }

    auto *commentForm = new QFormLayout;
    layout->addLayout(commentForm);
    m_edComments = new QLineEdit(area);
    m_edComments->setObjectName(u"edComments"_s);
    commentForm->addRow(Tr(u"Комментарии:"), m_edComments);
}

void TFormScript::fill(const QString &line, int defaultDraws)
{
    // An empty line starts from the defaults; a line fills every control.
    const TScenarioHeader header =
        line.trimmed().isEmpty() ? TScenarioHeader{} : TextToScenarioHeader(ScenarioLineHeader(line));
    m_edDrawsExclude->setValue(line.trimmed().isEmpty() ? std::max(defaultDraws, 0) : header.ExcludeCount);
    selectIndex(m_cbStartCombsType, header.StartCombsType);
    selectIndex(m_cbResultCombsMode, header.ResultCombsMode);
    m_cbClearStakes->setChecked(header.ClearStakes);
    m_cbNewOnly->setChecked(header.NewOnly);
    for (int slot = 1; slot <= kScenarioFilterCount; ++slot)
        filterEdit(slot)->setText(ScenarioLineFilter(line, slot));
    m_edComments->setText(ScenarioLineComment(line));
}

void TFormScript::readBack(QString &line) const
{
    TScenarioHeader header;
    header.ExcludeCount = m_edDrawsExclude->value();
    header.StartCombsType = static_cast<uint8_t>(std::max(m_cbStartCombsType->currentIndex(), 0));
    header.ResultCombsMode = static_cast<uint8_t>(std::max(m_cbResultCombsMode->currentIndex(), 0));
    header.ClearStakes = m_cbClearStakes->isChecked();
    header.NewOnly = m_cbNewOnly->isChecked();
    TScenarioFilterTexts filters;
    for (int slot = 1; slot <= kScenarioFilterCount; ++slot)
        filters[static_cast<size_t>(slot - 1)] = filterEdit(slot)->text();
    line = BuildScenarioLine(m_edComments->text(), ScenarioHeaderToText(header), filters);
}

void TFormScript::editFilter(int slot)
{
    if (slot < 1 || slot > kScenarioFilterCount || !m_editFilter)
        return;
    QLineEdit *edit = filterEdit(slot);
    TFilterItem item = TextToFilterItem(edit->text().trimmed(), m_stats);
    if (!m_editFilter(this, item))
        return;
    edit->setText(FilterItemToText(item));
    edit->setFocus();
}

bool TFormScript::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int slot = 1; slot <= kScenarioFilterCount; ++slot) {
            if (watched == filterEdit(slot)) {
                editFilter(slot);
                return true;
            }
        }
    }
    return TDialogSTemplate::eventFilter(watched, event);
}

bool ShowScriptDialog(QWidget *parent, const QString &caption, int defaultDraws, QString &line,
                      const TStatList &stats, const FilterItemEditor &editFilter)
{
    TFormScript dialog(parent, stats, editFilter);
    dialog.setWindowTitle(caption);
    dialog.fill(line, defaultDraws);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    dialog.readBack(line);
    return true;
}

void InstallScenarioDialogs(TTemplateMain &window)
{
    TTemplateMain *main = &window;
    const FilterItemEditor editFilter = [main](QWidget *parent, TFilterItem &item) {
        TFilterDialogSetup setup = FilterDialogSetup(StatList());
        if (TStatisticsPage *page = main->statisticsPage()) {
            setup.currentMethod = page->selectedMethod();
            setup.drawsLen = page->sampleLength();
        }
        return ShowFilterDialog(parent, setup, item);
    };
    window.scenarioPage()->setLineDialog(
        [editFilter](QWidget *parent, const QString &caption, int defaultDraws, QString &line) {
            return ShowScriptDialog(parent, caption, defaultDraws, line, StatList(), editFilter);
        });
}
