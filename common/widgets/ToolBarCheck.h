#pragma once

#include <QWidgetAction>

class QCheckBox;

// A switch on a toolbar: a check box on the toolbar itself and, when the toolbar is too narrow to
// show it, a checkable item of the toolbar's overflow menu ("»"). A check box put on a toolbar as a
// plain widget never goes into that menu, so on a narrow window it would be out of reach.
class TToolBarCheck : public QWidgetAction {
    Q_OBJECT
public:
    // boxName: the object name of the check box on the toolbar.
    TToolBarCheck(const QString &text, const QString &boxName, QObject *parent);

    // The check box on the toolbar; nullptr until the action is put on one.
    QCheckBox *checkBox() const;

protected:
    QWidget *createWidget(QWidget *parent) override;

private:
    QString m_boxName;
};
