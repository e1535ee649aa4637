#include "common/widgets/DialogSTemplate.h"

#include "common/Translate.h"
#include "common/widgets/WidgetHooks.h"

#include <QGuiApplication>

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <utility>

namespace {

DialogPlayer g_player;

QPushButton *makeButton(const QString &caption, const QString &hint, const QString &name,
                        QStyle::StandardPixmap icon, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setFixedSize(97, 25);
    return button;
}

} // namespace

TDialogSTemplate::TDialogSTemplate(QWidget *parent)
    : QDialog(parent)
    , m_clientArea(new QWidget(this))
    , m_bvlButtons(new QFrame(this))
    , m_buttonsPanel(new QFrame(this))
{
    setObjectName(QStringLiteral("DialogSTemplate"));
    // Dialogs use the menu font, as the rest of the program's windows.
    setFont(QApplication::font("QMenu"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    KeepInsideScreenWhenShown(this);

    m_clientArea->setObjectName(QStringLiteral("ClientWidget"));
    m_bvlButtons->setObjectName(QStringLiteral("ButtonsBevelFrame"));
    m_bvlButtons->setFrameShape(QFrame::HLine);
    m_bvlButtons->setFrameShadow(QFrame::Sunken);

    m_buttonsPanel->setObjectName(QStringLiteral("ButtonsPanel"));
    m_buttonsPanel->setFixedHeight(49);
    m_buttonsPanel->setAutoFillBackground(true);
    m_buttonsPanel->setBackgroundRole(QPalette::Base);

    auto *movedPanel = new QWidget(m_buttonsPanel);
    movedPanel->setObjectName(QStringLiteral("ButtonsMovedPanel"));
    movedPanel->setFixedWidth(222);
    m_okBtn = makeButton(Tr(u"ОК"), Tr(u"Сохранить изменения"), QStringLiteral("OkButton"),
                         QStyle::SP_DialogOkButton, movedPanel);
    m_cancelBtn = makeButton(Tr(u"Отмена"), Tr(u"Отменить изменения и закрыть окно"),
                             QStringLiteral("CancelButton"), QStyle::SP_DialogCancelButton, movedPanel);
    m_okBtn->setDefault(true);
    m_okBtn->setAutoDefault(true);
    m_cancelBtn->setAutoDefault(false);

    auto *movedLayout = new QHBoxLayout(movedPanel);
    movedLayout->setContentsMargins(0, 0, 12, 0);
    movedLayout->setSpacing(8);
    movedLayout->addWidget(m_okBtn);
    movedLayout->addWidget(m_cancelBtn);

    auto *panelLayout = new QHBoxLayout(m_buttonsPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addStretch(1);
    panelLayout->addWidget(movedPanel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_clientArea, 1);
    layout->addWidget(m_bvlButtons);
    layout->addWidget(m_buttonsPanel);

    // Escape reaches reject() through QDialog itself; the Cancel button does the same.
    connect(m_okBtn, &QPushButton::clicked, this, &TDialogSTemplate::accept);
    connect(m_cancelBtn, &QPushButton::clicked, this, &TDialogSTemplate::reject);
}

void TDialogSTemplate::accept()
{
    if (!validate())
        return;
    QDialog::accept();
}

void TDialogSTemplate::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (std::exchange(m_fieldsOrdered, true))
        return;
    // OK and Cancel were made before the fields of the dialog built on this one: they go behind them.
    QWidget *first = nullptr;
    QWidget *last = nullptr;
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (!m_clientArea->isAncestorOf(w) || !(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() ||
            !w->isVisibleTo(this) || w->focusProxy())
            continue;
        if (!first)
            first = w;
        last = w;
    }
    if (!first)
        return;
    setTabOrder(last, m_okBtn);
    setTabOrder(m_okBtn, m_cancelBtn);
    QWidget *focus = focusWidget();
    if (focus && focus != m_okBtn && focus != m_cancelBtn)
        return;
    // A dialog that opens on a row of buttons or links would press the first of them at Enter: the
    // focus goes to the default button instead, so that Enter does what the dialog is for.
    if (qobject_cast<QPushButton *>(first) || qobject_cast<QLabel *>(first)) {
        const QList<QPushButton *> buttons = findChildren<QPushButton *>();
        for (QPushButton *button : buttons)
            if (button->isDefault() && button->isVisibleTo(this) && button->isEnabled()) {
                button->setFocus(Qt::TabFocusReason);
                return;
            }
    }
    first->setFocus(Qt::TabFocusReason);
}

bool TDialogSTemplate::pressOk()
{
    m_okBtn->click();
    return result() == QDialog::Accepted;
}

void SetDialogPlayer(DialogPlayer player)
{
    g_player = std::move(player);
}

int ExecDialog(TDialogSTemplate &dialog)
{
    if (g_player)
        return g_player(dialog);
    // Without a screen (a batch run or a headless test) nobody could answer: the dialog is cancelled.
    if (QGuiApplication::platformName() == u"offscreen")
        return QDialog::Rejected;
    return dialog.exec();
}
