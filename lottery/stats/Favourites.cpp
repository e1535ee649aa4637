// The favourite methods of the registry and their file.
#include "lottery/stats/StatList.h"

#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/IniFile.h"
#include "common/Languages.h"
#include "common/ProgramFiles.h"
#include "common/TextUtils.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

const QString kFilters = u"FILTERS"_s;

} // namespace

void TStatList::SelectAllMethods()
{
    for (TStatMethod &m : m_methods)
        m.Favorite = true;
    AllFavorites = true;
}

void TStatList::UpdateAllFavoritesFlag()
{
    if (m_methods.empty()) {
        AllFavorites = true;
        return;
    }
    const bool first = m_methods.front().Favorite;
    AllFavorites = true;
    for (const TStatMethod &m : m_methods)
        if (m.Favorite != first) {
            AllFavorites = false;
            break;
        }
    if (AllFavorites && !first)
        SelectAllMethods();
}

QString TStatList::FavoritesToText() const
{
    if (AllFavorites)
        return {};
    QString text;
    for (const TStatMethod &m : m_methods)
        if (m.Favorite)
            text = AddWithDelimiter(text, m.MethodCode(), u",");
    return text;
}

void TStatList::TextToFavorites(QStringView text)
{
    if (text.trimmed().isEmpty()) {
        SelectAllMethods();
        return;
    }
    QSet<QString> codes;
    for (QStringView word : text.split(u','))
        codes.insert(word.trimmed().toString().toUpper());
    bool any = false;
    for (TStatMethod &m : m_methods) {
        m.Favorite = codes.contains(m.MethodCode().toUpper());
        any = any || m.Favorite;
    }
    AllFavorites = false;
    // A list that names none of the methods (a file of another settings or version) would leave every
    // method list empty: all methods stay at hand instead.
    if (!any)
        SelectAllMethods();
}

QString TStatList::CaptionsSection() const
{
    QString abbrev = LanguageAbbrev;
    if (abbrev.isEmpty())
        abbrev = GetLanguageAbbrev(CurrentLanguageId());
    if (abbrev.isEmpty())
        abbrev = GetLanguageAbbrev(kRussianLcid);
    return u"STRINGS_"_s + abbrev;
}

QString TStatList::FavoritesFileName()
{
    return GetProgramBasePath() + u".flt"_s;
}

bool TStatList::LoadFilterSettings(const QString &fileName, bool withFavorites)
{
    try {
        const IniFile ini(fileName);
        if (ini.unreadable())
            throw EInOutError(Format(u"Не удалось открыть файл \"%s\": %s", {fileName, ini.readError()}));
        const QString section = CaptionsSection();
        if (withFavorites) {
            TextToFavorites(ini.readString(kFilters, u"Favorites"_s, FavoritesToText()));
            Ordered = ini.readBool(kFilters, u"Ordered"_s, Ordered);
            ShowGroupName = ini.readBool(kFilters, u"ShowGroupName"_s, ShowGroupName);
            ShowMethodFlags = ini.readBool(kFilters, u"ShowMethodFlags"_s, ShowMethodFlags);
        }
        for (TStatMethod &m : m_methods)
            m.Caption = ini.readString(section, m.MethodCode()).trimmed();
        return true;
    } catch (const Exception &e) {
        ShowErrorBox(Format(u"Ошибка загрузки списка фильтров!\r\r%s", {e.message()}));
    } catch (const std::exception &e) {
        ShowErrorBox(Format(u"Ошибка загрузки списка фильтров!\r\r%s", {QString::fromLocal8Bit(e.what())}));
    }
    return false;
}

bool TStatList::SaveFilterSettings(const QString &fileName, bool allTitles, TNamedBy namedBy)
{
    try {
        IniFile ini(fileName);
        ini.setNamedBy(namedBy);
        ini.writeString(kFilters, u"Favorites"_s, FavoritesToText());
        ini.writeBool(kFilters, u"Ordered"_s, Ordered);
        ini.writeBool(kFilters, u"ShowGroupName"_s, ShowGroupName);
        ini.writeBool(kFilters, u"ShowMethodFlags"_s, ShowMethodFlags);
        const QString section = CaptionsSection();
        ini.eraseSection(section);
        for (const TStatMethod &m : m_methods) {
            if (allTitles)
                ini.writeString(section, m.MethodCode(), m.MethodDisplayTitle());
            else if (!m.Caption.isEmpty())
                ini.writeString(section, m.MethodCode(), m.Caption);
        }
        ini.updateFile();
        return true;
    } catch (const Exception &e) {
        ShowErrorBox(Format(u"Ошибка сохранения списка фильтров!\r\r%s", {e.message()}));
    } catch (const std::exception &e) {
        ShowErrorBox(Format(u"Ошибка сохранения списка фильтров!\r\r%s", {QString::fromLocal8Bit(e.what())}));
    }
    return false;
}
