#include "common/widgets/WaitWindow.h"

#include "common/BusyCursor.h"
#include "common/Format.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QScreen>

namespace {

QPointer<TFormWait> g_waitWindow;

void centreOnScreen(QWidget *w)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
}

void showText(TFormWait *w, const QString &text)
{
    w->setInfoText(text);
    if (w->isHidden())
        w->show();
    w->repaint();
    ProcessMessages();
}

} // namespace

TFormWait::TFormWait(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_infoPanel(new QFrame(this))
    , m_infoLabel(new QLabel(m_infoPanel))
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
    centreOnScreen(this);
}

void TFormWait::setInfoText(const QString &text)
{
    m_infoLabel->setText(MessageToDisplay(text));
    // The label grows with its wrapped text between the fixed limits; a taller text is cut.
    const int wanted = m_infoLabel->heightForWidth(kLabelWidth);
    const int height = std::clamp(wanted, kLabelMinHeight, kLabelMaxHeight);
    m_infoLabel->resize(kLabelWidth, height);
    m_infoLabel->move(4, (m_infoPanel->height() - height) / 2);
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

TFormWait *WaitWindow()
{
    return g_waitWindow;
}
