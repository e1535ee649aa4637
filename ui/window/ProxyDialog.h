#pragma once

#include "common/widgets/DialogSTemplate.h"
#include "app/settings/ProxySettings.h"

class QLineEdit;
class QRadioButton;
class QSpinBox;

// The proxy settings dialog: off, automatic search or a server typed by hand.
class TFormProxy : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormProxy(QWidget *parent = nullptr);

    void fill(const TProxy &proxy);
    // The values of the controls: the settings are then unsaved; the automatic mode keeps no server.
    void readBack(TProxy &proxy) const;

    QRadioButton *offButton() const { return m_rbProxyOff; }
    QRadioButton *autoButton() const { return m_rbProxyAuto; }
    QRadioButton *manualButton() const { return m_rbProxyManual; }
    QLineEdit *serverEdit() const { return m_edServer; }
    QSpinBox *portEdit() const { return m_edPort; }
    QLineEdit *usernameEdit() const { return m_edUsername; }
    QLineEdit *passwordEdit() const { return m_edPassword; }

    // Shows a message and keeps the dialog open when the typed server cannot be a proxy address.
    bool validate() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The edits take input only while the manual choice is checked.
    void updateControls();

    QRadioButton *m_rbProxyOff;
    QRadioButton *m_rbProxyAuto;
    QRadioButton *m_rbProxyManual;
    QLineEdit *m_edServer;
    QSpinBox *m_edPort;
    QLineEdit *m_edUsername;
    QLineEdit *m_edPassword;
};

// The EditProxy action: the dialog, and on OK the settings saved at once.
bool EditProxySettings(TProxy &proxy, QWidget *parent, const QString &iniFileName);
