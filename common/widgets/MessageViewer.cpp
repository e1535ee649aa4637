#include "common/widgets/MessageViewer.h"

#include "common/BusyCursor.h"
#include "common/Format.h"
#include "common/OperationLog.h"
#include "common/Translate.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
QPointer<TFormMsgViewer> g_viewer;
} // namespace

TFormMsgViewer::TFormMsgViewer(QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(u"FormMsgViewer"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Tr(u"Сообщения"));
    resize(560, 320);

    m_msgList = new QTextEdit(this);
    m_msgList->setObjectName(u"MsgList"_s);
    m_msgList->setReadOnly(true);
    m_msgList->setLineWrapMode(QTextEdit::NoWrap);
    m_msgList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_msgList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_msgList->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setCentralWidget(m_msgList);

    m_status = new QLabel(this);
    m_status->setObjectName(u"StatusBarPanel"_s);
    statusBar()->setObjectName(u"StatusBar"_s);
    statusBar()->addWidget(m_status, 1);

    m_actSelectAll = new QAction(Tr(u"Выделить все"), this);
    m_actSelectAll->setObjectName(u"EditSelectAll"_s);
    m_actSelectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    m_actCopy = new QAction(Tr(u"Копировать"), this);
    m_actCopy->setObjectName(u"EditCopy"_s);
    m_actCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    m_actClose = new QAction(Tr(u"Закрыть"), this);
    m_actClose->setObjectName(u"CloseMsgs"_s);
    m_actClose->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    for (QAction *a : {m_actSelectAll, m_actCopy, m_actClose})
        a->setShortcutContext(Qt::WindowShortcut);
    addActions({m_actSelectAll, m_actCopy, m_actClose});

    QMenu *menu = menuBar()->addMenu(Tr(u"Сообщения"));
    menu->setObjectName(u"MenuMessages"_s);
    menu->addAction(m_actSelectAll);
    menu->addAction(m_actCopy);
    menu->addSeparator();
    menu->addAction(m_actClose);

    m_popup = new QMenu(this);
    m_popup->setObjectName(u"PopupMenu"_s);
    m_popup->addAction(m_actSelectAll);
    m_popup->addAction(m_actCopy);
    m_popup->addSeparator();
    m_popup->addAction(m_actClose);
    m_msgList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_msgList, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        updateActions();
        m_popup->popup(m_msgList->viewport()->mapToGlobal(pos));
    });
    connect(menu, &QMenu::aboutToShow, this, &TFormMsgViewer::updateActions);

    connect(m_actSelectAll, &QAction::triggered, m_msgList, &QTextEdit::selectAll);
    connect(m_actCopy, &QAction::triggered, m_msgList, &QTextEdit::copy);
    connect(m_actClose, &QAction::triggered, this, &TFormMsgViewer::closeMsgs);

    // The busy state changes without telling anybody: the actions follow it while the window lives.
    m_updateTimer = new QTimer(this);
    m_updateTimer->setInterval(250);
    connect(m_updateTimer, &QTimer::timeout, this, &TFormMsgViewer::updateActions);
    m_updateTimer->start();

    m_status->setText(Format(u"Всего сообщений: %d", {0}));
    updateActions();
    g_viewer = this;
}

TFormMsgViewer::~TFormMsgViewer()
{
    if (g_viewer == this)
        g_viewer = nullptr;
}

QString TFormMsgViewer::statusText() const
{
    return m_status->text();
}

void TFormMsgViewer::updateActions()
{
    m_actClose->setEnabled(IsNotBusy());
}

void TFormMsgViewer::closeMsgs()
{
    // A long operation may still be writing here.
    if (!IsNotBusy())
        return;
    close();
}

void TFormMsgViewer::AddMessageLine(const QString &text, const QColor &color, unsigned style)
{
    const QString line = MessageToDisplay(text).trimmed();
    if (line.isEmpty())
        return;
    QTextCursor cursor(m_msgList->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(color);
    format.setFontWeight((style & LFS_BOLD) ? QFont::Bold : QFont::Normal);
    format.setFontItalic((style & LFS_ITALIC) != 0);
    format.setFontUnderline((style & LFS_UNDERLINE) != 0);
    format.setFontStrikeOut((style & LFS_STRIKEOUT) != 0);
    if (m_count > 0)
        cursor.insertBlock();
    cursor.insertText(m_count > 0 ? u'\n' + line : line, format);
    m_msgList->setTextCursor(cursor);
    m_msgList->ensureCursorVisible();
    ++m_count;
    m_status->setText(Format(u"Всего сообщений: %d", {m_count}));
}

TFormMsgViewer *MessageViewer()
{
    return g_viewer.data();
}

void ShowLogMessage(const QString &caption, const QString &text, const QColor &color, unsigned style)
{
    TFormMsgViewer *viewer = g_viewer.data();
    if (!viewer)
        viewer = new TFormMsgViewer;
    if (!caption.isEmpty())
        viewer->setWindowTitle(caption);
    viewer->AddMessageLine(text, color, style);
    viewer->show();
    viewer->raise();
}

void InstallMessageViewer()
{
    SetLogViewerHook([](const QString &caption, const QString &text, uint32_t rgb, unsigned style) {
        ShowLogMessage(caption, text, QColor(QRgb(rgb)), style);
    });
}
