#pragma once

#include "common/widgets/DialogSTemplate.h"
#include "lottery/stats/StatSettings.h"

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// Asks for the name of a combinations file ("*.lcv"): the open dialog, or the save dialog that adds
// the extension; empty when cancelled. Tests install their own answer; nullptr restores the dialogs.
using CombsFileDialog = std::function<QString(QWidget *parent, bool save, const QString &initial)>;
void SetCombsFileDialog(CombsFileDialog dialog);
QString AskCombsFileName(QWidget *parent, bool save, const QString &initial = {});

// What the generation dialog edits: the settings and whether they become the defaults.
struct TGenCombsRecord {
    TGenerateSettings settings;
    bool saveAsDefault = true;
};

// "Создание нового списка комбинаций": the mode, the numbers or the file name, and the default flag.
class TFormGenCombs : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormGenCombs(QWidget *parent = nullptr);

    void fill(const TGenCombsRecord &record);
    void readBack(TGenCombsRecord &record) const;

    QComboBox *modeCombo() const { return m_cbMode; }
    QLineEdit *parametersEdit() const { return m_edParameters; }
    QPushButton *fileButton() const { return m_btnFile; }
    QCheckBox *saveDefaultBox() const { return m_cbSaveDefault; }

    // The file mode needs a file name.
    bool validate() override;
    // The "..." button: picks the file to load.
    void browse();

private:
    void updateControls();

    QComboBox *m_cbMode;
    QLineEdit *m_edParameters;
    QPushButton *m_btnFile;
    QCheckBox *m_cbSaveDefault;
};

// Fills the dialog from the settings and the flag and, on OK, copies them back (true).
bool ShowGenCombsDialog(TGenerateSettings &settings, bool &saveAsDefault, QWidget *parent);
