#include "ui/window/ProxyDialog.h"

#include "common/Dialogs.h"
#include "common/Translate.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TFormProxy::TFormProxy(QWidget *parent) : TDialogSTemplate(parent)
{
    setObjectName(u"FormProxy"_s);
    setWindowTitle(Tr(u"Параметры proxy-сервера"));

    m_rbProxyOff = new QRadioButton(Tr(u"Не использовать proxy-сервер"), clientArea());
    m_rbProxyOff->setObjectName(u"rbProxyOff"_s);
    m_rbProxyAuto = new QRadioButton(Tr(u"Автоматический поиск сервера (возможны задержки)"), clientArea());
    m_rbProxyAuto->setObjectName(u"rbProxyAuto"_s);
    m_rbProxyManual = new QRadioButton(Tr(u"Ручной выбор proxy-сервера:"), clientArea());
    m_rbProxyManual->setObjectName(u"rbProxyManual"_s);

    m_edServer = new QLineEdit(clientArea());
    m_edServer->setObjectName(u"edServer"_s);
    m_edPort = new QSpinBox(clientArea());
    m_edPort->setObjectName(u"edPort"_s);
    m_edPort->setRange(1, 65535);
    m_edPort->setValue(kDefaultProxyPort);
    m_edUsername = new QLineEdit(clientArea());
    m_edUsername->setObjectName(u"edUsername"_s);
    m_edUsername->setToolTip(Tr(u"Имя пользователя (не обязательно)"));
    m_edPassword = new QLineEdit(clientArea());
    m_edPassword->setObjectName(u"edPassword"_s);
    m_edPassword->setToolTip(Tr(u"Пароль (не обязательно)"));
    m_edPassword->setEchoMode(QLineEdit::Password);

    auto *edits = new QFormLayout;
    edits->setContentsMargins(20, 0, 0, 0);
    edits->addRow(Tr(u"Имя или адрес сервера:"), m_edServer);
    edits->addRow(Tr(u"Порт:"), m_edPort);
    edits->addRow(Tr(u"Имя пользователя:"), m_edUsername);
    edits->addRow(Tr(u"Пароль:"), m_edPassword);

    auto *layout = new QVBoxLayout(clientArea());
    layout->addWidget(m_rbProxyOff);
    layout->addWidget(m_rbProxyAuto);
    layout->addWidget(m_rbProxyManual);
    layout->addLayout(edits);

    for (QRadioButton *button : {m_rbProxyOff, m_rbProxyAuto, m_rbProxyManual})
        connect(button, &QRadioButton::toggled, this, &TFormProxy::updateControls);
    m_rbProxyOff->setChecked(true);
    updateControls();
}

void TFormProxy::fill(const TProxy &proxy)
{
    switch (proxy.mode) {
    case pmProxyAuto: m_rbProxyAuto->setChecked(true); break;
    case pmProxyManual: m_rbProxyManual->setChecked(true); break;
    default: m_rbProxyOff->setChecked(true); break;
    }
    m_edServer->setText(proxy.server);
    m_edPort->setValue(proxy.port); // the spin edit keeps it within 1..65535
    m_edUsername->setText(proxy.username);
    m_edPassword->setText(proxy.password);
    updateControls();
}

void TFormProxy::readBack(TProxy &proxy) const
{
    proxy.server = m_edServer->text().trimmed();
    proxy.port = m_edPort->value();
    proxy.username = m_edUsername->text();
    proxy.password = m_edPassword->text();
    proxy.saved = false;
    if (m_rbProxyManual->isChecked())
        proxy.mode = pmProxyManual;
    else if (m_rbProxyOff->isChecked())
        proxy.mode = pmProxyOff;
    else
        proxy.mode = pmProxyAuto;
    if (proxy.mode == pmProxyAuto) {
        proxy.server.clear();
        proxy.port = 0;
        proxy.username.clear();
        proxy.password.clear();
    }
}

bool TFormProxy::validate()
{
    const QString server = m_edServer->text().trimmed();
    if (m_rbProxyManual->isChecked() && !server.isEmpty() && !IsValidProxyHost(server)) {
        ShowErrorBox(Tr(u"Введите имя или адрес proxy-сервера без протокола, порта и пробелов "
                        u"(например proxy.example.org или 192.168.0.1)!"));
        m_edServer->setFocus();
        return false;
    }
    return true;
}

void TFormProxy::showEvent(QShowEvent *event)
{
    updateControls();
    TDialogSTemplate::showEvent(event);
}

void TFormProxy::updateControls()
{
    const bool manual = m_rbProxyManual->isChecked();
    for (QWidget *edit : std::initializer_list<QWidget *>{m_edServer, m_edPort, m_edUsername, m_edPassword})
        edit->setEnabled(manual);
}

bool EditProxySettings(TProxy &proxy, QWidget *parent, const QString &iniFileName)
{
    if (!EditInDialog<TFormProxy>(proxy, parent))
        return false;
    SaveProxySettings(proxy, true, iniFileName);
    return true;
}
