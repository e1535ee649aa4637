#include "ui/window/HelpFeature.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Languages.h"
#include "common/ProcessUtils.h"
#include "common/ProgramFiles.h"
#include "common/SysUtils.h"
#include "common/Translate.h"
#include "lottery/DrawDates.h"
#include "ui/draws/InfoWindow.h"
#include "ui/window/TemplateMain.h"
#include "app/settings/HelpSupport.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A button that opens one of the project's pages.
QPushButton *linkButton(QWidget *parent, const QString &name, const QString &caption, const QString &linkName)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // The caption keeps a margin inside the button on either side, however narrow the style draws it.
    button->setMinimumWidth(button->fontMetrics().horizontalAdvance(caption) + 2 * button->fontMetrics().horizontalAdvance(u"MM"_s));
    QObject::connect(button, &QPushButton::clicked, parent, [linkName] {
        try {
            OpenUrl(ProjectLinkAddress(linkName));
        } catch (const Exception &e) {
            ShowErrorBox(e.message());
        }
    });
    return button;
}

// A label whose text is a link: web addresses open in the browser, a mail address in the mail program.
QLabel *addressLabel(QWidget *parent, const QString &name, const QString &text, bool mail)
{
    auto *label = new QLabel(u"<a href=\"#\">"_s + text.toHtmlEscaped() + u"</a>"_s, parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    QObject::connect(label, &QLabel::linkActivated, parent, [text, mail] {
        try {
            if (mail)
                OpenMailTo(text);
            else
                OpenUrl(text);
        } catch (const Exception &e) {
            ShowErrorBox(e.message());
        }
    });
    return label;
}

} // namespace

TFormFirstRun::TFormFirstRun(QWidget *parent) : TDialogSTemplate(parent)
{
    setObjectName(u"FormFirstRun"_s);
    setWindowTitle(Tr(u"Справочная информация"));
    cancelButton()->hide();
    auto *layout = new QVBoxLayout(clientArea());
    auto *helpText = new QLabel(
        Tr(u"Если Вы запускаете программу в первый раз, рекомендуем Вам ознакомится со справочной инфомацией:"),
        clientArea());
    helpText->setWordWrap(true);
    layout->addWidget(helpText);
    m_btnOpenHelpFile = new QPushButton(Tr(u"Открыть файл встроенной справочной системы"), clientArea());
    m_btnOpenHelpFile->setObjectName(u"btnOpenHelpFile"_s);
    m_btnOpenHelpFile->setEnabled(HelpFileExists(HelpFileName));
    connect(m_btnOpenHelpFile, &QPushButton::clicked, this, [] { ShowHelp(); });
    layout->addWidget(m_btnOpenHelpFile);

    auto *linksText = new QLabel(Tr(u"Полезные ресурсы, включая видеоруководства и новости проекта:"), clientArea());
    linksText->setWordWrap(true);
    layout->addWidget(linksText);
    QWidget *area = clientArea();
    layout->addWidget(linkButton(area, u"btnOnlineManuals"_s,
                                 Tr(u"Статьи на сайте автора - для начинающих и не только"), u"urlAuthText"_s));
    layout->addWidget(linkButton(area, u"btnBlog"_s, Tr(u"Блог"), u"urlBlog"_s));
    layout->addWidget(linkButton(area, u"btnYoutube"_s, Tr(u"Канал на YouTube"), u"urlYT"_s));
    layout->addWidget(linkButton(area, u"btnVK"_s, Tr(u"Группа в соцсети \"В контакте\""), u"urlVK"_s));
    layout->addWidget(linkButton(area, u"btnOK"_s, Tr(u"Группа в соцсети \"Однокласники\""), u"urlOK"_s));
    layout->addWidget(linkButton(area, u"btnTelegram"_s, Tr(u"Канал в Telegram - новости проекта"), u"urlTG"_s));

    m_cbDisable = new QCheckBox(Tr(u"Больше не показывать данный диалог"), clientArea());
    m_cbDisable->setObjectName(u"cbDisable"_s);
    layout->addWidget(m_cbDisable);
}

TFormAbout::TFormAbout(QWidget *parent) : TDialogSTemplate(parent)
{
    setObjectName(u"FormAbout"_s);
    setWindowTitle(Tr(u"О программе"));
    cancelButton()->hide();
    auto *layout = new QVBoxLayout(clientArea());
    QWidget *area = clientArea();
    QString title = parent ? parent->window()->windowTitle() : QString();
    if (title.isEmpty())
        title = QCoreApplication::applicationName();
    auto *lblTitle = new QLabel(title, area);
    lblTitle->setObjectName(u"lblTitle"_s);
    lblTitle->setWordWrap(true);
    QFont font = lblTitle->font();
    font.setBold(true);
    lblTitle->setFont(font);
    layout->addWidget(lblTitle);
    auto *lblVersion = new QLabel(AboutVersionText(QStringLiteral(VENDRA_VERSION)), area);
    lblVersion->setObjectName(u"lblVersion"_s);
    layout->addWidget(lblVersion);
    layout->addWidget(addressLabel(area, u"lblSite"_s, ProjectLinkAddress(u"urlMainSite"_s), false));
    layout->addWidget(addressLabel(area, u"lblBlog"_s, ProjectLinkAddress(u"urlBlog"_s), false));
    layout->addWidget(addressLabel(area, u"lblVideo"_s, ProjectLinkAddress(u"urlYT"_s), false));
    layout->addWidget(addressLabel(area, u"lblVK"_s, ProjectLinkAddress(u"urlVK"_s), false));
    layout->addWidget(addressLabel(area, u"lblOK"_s, ProjectLinkAddress(u"urlOK"_s), false));
    layout->addWidget(addressLabel(area, u"lblMail"_s, ProjectMailAddress(), true));
    layout->addWidget(addressLabel(area, u"lblDownload"_s, ProjectLinkAddress(u"urlMainSite"_s) + u"download/"_s,
                                   false));
}

THelpFeature::THelpFeature(TTemplateMain &window) : QObject(&window), m_window(window)
{
    setObjectName(u"HelpFeature"_s);
    m_menuHelp = window.menuBar()->addMenu(Tr(u"Сп&равка"));
    m_menuHelp->setObjectName(u"menuHelp"_s);

    m_actGetHelp = new QAction(Tr(u"Справка"), this);
    m_actGetHelp->setObjectName(u"GetHelp"_s);
    m_actGetHelp->setStatusTip(Tr(u"Вызов файла справки"));
    m_actGetHelp->setShortcut(QKeySequence::HelpContents);
    connect(m_actGetHelp, &QAction::triggered, this, &THelpFeature::getHelp);
    m_menuHelp->addAction(m_actGetHelp);

    m_menuHelp->addSeparator();

    for (const TProjectLink &link : ProjectLinks()) {
        const QString name = QString::fromUtf16(link.name);
        auto *action = new QAction(Tr(link.caption), this);
        action->setObjectName(name.isEmpty() ? u"urlLottery"_s : name);
        if (name.isEmpty())
            action->setStatusTip(Tr(u"Открыть сайт лотереи"));
        const QString address = QString::fromUtf16(link.address);
        connect(action, &QAction::triggered, this, [address] {
            try {
                OpenUrl(address);
            } catch (const Exception &e) {
                ShowErrorBox(e.message());
            }
        });
        m_menuHelp->addAction(action);
        m_linkActions.push_back(action);
        if (name.isEmpty())
            m_menuHelp->addSeparator();
    }
    m_menuHelp->addSeparator();
    m_actAbout = new QAction(Tr(u"О программе"), this);
    m_actAbout->setObjectName(u"About"_s);
    connect(m_actAbout, &QAction::triggered, this, &THelpFeature::showAbout);
    m_menuHelp->addAction(m_actAbout);

    // The language menu joins the options menu when there is one.
    QMenu *options = window.findMenu(u"menuOptions"_s);
    m_menuLanguages = new QMenu(Tr(u"Язык"), options ? static_cast<QWidget *>(options) : m_menuHelp);
    m_menuLanguages->setObjectName(u"menuLanguages"_s);
    if (options) {
        options->addSeparator();
        options->addMenu(m_menuLanguages);
    } else {
        m_menuHelp->insertMenu(m_actAbout, m_menuLanguages);
    }

    m_restart = [this] { restartProgram(); };
    window.addActionUpdater([this] { updateActions(); });
    qApp->installEventFilter(this);
}

void THelpFeature::BuildLanguageMenu()
{
    HelpFileName = FindHelpFile(GetProgramFolder(), GetLanguageAbbrev(CurrentLanguageId()));

    for (QAction *action : m_languageActions)
        delete action;
    m_languageActions.clear();
    m_menuLanguages->clear();
    auto *group = new QActionGroup(m_menuLanguages);
    group->setExclusive(true);
    const TLCIDs ids = GetLanguageIds();
    const QStringList names = GetLanguageNames();
    for (size_t i = 0; i < ids.size(); ++i) {
        const int lcid = ids[i];
        const QString name = int(i) < names.size() ? names[int(i)] : GetLanguageName(lcid);
        auto *action = new QAction(name, group);
        action->setObjectName(u"Language"_s + QString::number(lcid));
        action->setStatusTip(name);
        action->setData(lcid);
        action->setCheckable(true);
        action->setChecked(LanguageItemChecked(lcid, CurrentLanguageId()));
        connect(action, &QAction::triggered, this, [this, lcid] { chooseLanguage(lcid); });
        m_menuLanguages->addAction(action);
        m_languageActions.push_back(action);
    }
    updateActions();
}

void THelpFeature::updateActions()
{
    const bool idle = IsNotBusy();
    // Also without help: the command (and F1) then says that help is not available, rather than
    // doing nothing.
    m_actGetHelp->setEnabled(idle);
    m_actAbout->setEnabled(idle);
    for (QAction *action : m_linkActions)
        action->setEnabled(idle);
    const int current = CurrentLanguageId();
    for (QAction *action : m_languageActions) {
        action->setEnabled(idle);
        action->setChecked(LanguageItemChecked(action->data().toInt(), current));
    }
}

void THelpFeature::getHelp()
{
    if (!IsNotBusy())
        return;
    ShowHelp();
}

bool THelpFeature::eventFilter(QObject *watched, QEvent *event)
{
    // The window's help key does not reach past a modal dialog: in one, the key opens the same help.
    if (event->type() != QEvent::KeyPress || !QApplication::activeModalWidget() ||
        !static_cast<QKeyEvent *>(event)->matches(QKeySequence::HelpContents))
        return QObject::eventFilter(watched, event);
    getHelp();
    return true;
}

void THelpFeature::showAbout()
{
    TFormAbout about(&m_window);
    ExecDialog(about);
}

void THelpFeature::ShowFirstRun()
{
    if (!m_window.options().firstRun)
        return;
    TFormFirstRun window(&m_window);
    ExecDialog(window);
    if (window.disableBox()->isChecked())
        m_window.options().disableFirstRun();
}

void THelpFeature::chooseLanguage(int lcid)
{
    if (!IsNotBusy())
        return;
    ChooseLanguage(lcid, CurrentLanguageId(), m_window.options(), m_restart);
    updateActions(); // the radio group checked the chosen item; the current language stays checked
}

void THelpFeature::restartProgram()
{
    const ProcessCommand command = RestartCommand();
    // A failure to start raises the system error to the caller and this copy keeps running.
    CurrentProcessRunner().run(command, ProcessWaitName(command.program), 0, {}, false);
    m_window.close();
}

THelpFeature *InstallHelpFeature(TTemplateMain &window)
{
    InstallInfoWindow(window);
    return new THelpFeature(window);
}
