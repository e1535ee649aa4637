#include "ui/TemplateMain.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/ProgramFiles.h"
#include "lottery/Combinatorics.h"
#include "ui/DrawsPanel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString kExclusiveAccessMessage =
    u"Невозможно получить монопольный доступ к файлам данных!\r\r"
    u"Возможные причины данной ошибки: \r\r"
    u"1) Вы пытаетесь запустить вторую копию программы из одного и того же каталога. Корректная работа "
    u"нескольких копий программы возможна только из разных каталогов.\r\r"
    u"2) Для программы нет прав на запись в том каталоге, где она расположена. Например: в Windows 7 и выше "
    u"по умолчанию запрещена запись в c:\\Program Files.\r\r"
    u"Программа будет закрыта!"_s;

struct StatusPanelSpec {
    const char16_t *text;
    int width;
};
constexpr std::array<StatusPanelSpec, 7> kStatusPanels = {{
    {u"Архив тиражей: 0", 150},
    {u"Следующий тираж: 0", 180},
    {u"", 130},
    {u"Комбинаций: 0", 150},
    {u"Ставок: 0", 120},
    {u"Рейтинг: 0", 125},
    {u"", 50},
}};
constexpr int kFreeStatusPanel = 6;

} // namespace

TTemplateMain::TTemplateMain(const TStartSwitches &switches, QWidget *parent)
    : QMainWindow(parent), m_switches(switches), m_archive(ProgramFilePath(u"Vendra.ldr"_s))
{
    setObjectName(u"TTemplateMain"_s);
    buildWindow();
    buildActions();
}

TTemplateMain::~TTemplateMain()
{
    FormDestroy();
}

void TTemplateMain::buildWindow()
{
    resize(1000, 700);

    auto *bar = new QStatusBar(this);
    bar->setObjectName(u"StatusBar"_s);
    bar->setProperty("Tag", kFreeStatusPanel);
    bar->setSizeGripEnabled(true);
    for (size_t i = 0; i < kStatusPanels.size(); ++i) {
        auto *label = new QLabel(QString::fromUtf16(kStatusPanels[i].text), bar);
        label->setObjectName(u"StatusPanel%1"_s.arg(i + 1));
        label->setProperty("panelIndex", static_cast<int>(i));
        label->setFrameShape(QFrame::StyledPanel);
        label->setMinimumWidth(kStatusPanels[i].width);
        if (i == 2)
            label->setAlignment(Qt::AlignCenter);
        bar->addWidget(label, i == kFreeStatusPanel ? 1 : 0);
        m_statusPanels[i] = label;
    }
    setStatusBar(bar);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(u"splLeft"_s);
    m_leftPages = new QTabWidget(m_splitter);
    m_leftPages->setObjectName(u"pcLeft"_s);
    m_drawsPanel = new TDrawsPanel(m_archive, m_leftPages);
    m_leftPages->addTab(m_drawsPanel, u"Тиражи"_s);
    m_mainPages = new QTabWidget(m_splitter);
    m_mainPages->setObjectName(u"pcMain"_s);
    m_splitter->addWidget(m_leftPages);
    m_splitter->addWidget(m_mainPages);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({420, 580});
    setCentralWidget(m_splitter);

    connect(m_drawsPanel, &TDrawsPanel::drawsInfoChanged, this, &TTemplateMain::setDrawsStatus);
    connect(m_drawsPanel, &TDrawsPanel::refreshViewsRequested, this, &TTemplateMain::RefreshViews);
    connect(m_mainPages, &QTabWidget::currentChanged, this, [this] { RefreshViews(false); });

    m_initTimer = new QTimer(this);
    m_initTimer->setObjectName(u"tmrInit"_s);
    m_initTimer->setInterval(100);
    m_initTimer->setSingleShot(true);
    connect(m_initTimer, &QTimer::timeout, this, &TTemplateMain::tmrInitTimer);

    // Commands are enabled from their state; the check runs often, as the state changes anywhere.
    m_actionTimer = new QTimer(this);
    m_actionTimer->setInterval(200);
    connect(m_actionTimer, &QTimer::timeout, this, &TTemplateMain::updateActions);
    m_actionTimer->start();
}

void TTemplateMain::buildActions()
{
    m_actExit = new QAction(u"Выход"_s, this);
    m_actExit->setObjectName(u"ExitProgram"_s);
    m_actExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    connect(m_actExit, &QAction::triggered, this, [this] {
        if (IsNotBusy())
            close();
    });

    QMenu *fileMenu = menuBar()->addMenu(u"&Файл"_s);
    fileMenu->setObjectName(u"menuFile"_s);
    fileMenu->addAction(m_actExit);

    QMenu *drawsMenu = menuBar()->addMenu(u"&Тиражи"_s);
    drawsMenu->setObjectName(u"menuDraws"_s);
    drawsMenu->addAction(m_drawsPanel->addAction());
    drawsMenu->addAction(m_drawsPanel->editAction());
    drawsMenu->addAction(m_drawsPanel->deleteAction());
    drawsMenu->addSeparator();
    drawsMenu->addAction(m_drawsPanel->sortedAction());
    drawsMenu->addAction(m_drawsPanel->colorAction());
}

void TTemplateMain::updateActions()
{
    m_actExit->setEnabled(IsNotBusy());
    m_drawsPanel->updateActions();
}

void TTemplateMain::FormCreate()
{
    // Steps that belong to features not present in this build are left to them: each feature adds
    // its own set-up here when it is built.
    m_scriptRunning = false;
    m_scriptStopRequested = false;
    m_viewsLocked = false;
    m_initTimer->start();
}

void TTemplateMain::setDrawsStatus(int count, int nextDraw, const QString &numbersText)
{
    m_statusPanels[0]->setText(Format(u"Архив тиражей: %d", {count}));
    m_statusPanels[1]->setText(Format(u"Следующий тираж: %d", {nextDraw}));
    m_statusPanels[2]->setText(numbersText);
}

void TTemplateMain::ShowStatusText(const QString &text)
{
    m_statusPanels[kFreeStatusPanel]->setText(text);
    ProcessMessages();
}

void TTemplateMain::RefreshViews(bool full)
{
    if (m_viewsLocked)
        return;
    for (const auto &refresh : m_views)
        refresh(full);
}

void TTemplateMain::loadDraws()
{
    if (!QFile::exists(m_archive.fileName())) {
        m_archive.load();
        return;
    }
    BusySection busy;
    SetStatusText(u"Загрузка файла тиражей..."_s);
    m_archive.load();
    m_drawsPanel->updateDrawsInfo(false);
    SetStatusText({});
}

void TTemplateMain::tmrInitTimer()
{
    m_initTimer->stop();
    try {
        SetStatusText(u"Инициализация..."_s);

        m_allCombs = static_cast<int>(CombinationCount(kMaxNumber, kMainCount));
        for (int m = 0; m <= kMainCount; ++m) {
            m_matchCounts[static_cast<size_t>(m)] = CombinationsWithMatches(kMaxNumber, kMainCount, m);
            m_matchShares[static_cast<size_t>(m)] =
                static_cast<long double>(m_matchCounts[static_cast<size_t>(m)]) / m_allCombs;
        }
        setWindowTitle(windowTitle() + u" версия " + QStringLiteral(VENDRA_VERSION));
        m_drawsPanel->setDrawsOffset(0);

        if (!m_stakesFile.open(ProgramFilePath(u"Vendra.lsk"_s))) {
            ShowErrorBox(kExclusiveAccessMessage);
            setBatchFailed();
            terminateApplication();
            return;
        }

        loadDraws();
        RefreshViews(false);

        if (m_switches.loadOnly) {
            DownloadDraws();
            if (!m_switches.fullRecreate && !m_switches.fullRefresh) {
                terminateApplication();
                return;
            }
        }
        if (m_switches.fullRecreate || m_switches.fullRefresh) {
            terminateApplication();
            return;
        }
    } catch (const Exception &e) {
        SetStatusText({});
        ShowErrorBox(Format(u"Ошибка инициализации программы!\r\r%s", {e.message()}));
        setBatchFailed();
        if (m_switches.isBatch())
            terminateApplication();
    } catch (const std::exception &e) {
        SetStatusText({});
        ShowErrorBox(Format(u"Ошибка инициализации программы!\r\r%s", {QString::fromLocal8Bit(e.what())}));
        setBatchFailed();
        if (m_switches.isBatch())
            terminateApplication();
    }
}

int TTemplateMain::DownloadDraws()
{
    return 0;
}

bool TTemplateMain::event(QEvent *event)
{
    // The hint of the command under the mouse goes to the free status panel while nothing runs.
    if (event->type() == QEvent::StatusTip) {
        if (IsNotBusy())
            ShowStatusText(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TTemplateMain::FormCloseQuery()
{
    return !m_scriptRunning || m_scriptStopRequested;
}

void TTemplateMain::closeEvent(QCloseEvent *event)
{
    // Closing in the middle of a long operation would pull the window from under it.
    if (!m_terminating && (!IsNotBusy() || !FormCloseQuery())) {
        event->ignore();
        return;
    }
    event->accept();
}

void TTemplateMain::FormDestroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    m_archive.clear();
    m_stakesFile.close();
}

void TTemplateMain::terminateApplication()
{
    m_terminating = true;
    m_initTimer->stop();
    QTimer::singleShot(0, qApp, [failed = m_batchFailed] { QCoreApplication::exit(failed ? 1 : 0); });
}
