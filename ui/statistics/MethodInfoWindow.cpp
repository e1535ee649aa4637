#include "ui/statistics/MethodInfoWindow.h"

#include "common/widgets/WidgetHooks.h"
#include "common/Cp1251.h"
#include "common/Dialogs.h"
#include "common/Format.h"
#include "common/RegularFile.h"
#include "common/SysUtils.h"
#include "common/Translate.h"
#include "common/widgets/FormLayouts.h"
#include "lottery/DrawDates.h"
#include "lottery/stats/StatMethod.h"
#include "app/settings/HelpSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

FilterHelpShower &shower()
{
    static FilterHelpShower s;
    return s;
}

const QString kSection = u"TFormFilterHelp"_s;

} // namespace

void SetFilterHelpShower(FilterHelpShower s)
{
    shower() = std::move(s);
}

TFormFilterHelp::TFormFilterHelp(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(u"FormFilterHelp"_s);
    setWindowTitle(Tr(u"Описание методики расчета"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(u"wbHelp"_s);
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &TFormFilterHelp::linkClicked);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 480);
    KeepInsideScreenWhenShown(this);
    RestoreFormPlacement(kSection, this, false, true);
}

bool TFormFilterHelp::loadPage(const QString &fileName)
{
    QByteArray bytes;
    try {
        if (!ReadRegularFile(fileName, FileBounds::kText, bytes))
            return false;
    } catch (const EFileReadError &) {
        return false;
    }
    // Pages made for the Windows help are in Windows-1251 more often than not.
    const QString html = DecodeTextFile(bytes);
    const QFileInfo info(fileName);
    m_page = info.absoluteFilePath();
    m_browser->setSearchPaths({info.absolutePath()});
    m_browser->document()->setBaseUrl(QUrl::fromLocalFile(m_page));
    m_browser->setHtml(html);
    return true;
}

void TFormFilterHelp::linkClicked(const QUrl &url)
{
    const QUrl target = QUrl::fromLocalFile(m_page).resolved(url);
    if (!target.isLocalFile()) {
        try {
            OpenUrl(target.toString());
        } catch (const Exception &e) {
            ShowErrorBox(e.message());
        }
        return;
    }
    const QString file = target.toLocalFile();
    if (file != m_page && !loadPage(file)) {
        ShowErrorBox(Format(u"Страница справки \"%s\" не найдена!", {file}));
        return;
    }
    if (target.hasFragment())
        m_browser->scrollToAnchor(target.fragment());
}

void TFormFilterHelp::done(int result)
{
    SaveFormPlacement(kSection, this);
    QDialog::done(result);
}

QString MethodHelpPage(const TStatMethod &method)
{
    // The address names the help file and the page ("ms-its:<file>::/<page>"); it is empty while the
    // ".chm" itself is missing, which is the rule here, so the page is then named from the help code.
    const QString address = method.MethodHelpURL();
    if (!address.isEmpty()) {
        QString rest = address;
        if (rest.startsWith(u"ms-its:", Qt::CaseInsensitive))
            rest.remove(0, 7);
        const qsizetype sep = rest.indexOf(u"::");
        if (sep >= 0)
            return HelpTopicPage(rest.left(sep), rest.mid(sep + 2));
    }
    if (HelpFileName.isEmpty())
        return {};
    const QString code = Format(method.StatClass->HelpCode(), {method.Param});
    return HelpTopicPage(HelpFileName, Format(u"Filters_%.4d_%s.htm", {1049, code}));
}

bool ShowFilterHelp(const TStatMethod &method, QWidget *parent)
{
    // Without the help at all this key says what every help key says.
    if (!HelpFileExists(HelpFileName)) {
        ShowHelpMissing();
        return false;
    }
    const QString page = MethodHelpPage(method);
    if (page.isEmpty() || !QFileInfo(page).isFile()) {
        QString text = Format(u"Описание статистики \"%s\" недоступно!\r\r", {method.MethodCode()});
        text +=
            page.isEmpty() ? Tr(u"Файл справки не найден.") : Format(u"Страница справки \"%s\" не найдена.", {page});
        ShowErrorBox(text);
        return false;
    }
    TFormFilterHelp window(parent);
    if (!window.loadPage(page)) {
        ShowErrorBox(Format(u"Описание статистики \"%s\" недоступно!\r\rСтраница справки \"%s\" не читается.",
                            {method.MethodCode(), page}));
        return false;
    }
    if (shower())
        shower()(window);
    else
        window.exec();
    return true;
}
