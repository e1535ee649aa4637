#include "ui/scenarios/ScrPublicDialog.h"

#include "common/Dialogs.h"
#include "common/Format.h"
#include "common/Languages.h"
#include "common/ProgramFiles.h"
#include "common/Translate.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int kMaxFieldLength = 64;

// Read-only fields take the colour of the dialog, so that they do not look editable.
void makeReadOnly(QWidget *field)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, field->parentWidget()->palette().color(QPalette::Window));
    field->setPalette(palette);
}

} // namespace

TFormScrPublic::TFormScrPublic(QWidget *parent, ScriptTitleCheck titleCheck, ScriptWireCheck wireCheck,
                               ScriptSend send)
    : TDialogSTemplate(parent)
    , m_titleCheck(std::move(titleCheck))
    , m_wireCheck(std::move(wireCheck))
    , m_send(std::move(send))
{
    setObjectName(u"FormScrPublic"_s);
    setWindowTitle(Tr(u"Свойства сценария"));
    resize(520, 440);

    m_edClName = new QLineEdit(clientArea());
    m_edClName->setObjectName(u"edClName"_s);
    m_edClName->setMaxLength(kMaxFieldLength);
    m_edClName->setToolTip(Tr(u"Автор сценария"));

    m_cbClLcid = new QComboBox(clientArea());
    m_cbClLcid->setObjectName(u"cbClLcid"_s);
    m_cbClLcid->setToolTip(Tr(u"Язык сценария"));
    m_cbClLcid->addItems(GetLanguageNames());

    m_edTitle = new QLineEdit(clientArea());
    m_edTitle->setObjectName(u"edTitle"_s);
    m_edTitle->setMaxLength(kMaxFieldLength);
    m_edTitle->setToolTip(Tr(u"Название сценария"));

    m_rgViewMode = makeRadioGroup(
        u"rgViewMode"_s, Tr(u" Доступность "),
        Tr(u"Разрешаете ли Вы использовать данный сценарий другим членам сообщества"),
        {Tr(u"Сценарий виден всем пользователям"), Tr(u"Сценарий виден только мне")}, m_viewButtons);
    m_rgAppMode = makeRadioGroup(u"rgAppMode"_s, Tr(u" Применяемость "),
                                 Tr(u"В каком приложении можно использовать данный сценарий"),
                                 {Format(u"Только в \"%s\"", {QString::fromUtf16(kProgramBaseName)}),
                                  Tr(u"В любом приложении Kenvo")},
                                 m_appButtons);

    m_edDescr = new QPlainTextEdit(clientArea());
    m_edDescr->setObjectName(u"edDescr"_s);

    auto *form = new QFormLayout;
    form->addRow(Tr(u"Автор:"), m_edClName);
    form->addRow(Tr(u"Язык:"), m_cbClLcid);
    form->addRow(Tr(u"Название:"), m_edTitle);
    auto *modes = new QHBoxLayout;
    modes->addWidget(m_rgViewMode);
    modes->addWidget(m_rgAppMode);
    auto *layout = new QVBoxLayout(clientArea());
    layout->addLayout(form);
    layout->addLayout(modes);
    layout->addWidget(new QLabel(Tr(u"Описание:"), clientArea()));
    layout->addWidget(m_edDescr, 1);

    // The tab order of the fields; the title takes the focus first (showEvent).
    setTabOrder(m_edClName, m_cbClLcid);
    setTabOrder(m_cbClLcid, m_edTitle);
    setTabOrder(m_edTitle, m_viewButtons->button(0));
    setTabOrder(m_viewButtons->button(0), m_appButtons->button(0));
    setTabOrder(m_appButtons->button(0), m_edDescr);

    okButton()->setToolTip(Tr(u"Отправить сценарий на сервер"));
    cancelButton()->setToolTip(Tr(u"Закрыть окно"));
}

QGroupBox *TFormScrPublic::makeRadioGroup(const QString &name, const QString &caption, const QString &hint,
                                          const QStringList &items, QButtonGroup *&buttons)
{
    auto *group = new QGroupBox(caption, clientArea());
    group->setObjectName(name);
    group->setToolTip(hint);
    buttons = new QButtonGroup(group);
    auto *layout = new QVBoxLayout(group);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), group);
        button->setObjectName(name + u"Item"_s + QString::number(i));
        buttons->addButton(button, i);
        layout->addWidget(button);
    }
    buttons->button(0)->setChecked(true);
    return group;
}

QRadioButton *TFormScrPublic::viewModeButton(int index) const
{
    return qobject_cast<QRadioButton *>(m_viewButtons->button(index));
}

QRadioButton *TFormScrPublic::appModeButton(int index) const
{
    return qobject_cast<QRadioButton *>(m_appButtons->button(index));
}

int TFormScrPublic::viewModeIndex() const
{
    return m_viewButtons->checkedId();
}

int TFormScrPublic::appModeIndex() const
{
    return m_appButtons->checkedId();
}

void TFormScrPublic::fill(const tScriptData &record, int defaultLcid, bool editable)
{
    m_id = record.id;
    m_defaultLcid = defaultLcid;
    m_editable = editable;
    m_edTitle->setText(record.title);
    m_edClName->setText(record.key_cl_name);
    m_cbClLcid->setCurrentIndex(LanguageIndexOf(record.key_cl_lcid, defaultLcid));
    m_appButtons->button(record.uniapps ? 1 : 0)->setChecked(true);
    m_viewButtons->button(record.publics ? 0 : 1)->setChecked(true);
    m_edDescr->setPlainText(record.descr);

    if (!editable) {
        for (QLineEdit *edit : {m_edTitle, m_edClName}) {
            edit->setReadOnly(true);
            makeReadOnly(edit);
        }
        m_edDescr->setReadOnly(true);
        makeReadOnly(m_edDescr);
        m_cbClLcid->setEnabled(false);
        m_rgViewMode->setEnabled(false);
        m_rgAppMode->setEnabled(false);
        okButton()->setDefault(false);
        okButton()->setAutoDefault(false);
        okButton()->hide();
    }
}

void TFormScrPublic::readBack(tScriptData &record) const
{
    record.id = m_id;
    record.title = m_edTitle->text().trimmed();
    record.key_cl_name = m_edClName->text().trimmed();
    record.key_cl_lcid = LanguageIdAt(m_cbClLcid->currentIndex(), m_defaultLcid);
    record.uniapps = appModeIndex() == 1;
    record.publics = viewModeIndex() == 0;
    record.descr = m_edDescr->toPlainText();
}

void TFormScrPublic::showEvent(QShowEvent *event)
{
    TDialogSTemplate::showEvent(event);
    if (m_editable)
        m_edTitle->setFocus();
    else
        cancelButton()->setFocus();
}

bool TFormScrPublic::refuse(const QString &message, QWidget *field)
{
    ShowErrorBox(message);
    field->setFocus();
    return false;
}

bool TFormScrPublic::validate()
{
    // A read-only dialog only shows the record: it never closes with OK.
    if (!m_editable)
        return false;
    const QString title = m_edTitle->text().trimmed();
    if (title.isEmpty())
        return refuse(Tr(u"Название сценария должно быть указано обязательно!"), m_edTitle);
    // A title that cannot be sent is refused here, before the catalogue is asked about it.
    if (m_wireCheck) {
        const QString reason = m_wireCheck(title);
        if (!reason.isEmpty())
            return refuse(reason, m_edTitle);
    }
    if (m_titleCheck) {
        switch (m_titleCheck(m_id, title)) {
        case TTitleCheck::Free: break;
        case TTitleCheck::Taken:
            return refuse(Tr(u"Сценарий с таким названием уже существует!\rВыберите другое название."), m_edTitle);
        case TTitleCheck::Failed:
            // The check has shown its own error: the title may well be free.
            m_edTitle->setFocus();
            return false;
        }
    }
    const QString author = m_edClName->text().trimmed();
    if (author.isEmpty())
        return refuse(Tr(u"Имя автора должно быть указано обязательно!"), m_edClName);
    if (m_wireCheck) {
        QString reason = m_wireCheck(author);
        if (!reason.isEmpty())
            return refuse(reason, m_edClName);
        reason = m_wireCheck(m_edDescr->toPlainText());
        if (!reason.isEmpty())
            return refuse(reason, m_edDescr);
    }
    if (m_send) {
        tScriptData record;
        readBack(record);
        return m_send(record);
    }
    return true;
}

bool ShowScrPublicDialog(tScriptData &record, int defaultLcid, bool editable, QWidget *parent,
                         ScriptTitleCheck titleCheck, ScriptWireCheck wireCheck, ScriptSend send)
{
    TFormScrPublic dialog(parent, std::move(titleCheck), std::move(wireCheck), std::move(send));
    dialog.fill(record, defaultLcid, editable);
    if (ExecDialog(dialog) != QDialog::Accepted || !editable)
        return false;
    dialog.readBack(record);
    return true;
}
