#include "common/widgets/WaitWindow.h"

#include "common/BusyCursor.h"
#include "common/Format.h"
#include "common/Translate.h"
#include "common/widgets/ProgressWindow.h"
#include "common/widgets/WidgetHooks.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

namespace {

QPointer<TFormWait> g_waitWindow;

void showWindow(TFormWait *w)
{
    if (w->isHidden()) {
        PlaceLikeMessageBox(w);
        w->show();
    }
    w->repaint();
    ProcessMessages();
}

void showText(TFormWait *w, const QString &text)
{
    w->setInfoText(text);
    showWindow(w);
}

} // namespace

TFormWait::TFormWait(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_infoPanel(new QFrame(this))
    , m_infoLabel(new QLabel(m_infoPanel))
    , m_cancelButton(new QPushButton(Tr(u"Отмена"), m_infoPanel))
{
    setObjectName(QStringLiteral("FormWait"));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(QApplication::font("QMenu"));
    m_infoPanel->setObjectName(QStringLiteral("InfoPanel"));
    m_infoPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_infoPanel->setLineWidth(2);
    m_infoPanel->setGeometry(0, 0, kClientWidth, kClientHeight);
    m_infoLabel->setObjectName(QStringLiteral("InfoLabel"));
    m_infoLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_infoLabel->setWordWrap(true);
    m_infoLabel->setGeometry(4, 0, kLabelWidth, kLabelMinHeight);
    m_cancelButton->setObjectName(QStringLiteral("CancelBtn"));
    m_cancelButton->setToolTip(Tr(u"Прервать операцию"));
    m_cancelButton->setFixedSize(97, 25);
    m_cancelButton->hide();
    connect(m_cancelButton, &QPushButton::clicked, this, &TFormWait::cancelClicked);
}

void TFormWait::setInfoText(const QString &text)
{
    m_infoLabel->setText(MessageToDisplay(text));
    placeLabel();
}

void TFormWait::placeLabel()
{
    // The label grows with its wrapped text between the fixed limits; a taller text is cut.
    const int wanted = m_infoLabel->heightForWidth(kLabelWidth);
    const int height = std::clamp(wanted, kLabelMinHeight, kLabelMaxHeight);
    m_infoLabel->resize(kLabelWidth, height);
    m_infoLabel->move(4, (kClientHeight - height) / 2);
}

void TFormWait::setCancellable(bool cancellable)
{
    if (cancellable == m_cancelButton->isVisibleTo(this))
        return;
    const int height = kClientHeight + (cancellable ? kButtonRowHeight : 0);
    const QPoint centre = geometry().center();
    setFixedSize(kClientWidth, height);
    m_infoPanel->setGeometry(0, 0, kClientWidth, height);
    m_cancelButton->move((kClientWidth - m_cancelButton->width()) / 2, kClientHeight - 8);
    m_cancelButton->setVisible(cancellable);
    // Grows about its centre, so that the text stays where the user saw it.
    move(centre - QPoint(kClientWidth / 2, height / 2));
    placeLabel();
}

QString TFormWait::infoText() const
{
    return m_infoLabel->text();
}

void ShowWait(const QString &text)
{
    if (!g_waitWindow)
        g_waitWindow = new TFormWait();
    showText(g_waitWindow, text);
}

void UpdateWait(const QString &text)
{
    if (g_waitWindow)
        showText(g_waitWindow, text);
}

void HideWait()
{
    // The window is deleted at once: a later ShowWait creates a fresh one.
    delete g_waitWindow.data();
    g_waitWindow = nullptr;
}

void SuspendWait()
{
    if (g_waitWindow)
        g_waitWindow->hide();
}

void ResumeWait()
{
    if (g_waitWindow)
        showWindow(g_waitWindow);
}

TFormWait *WaitWindow()
{
    return g_waitWindow;
}

// ---- The wait of a blocking request ----

TWaitWindowHost::TWaitWindowHost() = default;

TWaitWindowHost::~TWaitWindowHost()
{
    if (m_depth > 0 && qApp)
        qApp->removeEventFilter(this);
    closeWindow();
    if (BlockingWaitHost() == this)
        SetBlockingWaitHost(nullptr);
}

void TWaitWindowHost::begin(const QString &text)
{
    if (m_depth++ > 0)
        return;
    m_cancelled = false;
    m_text = text;
    m_modalAtBegin = QApplication::activeModalWidget();
    m_since.start();
    if (qApp)
        qApp->installEventFilter(this);
}

bool TWaitWindowHost::poll()
{
    if (!m_window && m_since.elapsed() >= kShowAfterMs)
        showWindow();
    if (qApp)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    return m_cancelled;
}

void TWaitWindowHost::end()
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    if (qApp)
        qApp->removeEventFilter(this);
    closeWindow();
}

void TWaitWindowHost::showWindow()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    m_window = WaitWindow();
    m_ownWindow = !m_window;
    if (m_ownWindow) {
        // What the operation does, then what it waits for: the status text, or else the text of the
        // progress window the wait would cover.
        QString doing = StatusText();
        if (doing.isEmpty() && ProgressWindow())
            doing = ProgressWindow()->text();
        // Over a modal dialog the window belongs to it, or the dialog would keep its button from the user.
        m_window = new TFormWait(QApplication::activeModalWidget());
        m_window->setInfoText(doing.isEmpty() ? m_text : doing + u'\r' + m_text);
    }
    m_window->setCancellable(true);
    if (m_ownWindow)
        PlaceLikeMessageBox(m_window);
    connect(m_window, &TFormWait::cancelClicked, this, [this] { m_cancelled = true; });
    // The arrow with the hourglass: the program works, and the button can be aimed at.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    m_cursorPushed = true;
    m_window->show();
    m_window->raise();
    m_window->repaint();
}

void TWaitWindowHost::closeWindow()
{
    if (m_cursorPushed && QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    m_cursorPushed = false;
    if (!m_window)
        return;
    if (m_ownWindow) {
        delete m_window.data();
    } else {
        disconnect(m_window, &TFormWait::cancelClicked, this, nullptr);
        m_window->setCancellable(false);
    }
    m_window = nullptr;
    m_ownWindow = false;
}

bool TWaitWindowHost::within(QObject *watched, const QWidget *window)
{
    if (!window)
        return false;
    if (auto *widget = qobject_cast<QWidget *>(watched))
        return widget->window() == window;
    if (auto *handle = qobject_cast<QWindow *>(watched))
        return handle == window->windowHandle();
    return false;
}


bool TWaitWindowHost::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        break;
    default:
        return false;
    }
    // Only what the user did; the program's own events go their way.
    if (!event->spontaneous())
        return false;
    const bool escape =
        event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape;
    const QWidget *modal = QApplication::activeModalWidget();
    if (!within(watched, m_window) && modal && modal != m_modalAtBegin && within(watched, modal))
        return false;
    // Esc anywhere, once the window shows, is its button.
    if (escape && m_window) {
        m_cancelled = true;
        return true;
    }
    return !within(watched, m_window);
}
