#include "common/widgets/WidgetHooks.h"

#include "common/BusyCursor.h"
#include "common/Format.h"
#include "common/widgets/FormLayouts.h"
#include "common/widgets/MessageViewer.h"
#include "common/widgets/Retranslate.h"
#include "common/widgets/StatusTextPanel.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>

QString ShortenLongMessage(const QString &display, int maxLines, QString &details)
{
    details.clear();
    const QStringList lines = display.split(u'\n');
    if (maxLines < 4 || lines.size() <= maxLines)
        return display;
    // The head says what happened and the tail holds the summary or the question: both stay in view,
    // the whole text is one click away in the box's details.
    const int tail = 3;
    const int head = maxLines - tail - 1;
    details = display;
    return (lines.mid(0, head) + QStringList{QStringLiteral("…")} + lines.mid(lines.size() - tail)).join(u'\n');
}

namespace {

QMainWindow *mainWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *mw = qobject_cast<QMainWindow *>(w))
            return mw;
    return nullptr;
}

} // namespace

int WidgetMessageSink::show(const QString &caption, const QString &text, unsigned flags)
{
    QMessageBox box(MessageBoxOwner());
    box.setWindowTitle(caption);
    QString details;
    box.setText(ShortenLongMessage(MessageToDisplay(text), kMaxMessageBoxLines, details));
    if (!details.isEmpty())
        box.setDetailedText(details);
    switch (flags & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    if ((flags & 0xF) == MB_YESNO) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton((flags & MB_DEFBUTTON2) ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return IDOK;
}

QWidget *MessageBoxOwner()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    // The window the user works in; not a wait or progress window (borderless, centred on the screen),
    // and not nothing, as between two boxes, when the window manager has yet to give the focus back.
    QWidget *active = QApplication::activeWindow();
    if (active && !active->windowFlags().testFlag(Qt::FramelessWindowHint))
        return active;
    QMainWindow *main = mainWindow();
    return main && main->isVisible() ? main : active;
}

void PlaceLikeMessageBox(QWidget *window)
{
    QWidget *owner = MessageBoxOwner();
    if (owner)
        owner = owner->window();
    if (owner == window || (owner && !owner->isVisible()))
        owner = nullptr;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!owner && !screen)
        return;
    QRect placed(QPoint(), window->frameGeometry().size());
    placed.moveCenter(owner ? owner->frameGeometry().center() : screen->availableGeometry().center());
    window->move(placed.topLeft());
    KeepWindowOnScreen(window);
}

namespace {

class ScreenKeeper : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched == parent())
            KeepWindowOnScreen(static_cast<QWidget *>(watched));
        return false;
    }
};

} // namespace

void KeepInsideScreenWhenShown(QWidget *window)
{
    window->installEventFilter(new ScreenKeeper(window));
}

void WriteMainStatusBar(const QString &text)
{
    QMainWindow *mw = mainWindow();
    if (!mw)
        return;
    auto *bar = mw->findChild<QStatusBar *>(QStringLiteral("StatusBar"));
    if (!bar)
        return;
    const QList<QLabel *> labels = bar->findChildren<QLabel *>();
    if (labels.isEmpty()) {
        bar->showMessage(text);
        return;
    }
    const int tag = bar->property("Tag").toInt();
    for (QLabel *label : labels)
        if (label->property("panelIndex").toInt() == tag) {
            if (auto *panel = qobject_cast<TStatusTextPanel *>(label))
                panel->setStatusText(text);
            else
                label->setText(text);
            label->repaint();
            return;
        }
}

void InstallWidgetHooks()
{
    static WidgetMessageSink sink;
    SetMessageSink(&sink);
    SetBusyCursorHook([](bool busy) {
        if (busy) {
            if (!QApplication::overrideCursor())
                QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            while (QApplication::overrideCursor())
                QApplication::restoreOverrideCursor();
        }
    });
    SetStatusTextHook(&WriteMainStatusBar);
    InstallMessageViewer();
    InstallRetranslation();
}

void DisconnectChildrenFrom(QObject *receiver)
{
    for (QObject *child : receiver->findChildren<QObject *>())
        QObject::disconnect(child, nullptr, receiver, nullptr);
}
