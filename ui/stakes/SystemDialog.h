#pragma once

#include "common/widgets/DialogSTemplate.h"
#include "online/SystemTypes.h"

#include <functional>

class QAction;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

// "Система": one system of the catalogue, editable or read only: its name, description, author,
// link, count of numbers, block length and lines. The counts follow the lines as they are edited; the
// lines are checked and rewritten when the list loses the focus and again first thing on OK, where a
// typed count that disagrees with them is refused, so what is published always matches its counts.
class TFormSystem : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormSystem(QWidget *parent = nullptr);

    void fill(const tSystemData &system, bool editable);
    void readBack(tSystemData &system) const;
    bool editable() const { return m_editable; }

    // The list check: rewrites the lines and sets the count of numbers and of lines. On a line that
    // cannot be read it shows the error box, puts the cursor on that line and returns false.
    bool checkList();
    // Enables the commands of the list's menu as the list and the clipboard stand.
    void updateMenu();
    // Opens the link in the browser (an address of another kind is taken as a web address).
    void openLink();

    QLineEdit *titleEdit() const { return m_title; }
    QPlainTextEdit *descrEdit() const { return m_descr; }
    QLineEdit *authorEdit() const { return m_author; }
    QLineEdit *urlEdit() const { return m_url; }
    QPushButton *urlButton() const { return m_urlButton; }
    QLineEdit *numsEdit() const { return m_nums; }
    QLineEdit *clenEdit() const { return m_clen; }
    QLineEdit *olapEdit() const { return m_olap; }
    QLineEdit *createdEdit() const { return m_created; }
    QLineEdit *lastDownloadEdit() const { return m_lastDownload; }
    QLineEdit *csizeEdit() const { return m_csize; }
    QLineEdit *downloadsEdit() const { return m_downloads; }
    QPlainTextEdit *combsEdit() const { return m_combs; }
    QMenu *combsMenu() const { return m_menu; }
    QAction *copyAction() const { return m_actCopy; }
    QAction *pasteAction() const { return m_actPaste; }
    QAction *selectAllAction() const { return m_actSelectAll; }
    QAction *loadAction() const { return m_actLoad; }
    QAction *saveAction() const { return m_actSave; }

    void copyList();
    void pasteList();
    void loadList();
    void saveList();

protected:
    bool validate() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *makeNumberEdit(const QString &name);
    QLineEdit *makeReadOnly(const QString &name);
    void updateLinkButton();
    bool refuse(const QString &message, QWidget *field);
    // The list check; the count of numbers is set from the lines only with setCount.
    bool checkLines(bool setCount);
    void followList();

    QLineEdit *m_title;
    QPlainTextEdit *m_descr;
    QLineEdit *m_author;
    QLineEdit *m_url;
    QPushButton *m_urlButton;
    QLineEdit *m_nums;
    QLineEdit *m_clen;
    QLineEdit *m_olap;
    QLineEdit *m_created;
    QLineEdit *m_lastDownload;
    QLineEdit *m_csize;
    QLineEdit *m_downloads;
    QPlainTextEdit *m_combs;
    QMenu *m_menu;
    QAction *m_actCopy;
    QAction *m_actPaste;
    QAction *m_actSelectAll;
    QAction *m_actLoad;
    QAction *m_actSave;

    bool m_editable = true;
    // Kept as they came and returned unchanged.
    int32_t m_id = 0;
    QString m_mail;
    TDateTime m_createdTime = 0;
    TDateTime m_lastDownloadTime = 0;
    int m_listNums = 0; // the count of numbers of the lines at their last check
};

// Shows the system in the dialog; true on OK with the dialog's values in the record. A read-only
// dialog has no OK and never changes the record.
bool ShowSystemDialog(QWidget *parent, tSystemData &system, bool editable);

// The file dialog of the list's load and save commands (tests give their own): the chosen file
// name, or empty.
using SystemFileDialog = std::function<QString(QWidget *parent, bool save)>;
void SetSystemFileDialog(SystemFileDialog dialog);
