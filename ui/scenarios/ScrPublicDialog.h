#pragma once

#include "common/widgets/DialogSTemplate.h"
#include "online/ScriptInfo.h"

#include <functional>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

// Asks the catalogue whether the title is free for the scenario id (it reports its own failure).
using ScriptTitleCheck = std::function<TTitleCheck(int scriptId, const QString &title)>;
// Tells whether a text can be sent to the catalogue: empty when it can, else the reason.
using ScriptWireCheck = std::function<QString(const QString &text)>;
// Sends the record as the dialog holds it, while the dialog stays open; true once the catalogue took
// it. On false (a failure, or a request the user cancelled, each reported by the sender) the dialog
// stays open with everything typed in it.
using ScriptSend = std::function<bool(const tScriptData &record)>;

// "Свойства сценария": the properties of a scenario to publish (or, read-only, of a published one).
class TFormScrPublic : public TDialogSTemplate {
    Q_OBJECT
public:
    TFormScrPublic(QWidget *parent, ScriptTitleCheck titleCheck, ScriptWireCheck wireCheck, ScriptSend send = {});

    // The record into the controls: its language, or the default language when the record's is not
    // offered; read-only mode shows the values with no way to change or send them.
    void fill(const tScriptData &data, int defaultLcid, bool editable);
    // The controls into the record: the id as filled, title and author trimmed.
    void readBack(tScriptData &data) const;

    QLineEdit *authorEdit() const { return m_edClName; }
    QComboBox *languageBox() const { return m_cbClLcid; }
    QLineEdit *titleEdit() const { return m_edTitle; }
    QGroupBox *viewModeGroup() const { return m_rgViewMode; }
    QGroupBox *appModeGroup() const { return m_rgAppMode; }
    QRadioButton *viewModeButton(int index) const;
    QRadioButton *appModeButton(int index) const;
    QPlainTextEdit *descrEdit() const { return m_edDescr; }
    int viewModeIndex() const;
    int appModeIndex() const;

protected:
    bool validate() override;
    void showEvent(QShowEvent *event) override;

private:
    QGroupBox *makeRadioGroup(const QString &name, const QString &caption, const QString &hint,
                              const QStringList &items, QButtonGroup *&buttons);
    bool refuse(const QString &message, QWidget *field);

    ScriptTitleCheck m_titleCheck;
    ScriptWireCheck m_wireCheck;
    ScriptSend m_send;
    int m_id = -1;
    int m_defaultLcid = 0;
    bool m_editable = true;

    QLineEdit *m_edClName;
    QComboBox *m_cbClLcid;
    QLineEdit *m_edTitle;
    QGroupBox *m_rgViewMode;
    QButtonGroup *m_viewButtons = nullptr;
    QGroupBox *m_rgAppMode;
    QButtonGroup *m_appButtons = nullptr;
    QPlainTextEdit *m_edDescr;
};

// Shows the properties dialog; in editable mode true on OK with the record rebuilt from the dialog
// (and, with a sender, sent before the dialog closed). Read-only mode has no OK, so it always returns
// false.
bool ShowScrPublicDialog(tScriptData &data, int defaultLcid, bool editable, QWidget *parent,
                         ScriptTitleCheck titleCheck, ScriptWireCheck wireCheck, ScriptSend send = {});
