#include "app/settings/HelpSupport.h"

#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/Languages.h"
#include "common/ProgramFiles.h"
#include "common/SysUtils.h"
#include "lottery/DrawDates.h"
#include "app/settings/CommandLine.h"
#include "app/settings/MainOptions.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

QString HelpFileNameFor(const QString &languageAbbrev)
{
    return Format(u"Kenvo_%s.chm", {languageAbbrev});
}

QStringList HelpFileCandidates(const QString &programFolder, const QString &languageAbbrev)
{
    const QString name = HelpFileNameFor(languageAbbrev);
    QString folder = programFolder;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    QString parent = QDir::cleanPath(folder + u".."_s);
    if (!parent.endsWith(u'/'))
        parent += u'/';
    return {folder + name, folder + u"help/"_s + name, parent + u"help/"_s + name};
}

bool HelpFileExists(const QString &fileName)
{
    if (fileName.isEmpty())
        return false;
    return QFileInfo(fileName).isFile() || QFileInfo(HelpTopicPage(fileName, {})).isFile();
}

QString FindHelpFile(const QString &programFolder, const QString &languageAbbrev)
{
    const QStringList candidates = HelpFileCandidates(programFolder, languageAbbrev);
    for (const QString &path : candidates)
        if (HelpFileExists(path))
            return path;
    return candidates.back();
}

QString HelpMissingText(const QString &programFolder, const QString &languageAbbrev)
{
    QStringList folders;
    for (QString candidate : HelpFileCandidates(programFolder, languageAbbrev)) {
        if (candidate.endsWith(u".chm", Qt::CaseInsensitive))
            candidate.chop(4);
        folders << QDir::toNativeSeparators(candidate);
    }
    return Format(u"Справка недоступна: папка со страницами справки не найдена. Она ищется здесь:\r%s",
                  {folders.join(u"\r"_s)});
}

void ShowHelpMissing()
{
    ShowInfoBox(HelpMissingText(GetProgramFolder(), GetLanguageAbbrev(CurrentLanguageId())));
}

bool ShowHelp(const QString &topic)
{
    if (HelpFileExists(HelpFileName))
        return OpenHelpFile(HelpFileName, topic);
    ShowHelpMissing();
    return false;
}

const std::vector<TProjectLink> &ProjectLinks()
{
    static const std::vector<TProjectLink> links = {
        {u"", u"Сайт лотереи", u"https://lotto645.example.org/"},
        {u"urlMainSite", u"Официальный сайт проекта", u"https://vendra.example.org/"},
        {u"urlAuthSite", u"Страница автора", u"https://vendra.example.org/author/"},
        {u"urlAuthText", u"Статьи для начинающих", u"https://vendra.example.org/articles/"},
        {u"urlTG", u"Канал в Telegram", u"https://t.me/vendra_news"},
        {u"urlBlog", u"Наш блог", u"https://blog.vendra.example.org/"},
        {u"urlYT", u"Наш видеоблог", u"https://www.youtube.com/@vendra-lotto"},
        {u"urlVK", u"Страница в соцсети \"В контакте\"", u"https://vk.com/vendra_lotto"},
        {u"urlOK", u"Страница в соцсети \"Однокласники\"", u"https://ok.ru/group/vendra"},
    };
    return links;
}

QString ProjectLinkAddress(const QString &name)
{
    for (const TProjectLink &link : ProjectLinks())
        if (name == QStringView(link.name))
            return QString::fromUtf16(link.address);
    return {};
}

QString ProjectMailAddress()
{
    return u"support@vendra.example.org"_s;
}

bool LanguageItemChecked(int itemLcid, int currentLcid)
{
    return PrimaryLanguageId(itemLcid) == PrimaryLanguageId(currentLcid);
}

ProcessCommand RestartCommand()
{
    return {GetProgramFileName(), {QString::fromUtf16(kSwitchRestart)}, GetProgramFolder()};
}

LanguageChoice ChooseLanguage(int lcid, int currentLcid, MainOptions &options, const std::function<void()> &restart)
{
    if (lcid == currentLcid)
        return LanguageChoice::Unchanged;
    try {
        CheckLanguageModule(lcid);
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
        return LanguageChoice::Failed;
    }
    options.setLanguage(lcid);
    try {
        if (restart)
            restart();
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
        return LanguageChoice::Failed;
    }
    return LanguageChoice::Restarted;
}

QString AboutVersionText(const QString &version)
{
    QStringList parts = version.split(u'.', Qt::SkipEmptyParts);
    while (parts.size() < 4)
        parts.push_back(u"0"_s);
    const QString product = parts[0] + u'.' + parts[1];
    return Format(u"%s ( %s )", {product, parts.mid(0, 4).join(u'.')});
}
