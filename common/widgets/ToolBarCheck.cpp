#include "common/widgets/ToolBarCheck.h"

#include <QCheckBox>
#include <QToolBar>

TToolBarCheck::TToolBarCheck(const QString &text, const QString &boxName, QObject *parent)
    : QWidgetAction(parent), m_boxName(boxName)
{
    setText(text);
    setCheckable(true);
}

QCheckBox *TToolBarCheck::checkBox() const
{
    for (QWidget *w : createdWidgets())
        if (auto *box = qobject_cast<QCheckBox *>(w))
            return box;
    return nullptr;
}

QWidget *TToolBarCheck::createWidget(QWidget *parent)
{
    // A menu (the toolbar's overflow menu among them) shows the action as a checkable item.
    if (!qobject_cast<QToolBar *>(parent))
        return nullptr;
    auto *box = new QCheckBox(text(), parent);
    box->setObjectName(m_boxName);
    box->setChecked(isChecked());
    box->setEnabled(isEnabled());
    box->setToolTip(toolTip());
    connect(box, &QCheckBox::toggled, this, &QAction::setChecked);
    connect(this, &QAction::toggled, box, &QCheckBox::setChecked);
    connect(this, &QAction::changed, box, [this, box] {
        box->setText(text());
        box->setEnabled(isEnabled());
    });
    return box;
}
