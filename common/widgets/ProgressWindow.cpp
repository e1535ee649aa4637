#include "common/widgets/ProgressWindow.h"
#include "common/widgets/WidgetHooks.h"

#include "common/BusyCursor.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/Translate.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace {

QPointer<TFormProgress> g_progressWindow;

// Closes a window left open when the application ends.
struct ProgressFinaliser {
    ~ProgressFinaliser()
    {
        if (g_progressWindow && QCoreApplication::instance())
            delete g_progressWindow.data();
    }
} g_finaliser;

} // namespace

TFormProgress::TFormProgress(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("FormProgress"));
    setFont(QApplication::font("QMessageBox"));
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(0, 0, kClientWidth, kHeightWithStop);

    m_text = new QLabel(Tr(u"Подождите пожалуйста..."), panel);
    m_text->setObjectName(QStringLiteral("TextLabel"));
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setGeometry(11, 8, 393, 19);

    m_gauge = new QProgressBar(panel);
    m_gauge->setObjectName(QStringLiteral("GaugeProgressBar"));
    m_gauge->setGeometry(11, 36, 393, 25);
    m_gauge->setTextVisible(false);
    m_gauge->setRange(0, 0);

    m_btnStop = new QPushButton(Tr(u"Отмена"), panel);
    m_btnStop->setObjectName(QStringLiteral("StopButton"));
    m_btnStop->setToolTip(Tr(u"Прервать операцию"));
    m_btnStop->setGeometry((kClientWidth - 97) / 2, 70, 97, 25);
    m_btnStop->hide();
    connect(m_btnStop, &QPushButton::clicked, this, &TFormProgress::onStopClicked);
}

void TFormProgress::setup(const QString &text, int maxValue, bool showStop)
{
    m_btnStop->setVisible(showStop);
    m_btnStop->setEnabled(true);
    m_stopRequested = false;
    setFixedSize(kClientWidth, showStop ? kHeightWithStop : kHeightWithoutStop);
    m_text->setText(MessageToDisplay(text));
    // A negative maximum would make a busy indicator of the gauge; an empty range is 0..0.
    m_gauge->setRange(0, std::max(0, maxValue));
    m_gauge->setValue(0);
    PlaceLikeMessageBox(this);
}

void TFormProgress::onStopClicked()
{
    m_stopRequested = true;
    m_btnStop->setEnabled(false);
}

QString TFormProgress::text() const
{
    return m_text->text();
}

int TFormProgress::position() const
{
    return m_gauge->value();
}

int TFormProgress::maximum() const
{
    return m_gauge->maximum();
}

void ShowProgress(const QString &text, int maxValue, bool showStop)
{
    if (g_progressWindow)
        throw Exception(Tr(u"Окно индикатора уже создано!"));
    g_progressWindow = new TFormProgress();
    g_progressWindow->setup(text, maxValue, showStop);
    g_progressWindow->show();
    RepaintProgress();
}

void SetProgressText(const QString &text)
{
    if (!g_progressWindow)
        return;
    g_progressWindow->m_text->setText(MessageToDisplay(text));
    RepaintProgress();
}

void StepProgress(int delta)
{
    if (!g_progressWindow)
        return;
    QProgressBar *gauge = g_progressWindow->m_gauge;
    // Widened so that a huge delta cannot overflow.
    const long long before = gauge->value();
    const long long next = std::clamp<long long>(before + delta, 0, gauge->maximum());
    gauge->setValue(static_cast<int>(next));
    // The window is painted again when the gauge has moved by a visible step (a thousandth of its
    // range): a million steps cost a thousand paints, not a million.
    const long long range = std::max<long long>(gauge->maximum() - gauge->minimum(), 1);
    if (range <= 1000 || before * 1000 / range != next * 1000 / range)
        RepaintProgress();
}

void CloseProgress()
{
    delete g_progressWindow.data();
    g_progressWindow = nullptr;
}

void RepaintProgress()
{
    if (!g_progressWindow)
        return;
    g_progressWindow->repaint();
    ProcessMessages();
}

TFormProgress *ProgressWindow()
{
    return g_progressWindow;
}

bool ProgressStopRequested()
{
    return g_progressWindow && g_progressWindow->stopRequested();
}
