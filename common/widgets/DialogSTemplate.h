#pragma once

#include <QDialog>

#include <functional>

class QFrame;
class QPushButton;
class QVBoxLayout;
class QWidget;

// The base of every OK/Cancel dialog: the derived dialog puts its controls into clientArea(),
// above the bottom panel that holds OK and Cancel.
//
// Pressing OK runs validate(); when it fails (it shows its own message box) the dialog stays open.
// Entry routines do not call exec() themselves but go through ExecDialog(), so that tests can
// play the user's part without a modal loop.
class TDialogSTemplate : public QDialog {
    Q_OBJECT
public:
    explicit TDialogSTemplate(QWidget *parent = nullptr);

    QWidget *clientArea() const { return m_clientArea; }
    QPushButton *okButton() const { return m_okBtn; }
    QPushButton *cancelButton() const { return m_cancelBtn; }

    // Presses OK as the user would: validates and, when valid, closes with Accepted.
    // Returns true when the dialog closed.
    bool pressOk();
    void pressCancel() { reject(); }

    void accept() override;

protected:
    // Checks the controls before the dialog closes with OK; shows a message box and returns false
    // when something is wrong (the control concerned may take the focus).
    virtual bool validate() { return true; }
    // At the first show the dialog's own fields come first in the tab order, OK and Cancel last, and
    // the focus is in the first field unless the dialog has put it somewhere itself.
    void showEvent(QShowEvent *event) override;

private:
    QWidget *m_clientArea;
    QFrame *m_bvlButtons;
    QFrame *m_buttonsPanel;
    QPushButton *m_okBtn;
    QPushButton *m_cancelBtn;
    bool m_fieldsOrdered = false;
};

// Shows the dialog modally and returns QDialog::Accepted or QDialog::Rejected. A test may install
// a player that acts on the dialog instead (it should end with pressOk() or pressCancel() and
// return dialog.result()); nullptr restores exec(). Without a screen (the offscreen platform of batch
// runs and tests) a dialog with no player is cancelled at once instead of waiting for an answer.
using DialogPlayer = std::function<int(TDialogSTemplate &dialog)>;
void SetDialogPlayer(DialogPlayer player);
int ExecDialog(TDialogSTemplate &dialog);

// The entry-routine pattern for a dialog class that offers
//     void fill(const Record &);        // controls from the caller's values
//     void readBack(Record &) const;    // controls into the caller's values
// The dialog is created, filled and shown; on OK (after validation) the values are copied back and
// the result is true; on Cancel the record is left unchanged. The dialog is freed before return.
template <class Dialog, class Record, class... Args>
bool EditInDialog(Record &record, QWidget *parent, Args &&...args)
{
    Dialog dialog(parent, std::forward<Args>(args)...);
    dialog.fill(record);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    dialog.readBack(record);
    return true;
}
