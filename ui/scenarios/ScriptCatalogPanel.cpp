#include "ui/scenarios/ScriptCatalogPanel.h"

#include "common/BlockingWait.h"
#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/FormStore.h"
#include "common/Languages.h"
#include "common/ProgramFiles.h"
#include "common/Translate.h"
#include "common/widgets/ListView.h"
#include "online/ScriptCatalog.h"
#include "ui/scenarios/ScenarioPage.h"
#include "ui/scenarios/ScrPublicDialog.h"
#include "ui/scenarios/ScrRatesDialog.h"
#include "ui/window/TemplateMain.h"
#include "app/scenarios/CatalogScenario.h"
#include "app/settings/MainOptions.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

ScriptCommentInput g_commentInput;

bool askComment(QWidget *parent, QString &comment)
{
    if (g_commentInput)
        return g_commentInput(parent, comment);
    // Without a screen nobody could answer: the mark is not sent.
    if (QGuiApplication::platformName() == u"offscreen")
        return false;
    bool ok = false;
    const QString typed = QInputDialog::getText(parent, Tr(u"Комментарий"), Tr(u"Вы можете оставить свой комментарий:"),
                                                QLineEdit::Normal, comment, &ok);
    if (ok)
        comment = typed;
    return ok;
}

struct StatusReset {
    ~StatusReset() { SetStatusText({}); }
};

// The images of the list: a public scenario (open to all) and a private one.
QIcon scriptIcon(int image)
{
    static const QIcon icons[2] = {
        [] {
            QPixmap pixmap(16, 16);
            pixmap.fill(Qt::transparent);
            QPainter p(&pixmap);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(30, 90, 160), 1.2));
            p.setBrush(QColor(120, 180, 235));
            p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
            p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
            p.drawEllipse(QRectF(5, 1.5, 6, 13));
            return QIcon(pixmap);
        }(),
        [] {
            QPixmap pixmap(16, 16);
            pixmap.fill(Qt::transparent);
            QPainter p(&pixmap);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(90, 90, 90), 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(4.5, 1.5, 7, 9), 0, 180 * 16);
            p.setBrush(QColor(200, 160, 60));
            p.drawRect(QRectF(3, 7, 10, 7.5));
            return QIcon(pixmap);
        }(),
    };
    return image == kScriptImagePublic ? icons[0] : icons[1];
}

// Runs a flow; an unexpected failure is shown under its leading line.
template <class Body>
void flow(QStringView lead, Body &&body)
{
    try {
        body();
    } catch (const std::exception &e) {
        if (!IsWaitCancelled(e))
            ShowErrorBox(Format(lead, {ExceptionText(e)}));
    }
}

// Publishes the scenario text with the record of the properties dialog, which stays open until the
// reply: a failure or a cancel keeps what the user typed there. The id from the reply goes to id.
ScriptSend scriptSender(const QString &scriptText, int &id)
{
    return [scriptText, &id](const tScriptData &record) {
        BusySection busy;
        StatusReset reset;
        SetStatusText(Tr(u"Сохранение сценария в базе данных..."));
        const int cancels = CancelledWaitCount();
        id = ScriptLibraryPutScript(record, scriptText);
        // The request may have reached the server before the user gave up the wait.
        if (CancelledWaitCount() != cancels)
            ShowWarningBox(Tr(u"Отправка сценария прервана до ответа сервера. Сервер мог уже сохранить сценарий: "
                              u"обновите каталог, прежде чем отправлять его снова."));
        return id > 0;
    };
}

} // namespace

void SetScriptCommentInput(ScriptCommentInput input)
{
    g_commentInput = std::move(input);
}

TScriptCatalogPanel::TScriptCatalogPanel(TScenarioPage &page) : QWidget(nullptr), m_page(page)
{
    setObjectName(u"pnlOnlineScripts"_s);
    QSplitter *splitter = page.splitter();
    splitter->addWidget(this);
    // The list takes the room the window gains; the panel keeps its height.
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(splitter->indexOf(this), 0);
    connect(splitter, &QSplitter::splitterMoved, this, [this] {
        if (m_shown && isVisible() && height() > 0)
            m_height = height();
    });

    m_cbFilter = new QComboBox(this);
    m_cbFilter->setObjectName(u"cbOnlineScriptsFilter"_s);
    m_cbFilter->addItems(filterCaptions());
    m_cbFilter->setCurrentIndex(kDefaultFilterIndex);
    m_cbFilter->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    m_lvOnlineScripts = new TQSortListView(this);
    m_lvOnlineScripts->setObjectName(u"lvOnlineScripts"_s);
    const QStringList columns = ScriptListColumns();
    const int widths[] = {80, 180, 110, 110, 60, 45, 135, 75, 60, 95, 70, 135, 300};
    for (int i = 0; i < columns.size(); ++i)
        m_lvOnlineScripts->addColumn(columns.at(i), widths[i],
                                     i >= 4 && i <= 11 && i != 6 && i != 11 ? Qt::AlignCenter : Qt::AlignLeft);
    // The image of the scenario (public or private) stands before its caption.
    m_lvOnlineScripts->listModel()->setDecoration([this](int row, int column) -> QVariant {
        const TListViewModel *model = m_lvOnlineScripts->listModel();
        if (column != 0 || row < 0 || row >= model->rowCount())
            return {};
        const QVariant &owned = model->item(row).data;
        return owned.canConvert<tScriptInfo>() ? QVariant(scriptIcon(ScriptItemImage(owned.value<tScriptInfo>())))
                                              : QVariant();
    });
    m_lvOnlineScripts->setSortColumn(kScriptListSortColumn);

    buildActions();

    auto *bar = new QToolBar(this);
    bar->setObjectName(u"tbOnlineScripts"_s);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(m_cbFilter);
    bar->addSeparator();
    bar->addActions({m_actRefresh, m_actDownload});
    bar->addSeparator();
    bar->addActions({m_actUpload, m_actReplace, m_actDelete});
    bar->addSeparator();
    bar->addActions({m_actView, m_actRates});

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(bar);
    layout->addWidget(m_lvOnlineScripts, 1);

    connect(m_cbFilter, &QComboBox::currentIndexChanged, this, [this] {
        if (m_filterLive)
            guarded([this] { LoadScriptCatalog(); });
    });
    connect(m_lvOnlineScripts->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TScriptCatalogPanel::updateActions);
    connect(m_lvOnlineScripts, &QAbstractItemView::doubleClicked, this, [this] {
        updateActions();
        if (m_actView->isEnabled())
            m_actView->trigger();
    });
    // Until the start-up load the filter only shows the stored choice.
    m_cbFilter->setEnabled(false);
}

QStringList TScriptCatalogPanel::filterCaptions()
{
    return {Tr(u"Скрытые"),
            Tr(u"Все, включая скрытые"),
            Tr(u"Все, кроме скрытых (по умолчанию)"),
            Tr(u"Только мои"),
            Tr(u"Только публичные"),
            Tr(u"С моими оценками"),
            Tr(u"Без моих оценок"),
            Tr(u"Новые (24 часа с момента публикации)")};
}

QAction *TScriptCatalogPanel::makeAction(const QString &caption, const QString &name,
                                         void (TScriptCatalogPanel::*command)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    action->setToolTip(caption);
    if (command)
        connect(action, &QAction::triggered, this, [this, command] { guarded([this, command] { (this->*command)(); }); });
    return action;
}

void TScriptCatalogPanel::buildActions()
{
    m_actLibrary = makeAction(Tr(u"Online каталог сценариев"), u"ScriptLibrary"_s, &TScriptCatalogPanel::toggleLibrary);
    m_actLibrary->setCheckable(true);
    m_actLibrary->setChecked(m_shown);
    m_actLibrary->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    m_actRefresh = makeAction(Tr(u"Обновить"), u"ScriptLibraryRefresh"_s, &TScriptCatalogPanel::LoadScriptCatalog);
    m_actDownload = makeAction(Tr(u"Скачать из каталога"), u"ScriptLibraryDownload"_s,
                               &TScriptCatalogPanel::downloadSelected);
    const std::array<QString, kRateActions> rateCaptions = {
        Tr(u"Удалить оценку"),          Tr(u"[ 1 ] - Бесполезно"), Tr(u"[ 2 ] - Плохо"),
        Tr(u"[ 3 ] - Удовлетворительно"), Tr(u"[ 4 ] - Хорошо"),     Tr(u"[ 5 ] - Отлично")};
    for (int mark = 0; mark < kRateActions; ++mark) {
        QAction *a = makeAction(rateCaptions[static_cast<size_t>(mark)], u"ScriptLibraryRate%1"_s.arg(mark), nullptr);
        a->setCheckable(mark > 0);
        connect(a, &QAction::triggered, this, [this, mark] { guarded([this, mark] { rateSelected(mark); }); });
        m_actRate[static_cast<size_t>(mark)] = a;
    }
    m_actHide = makeAction(Tr(u"Скрыть сценарий"), u"ScriptLibraryHide"_s, nullptr);
    m_actHide->setCheckable(true);
    connect(m_actHide, &QAction::triggered, this, [this] { guarded([this] { rateSelected(kScriptMarkHide); }); });
    m_actUpload = makeAction(Tr(u"Опубликовать"), u"ScriptLibraryUpload"_s, nullptr);
    connect(m_actUpload, &QAction::triggered, this, [this] {
        guarded([this] { PublishScript(m_page.scenario().lines(), CurrentLanguageId(), DefaultLanguageId()); });
    });
    m_actReplace = makeAction(Tr(u"Изменить"), u"ScriptLibraryReplace"_s, nullptr);
    connect(m_actReplace, &QAction::triggered, this,
            [this] { guarded([this] { ReplaceScript(m_page.scenario().lines(), DefaultLanguageId()); }); });
    m_actDelete = makeAction(Tr(u"Удалить"), u"ScriptLibraryDelete"_s, &TScriptCatalogPanel::DeleteScriptItem);
    m_actView = makeAction(Tr(u"Свойства сценария"), u"ScriptLibraryView"_s, nullptr);
    connect(m_actView, &QAction::triggered, this,
            [this] { guarded([this] { ViewScriptProperties(DefaultLanguageId()); }); });
    m_actRates = makeAction(Tr(u"Просмотр оценок"), u"ScriptLibraryRates"_s, &TScriptCatalogPanel::showRates);

    // Every command of the panel is in the list's menu.
    auto separator = [this] {
        auto *s = new QAction(this);
        s->setSeparator(true);
        return s;
    };
    m_lvOnlineScripts->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_lvOnlineScripts->addActions({m_actRefresh, m_actDownload, separator()});
    for (int mark = 1; mark < kRateActions; ++mark)
        m_lvOnlineScripts->addAction(m_actRate[static_cast<size_t>(mark)]);
    m_lvOnlineScripts->addActions({m_actRate[0], m_actHide, separator(), m_actUpload, m_actReplace, m_actDelete,
                                   separator(), m_actView, m_actRates});
}

void TScriptCatalogPanel::guarded(const std::function<void()> &command)
{
    // A key or a click can reach a command before the periodic check disables it.
    if (!IsNotBusy())
        return;
    RunCommand(command);
    updateActions();
}

bool TScriptCatalogPanel::idle() const
{
    return IsNotBusy();
}

// ---- State ----

void TScriptCatalogPanel::setPanelShown(bool shown)
{
    m_shown = shown;
    setVisible(shown);
    m_actLibrary->setChecked(shown);
}

int TScriptCatalogPanel::panelHeight() const
{
    return m_height;
}

void TScriptCatalogPanel::setPanelHeight(int height)
{
    if (height <= 0)
        return;
    m_height = height;
    // The splitter has no real sizes until it is laid out on the screen: then the height is applied.
    if (isVisible())
        applyHeight();
}

void TScriptCatalogPanel::applyHeight()
{
    QSplitter *splitter = m_page.splitter();
    QList<int> sizes = splitter->sizes();
    const int me = splitter->indexOf(this);
    if (me < 1 || me >= sizes.size())
        return;
    const int total = std::max(sizes.value(me - 1) + sizes.value(me), m_height + 50);
    sizes[me - 1] = total - m_height;
    sizes[me] = m_height;
    splitter->setSizes(sizes);
}

void TScriptCatalogPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    applyHeight();
}

int TScriptCatalogPanel::filterIndex() const
{
    return m_cbFilter->currentIndex();
}

void TScriptCatalogPanel::setFilterIndex(int index)
{
    const QSignalBlocker block(m_cbFilter);
    m_cbFilter->setCurrentIndex(index >= 0 && index < m_cbFilter->count() ? index : kDefaultFilterIndex);
}

void TScriptCatalogPanel::applyOptions(const MainOptions &options, const MainLayoutSizes &sizes)
{
    setFilterIndex(sizes.scriptLibraryFilter);
    if (sizes.scriptLibraryHeight > 0)
        m_height = sizes.scriptLibraryHeight;
    setPanelShown(options.scriptLibraryOn);
}

void TScriptCatalogPanel::readSizes(MainLayoutSizes &sizes) const
{
    sizes.scriptLibraryHeight = panelHeight();
    sizes.scriptLibraryFilter = filterIndex();
}

void TScriptCatalogPanel::startUp()
{
    m_cbFilter->setEnabled(true);
    m_filterLive = true;
    // Without a catalogue host nothing is sent: the list says the catalogue is not available, and a
    // load the user asks for says why.
    if (CatalogueConfigured())
        LoadScriptCatalog();
    else if (m_shown)
        showUnavailable();
}

void TScriptCatalogPanel::showUnavailable()
{
    TListItem item;
    item.texts = QStringList{QString(), Tr(u"Каталог online-сценариев не доступен!")};
    m_lvOnlineScripts->listModel()->addItem(item);
    // The line runs over the columns after the first, so that it reads whole at any column width.
    const int row = m_lvOnlineScripts->listModel()->rowCount() - 1;
    m_lvOnlineScripts->setSpan(row, 1, 1, m_lvOnlineScripts->listModel()->columnCount() - 1);
}

const tScriptInfo *TScriptCatalogPanel::selectedInfo() const
{
    const int row = m_lvOnlineScripts->selectedRow();
    const TListViewModel *model = m_lvOnlineScripts->listModel();
    if (row < 0 || row >= model->rowCount())
        return nullptr;
    const QVariant &record = model->item(row).data;
    return record.canConvert<tScriptInfo>() ? static_cast<const tScriptInfo *>(record.constData()) : nullptr;
}

bool TScriptCatalogPanel::selectScript(int scriptId)
{
    const std::vector<TListItem> &items = m_lvOnlineScripts->listModel()->items();
    for (size_t row = 0; row < items.size(); ++row) {
        if (items[row].id != scriptId)
            continue;
        m_lvOnlineScripts->setSelectedRow(static_cast<int>(row));
        m_lvOnlineScripts->scrollTo(m_lvOnlineScripts->model()->index(static_cast<int>(row), 0));
        return true;
    }
    return false;
}

void TScriptCatalogPanel::updateActions()
{
    const bool free = idle();
    const bool shown = free && m_shown;
    const tScriptInfo *info = selectedInfo();
    const bool selected = shown && info;
    const bool hasLines = m_page.scenario().count() > 0;
    const int own = info ? info->rating_you : 0;

    m_actLibrary->setEnabled(free);
    m_actLibrary->setChecked(m_shown);
    m_actRefresh->setEnabled(shown);
    m_actDownload->setEnabled(selected && info->compatible);
    m_actRate[0]->setEnabled(selected && own != 0);
    for (int mark = 1; mark < kRateActions; ++mark) {
        m_actRate[static_cast<size_t>(mark)]->setEnabled(selected);
        m_actRate[static_cast<size_t>(mark)]->setChecked(info && own == mark);
    }
    m_actHide->setEnabled(selected);
    m_actHide->setChecked(info && own == kScriptMarkHide);
    m_actUpload->setEnabled(shown && hasLines);
    m_actReplace->setEnabled(selected && info->editable && hasLines);
    m_actDelete->setEnabled(selected && info->editable);
    m_actView->setEnabled(selected);
    m_actRates->setEnabled(selected);
    m_cbFilter->setEnabled(m_filterLive && free);
}

// ---- Items ----

void TScriptCatalogPanel::addScriptItem(const tScriptInfo &info)
{
    TListItem item;
    item.texts = ScriptItemTexts(info);
    item.id = info.id;
    item.data = QVariant::fromValue(info);
    m_lvOnlineScripts->listModel()->addItem(item);
}

void TScriptCatalogPanel::refreshScriptItem(int row, const tScriptInfo &info)
{
    TListItem item = m_lvOnlineScripts->listModel()->item(row);
    item.texts = ScriptItemTexts(info);
    item.id = info.id;
    item.data = QVariant::fromValue(info);
    m_lvOnlineScripts->listModel()->setItem(row, item);
}

// ---- Commands ----

void TScriptCatalogPanel::LoadScriptCatalog()
{
    BusySection busy;
    StatusReset reset;
    SetStatusText(Tr(u"Загрузка online-каталога сценариев..."));
    const tScriptInfo *selected = m_shown ? selectedInfo() : nullptr;
    const int keepId = selected ? selected->id : -1;
    // The rows are read before the list is touched: a load the user cancels leaves the list as it was.
    std::vector<tScriptInfo> rows;
    if (m_shown) {
        const int cancels = CancelledWaitCount();
        ScriptLibraryGetList(filterIndex() - 1, [&rows](const tScriptInfo &info) { rows.push_back(info); });
        if (CancelledWaitCount() != cancels)
            return;
    }
    m_lvOnlineScripts->setUpdatesEnabled(false);
    m_lvOnlineScripts->selectionModel()->clearSelection();
    m_lvOnlineScripts->clearSpans();
    m_lvOnlineScripts->listModel()->clearItems();
    if (m_shown) {
        for (const tScriptInfo &info : rows)
            addScriptItem(info);
        if (m_lvOnlineScripts->listModel()->rowCount() == 0 && !CatalogueConfigured())
            showUnavailable();
        m_lvOnlineScripts->sort();
        if (keepId >= 0)
            selectScript(keepId);
    }
    m_lvOnlineScripts->setUpdatesEnabled(true);
}

void TScriptCatalogPanel::toggleLibrary()
{
    setPanelShown(!m_shown);
    if (m_options)
        m_options->set(&MainOptions::scriptLibraryOn, m_shown);
    else
        WriteFormBool(MainFormSection(), MainOptions::keyOf(&MainOptions::scriptLibraryOn), m_shown);
    LoadScriptCatalog();
}

void TScriptCatalogPanel::downloadSelected()
{
    const tScriptInfo *info = selectedInfo();
    if (!m_shown || !info || !info->compatible)
        return;
    const tScriptInfo script = *info;
    TCatalogScenario scenario;
    {
        BusySection busy;
        StatusReset reset;
        SetStatusText(Tr(u"Скачивание сценария из online-каталога..."));
        QString text;
        switch (ScriptLibraryGetData(script.id, text)) {
        case TScriptFetch::Failed: return;
        case TScriptFetch::Empty:
            ShowInfoBox(Format(u"Сценарий \"%s\" в каталоге не содержит строк.\rТекущий сценарий не изменен.",
                               {script.title}));
            return;
        case TScriptFetch::Found: break;
        }
        try {
            scenario = DecodeCatalogScenario(text);
        } catch (const Exception &e) {
            ShowErrorBox(Format(u"Ошибка загрузки online-сценария!\r\r%s", {e.message()}));
            return;
        }
    }
    if (scenario.isEmpty()) {
        ShowInfoBox(Format(u"Сценарий \"%s\" в каталоге не содержит строк.\rТекущий сценарий не изменен.",
                           {script.title}));
        return;
    }
    if (scenario.replacedChars > 0)
        ShowWarningBox(Format(u"В скачанном сценарии символов, которых нет в кодировке Windows-1251: %d.\r"
                              u"Они заменены знаком \"?\".",
                              {scenario.replacedChars}));
    const int current = m_page.scenario().count();
    if (current > 0 &&
        ConfirmBoxDefaultNo(Format(u"Заменить текущий сценарий (строк: %d) сценарием \"%s\" из каталога?",
                                   {current, script.title})) != IDYES)
        return;
    m_page.scriptsList()->selectionModel()->clearSelection();
    m_page.scenario().ReplaceLines(scenario.lines);
}

void TScriptCatalogPanel::rateSelected(int mark)
{
    const tScriptInfo *info = selectedInfo();
    if (!m_shown || !info)
        return;
    const int scriptId = info->id;
    QString comment;
    if (mark > 0 && !askComment(this, comment))
        return;
    bool sent = false;
    {
        BusySection busy;
        StatusReset reset;
        SetStatusText(Tr(u"Отправка оценки на сервер..."));
        sent = ScriptLibrarySetRate(scriptId, mark, comment);
    }
    if (sent)
        LoadScriptCatalog();
}

void TScriptCatalogPanel::PublishScript(const QStringList &lines, int lcid, int defaultLcid)
{
    flow(u"Ошибка публикации online-сценария!\r\r%s", [&] {
        // Nowhere to publish: say so before the user fills in the properties.
        CatalogueUrl(LoadCatalogueSettings(), kScriptPutPath);
        const TClientIdentity identity = LoadClientIdentity();
        tScriptData record = NewScriptData(identity.name, lcid);
        int id = -1;
        if (!ShowScrPublicDialog(record, defaultLcid, true, this, ScriptLibraryCheckTitle, ScriptWireProblem,
                                 scriptSender(ScriptTextOfLines(lines), id)))
            return;
        tScriptInfo info;
        info.id = id;
        info.app_name = QString::fromUtf16(kProgramBaseName);
        info.app_ver = identity.appVersion;
        info.key_cl_mail = identity.mail;
        ScriptDataToInfo(record, info);
        info.created = CatalogueNowUtc();
        info.own = true;
        info.editable = true;
        info.compatible = true;
        addScriptItem(info);
        selectScript(id);
    });
}

void TScriptCatalogPanel::ReplaceScript(const QStringList &lines, int defaultLcid)
{
    flow(u"Ошибка публикации online-сценария!\r\r%s", [&] {
        const int row = m_lvOnlineScripts->selectedRow();
        const tScriptInfo *selected = selectedInfo();
        if (!selected)
            return;
        tScriptInfo info = *selected;
        tScriptData record = ScriptInfoToData(info);
        int id = -1;
        if (!ShowScrPublicDialog(record, defaultLcid, true, this, ScriptLibraryCheckTitle, ScriptWireProblem,
                                 scriptSender(ScriptTextOfLines(lines), id)))
            return;
        info.id = id;
        info.key_cl_mail = LoadClientIdentity().mail;
        info.created = CatalogueNowUtc();
        ScriptDataToInfo(record, info);
        refreshScriptItem(row, info);
    });
}

void TScriptCatalogPanel::DeleteScriptItem()
{
    flow(u"Ошибка публикации online-сценария!\r\r%s", [&] {
        const tScriptInfo *selected = selectedInfo();
        if (!selected || !selected->editable)
            return;
        const tScriptInfo info = *selected;
        if (ConfirmBox(Format(u"Вы действительно хотите удалить сценарий \"%s\"?", {info.title})) != IDYES)
            return;
        BusySection busy;
        StatusReset reset;
        SetStatusText(Tr(u"Удаление сценария из базы данных..."));
        if (ScriptLibraryDeleteScript(ScriptInfoToData(info)) == 0 && selectScript(info.id))
            m_lvOnlineScripts->deleteSelected();
    });
}

void TScriptCatalogPanel::ViewScriptProperties(int defaultLcid)
{
    flow(u"Ошибка просмотра свойств online-сценария!\r\r%s", [&] {
        const tScriptInfo *selected = selectedInfo();
        if (!selected)
            return;
        tScriptData record = ScriptInfoToData(*selected);
        ShowScrPublicDialog(record, defaultLcid, false, this, {}, {});
    });
}

void TScriptCatalogPanel::showRates()
{
    flow(u"Ошибка просмотра оценок online-сценария!\r\r%s", [&] {
        const tScriptInfo *selected = selectedInfo();
        if (selected)
            ShowScrRatesDialog(selected->id, this, ScriptLibraryGetRates);
    });
}

// ---- Installation ----

TScriptCatalogPanel *InstallScriptCatalog(TTemplateMain &window)
{
    TScenarioPage *page = window.scenarioPage();
    auto *panel = new TScriptCatalogPanel(*page);
    panel->setOptions(&window.options());
    window.addAction(panel->libraryAction());
    if (QMenu *menu = window.findMenu(u"menuScript"_s)) {
        menu->addSeparator();
        menu->addAction(panel->libraryAction());
    }
    window.addActionUpdater([panel] { panel->updateActions(); });
    return panel;
}
