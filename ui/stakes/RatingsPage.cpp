#include "ui/stakes/RatingsPage.h"

#include "common/widgets/FileDialogs.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/Translate.h"
#include "common/widgets/ExcelExportDialog.h"
#include "common/widgets/ListView.h"
#include "app/settings/MainOptions.h"
#include "app/scenarios/ScenarioList.h"
#include "app/stakes/StakesFile.h"

#include <QAction>
#include <QActionGroup>
#include <QHeaderView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

struct StatusReset {
    ~StatusReset() { SetStatusText({}); }
};

RatingsCsvDialog &CsvDialog()
{
    static RatingsCsvDialog dialog;
    return dialog;
}

QString AskCsvFileName(QWidget *parent)
{
    if (CsvDialog())
        return CsvDialog()(parent);
    return RunFileDialog(parent, {Tr(u"CSV-файлы (*.csv)"), u"csv"_s, true, {}, {}});
}

} // namespace

void SetRatingsCsvDialog(RatingsCsvDialog dialog)
{
    CsvDialog() = std::move(dialog);
}

TRatingsPage::TRatingsPage(TRatings &ratings, MainOptions &options, QWidget *parent)
    : QWidget(parent), m_ratings(ratings), m_options(options), m_shares(ExpectedMatchShares())
{
    setObjectName(u"tsRatings"_s);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_list = new TQSortListView(this);
    m_list->setObjectName(u"lvRatings"_s);
    m_list->setMultiSelect(true);
    const QStringList captions = RatingsColumnCaptions();
    for (int c = 0; c < captions.size(); ++c)
        m_list->addColumn(captions[c], c == rcName ? 300 : 60, c == rcName ? Qt::AlignLeft : Qt::AlignRight);
    m_list->listModel()->setOwnerData([this](int row, int column) -> QString {
        if (row < 0 || row >= m_ratings.count())
            return {};
        return RatingCellText(m_ratings.items()[static_cast<size_t>(row)], column, m_options.ratingsEffMode, m_shares);
    });
    // The indicator first, the sorting hook after it: setting up the list must not rewrite the file.
    m_list->setSort(m_ratings.sortColumn(), m_ratings.descending() ? sdDescending : sdAscending);
    m_list->listModel()->setOwnerSort([this](int column, TSortDirection direction) {
        m_ratings.setSort(column, direction == sdDescending);
        m_ratings.Sort();
    });
    layout->addWidget(m_list);

    m_actRefresh =
        makeAction(Tr(u"Обновить рейтинг по текущим ставкам"), u"RatingsRefresh"_s, &TRatingsPage::ratingsRefresh);
    m_actExport = makeAction(Tr(u"Экспорт рейтинга в CSV-файл"), u"RatingsExport"_s, &TRatingsPage::ratingsExport);
    m_actXlsExport =
        makeAction(Tr(u"Экспорт рейтинга в Microsoft Excel"), u"RatingsXlsExport"_s, &TRatingsPage::ratingsXlsExport);
    m_actToScript = makeAction(Tr(u"Добавить в сценарий"), u"RatingsToScript"_s, &TRatingsPage::ratingsToScript);
    const std::array<QString, 3> modeCaptions{Tr(u"Ожидаемые значения совпадений"),
                                              Tr(u"Абсолютные значения эффективности"),
                                              Tr(u"Относительные значения эффективности")};
    auto *group = new QActionGroup(this);
    for (int mode = 0; mode < 3; ++mode) {
        auto *a = new QAction(modeCaptions[static_cast<size_t>(mode)], group);
        a->setObjectName(u"RatingsEffMode%1"_s.arg(mode));
        a->setCheckable(true);
        a->setChecked(m_options.ratingsEffMode == mode);
        connect(a, &QAction::triggered, this, [this, mode] { guarded([this, mode] { setEffMode(mode); }); });
        m_actEffMode[static_cast<size_t>(mode)] = a;
    }
    m_list->addActions({m_actRefresh, m_actExport, m_actXlsExport, m_actToScript});
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    refreshList();
}

QString TRatingsPage::caption()
{
    return Tr(u"Рейтинг");
}

QAction *TRatingsPage::makeAction(const QString &caption, const QString &name, void (TRatingsPage::*command)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    action->setToolTip(caption);
    connect(action, &QAction::triggered, this, [this, command] { guarded([this, command] { (this->*command)(); }); });
    return action;
}

void TRatingsPage::guarded(const std::function<void()> &command)
{
    if (!IsNotBusy())
        return;
    RunCommand(command);
    updateActions();
}

void TRatingsPage::refreshList()
{
    m_list->listModel()->setRowCount(m_ratings.count());
    m_list->listModel()->refresh();
}

void TRatingsPage::updateActions()
{
    const bool idle = IsNotBusy();
    const bool any = m_ratings.count() > 0;
    m_actRefresh->setEnabled(idle && m_stakes && m_stakes->isOpen());
    m_actExport->setEnabled(idle && any);
    m_actXlsExport->setEnabled(idle && any);
    m_actToScript->setEnabled(idle && m_scenario && m_stats && m_list->selectedRow() >= 0);
    for (int mode = 0; mode < 3; ++mode) {
        QAction *a = m_actEffMode[static_cast<size_t>(mode)];
        a->setEnabled(idle);
        a->setChecked(m_options.ratingsEffMode == mode);
    }
}

void TRatingsPage::ratingsRefresh()
{
    if (m_stakes && m_stakes->isOpen())
        m_ratings.Refresh(*m_stakes);
}

void TRatingsPage::ratingsExport()
{
    if (m_ratings.count() == 0)
        return;
    const QString name = AskCsvFileName(this);
    if (!name.isEmpty())
        m_ratings.ExportCsv(name);
}

void TRatingsPage::ratingsXlsExport()
{
    ExportListViewToExcel(m_list, caption(), caption(), {}, {}, 0, true);
}

void TRatingsPage::ratingsToScript()
{
    if (!m_scenario || !m_stats)
        return;
    QStringList lines;
    {
        BusySection busy;
        StatusReset reset;
        SetStatusText(Tr(u"Генерация новых строк в сценарии..."));
        for (int row : m_list->selectedRows()) {
            if (row < 0 || row >= m_ratings.count())
                continue;
            const QString name = m_ratings.items()[static_cast<size_t>(row)].name;
            const QString line = RatingNameToScenarioLine(name);
            if (IsRatingLineAcceptable(name, line, *m_stats))
                lines << line;
            else
                ShowErrorBox(Format(u"Строку\r\r%s\r\rневозможно добавить в сценарий!", {name}));
        }
        if (!lines.isEmpty())
            m_scenario->AddLines(lines);
    }
    if (!lines.isEmpty() && m_linesAdded)
        m_linesAdded();
}

void TRatingsPage::setEffMode(int mode)
{
    m_options.setRatingsEffMode(mode);
    refreshList();
}
