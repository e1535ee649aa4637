#include "lottery/stats/StatList.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "common/IniFile.h"
#include "common/ProgramFiles.h"
#include "lottery/Combinatorics.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatRegistry.h"

using namespace Qt::StringLiterals;

TStatList::TStatList() : Config(DefaultStatConfig()), WeightsBackup(Config.weights), Shredding(DefaultShredding())
{
}

void TStatList::RebuildMethods(TExpandMode mode)
{
    Ordered = false;
    ShowGroupName = true;
    ShowMethodFlags = true;
    AllFavorites = true;
    m_methods.clear();
    m_byCode.clear();
    for (const TStatClassParam &cp : ExpandStatClasses(Config, mode)) {
        TStatMethod m;
        m.StatClass = cp.StatClass;
        m.Param = cp.Param;
        if (cp.StatClass->Group == sgShr && cp.Param >= 1 && cp.Param <= 3)
            m.Extra = Shredding.Formulas[size_t(cp.Param - 1)];
        m_methods.push_back(std::move(m));
    }
    for (int i = 0; i < MethodCount(); ++i) {
        const QString code = m_methods[size_t(i)].MethodCode().toUpper();
        if (!m_byCode.contains(code))
            m_byCode.insert(code, i);
    }
}

std::unique_ptr<TCustomStat> TStatList::CreateMethodStat(int i) const
{
    return GetMethod(i).CreateStat(*this);
}

QString TStatList::MethodCaption(int i, bool withFlags) const
{
    const TStatMethod &m = GetMethod(i);
    QString caption = m.MethodFullTitle();
    if (ShowGroupName)
        caption = Format(u"{ %1:s } %0:s", {caption, GroupCode(m.StatClass->Group)});
    if (withFlags && ShowMethodFlags) {
        const QString letters = KindLetters(m.StatClass->Flags());
        if (!letters.isEmpty())
            caption = Format(u"%0:s [ %1:s ]", {caption, letters});
    }
    return caption;
}

int TStatList::FindMethod(QStringView code) const
{
    return m_byCode.value(code.trimmed().toString().toUpper(), -1);
}

int TStatList::FindMethodForText(QStringView text) const
{
    const qsizetype colon = text.indexOf(u':');
    const int exact = FindMethod(colon >= 0 ? text.left(colon) : text);
    if (exact >= 0)
        return exact;
    for (int i = 0; i < MethodCount(); ++i)
        if (text.startsWith(GetMethod(i).MethodCode(), Qt::CaseInsensitive))
            return i;
    return -1;
}

void TStatList::ApplyWeights(const TWeightCoefs *own)
{
    if (own)
        Config.weights = *own;
    else
        RestoreWeights();
}

TCurrency TStatList::SystemProfit(int n, int matches) const
{
    TCurrency profit = -(Config.cost * CombinationCount(n, kMainCount));
    if (matches >= 0)
        for (const TProfitDrawRec &p : Config.profits)
            if (p.matches == matches) {
                profit += p.prize;
                break;
            }
    return profit;
}

void TStatList::LoadStatSettings()
{
    Config = ReadStatConfig(IniFile(GetIniFileName()));
}

void TStatList::SaveStatSettings() const
{
    IniFile ini(GetIniFileName());
    WriteStatConfig(ini, Config);
    ini.updateFile();
}

void TStatList::LoadGenerateSettings()
{
    const TGenerateSettings s = ReadGenerateSettings(IniFile(GetIniFileName()));
    CombsGenerateMode = s.Mode;
    CombsGenerateParameters = s.Parameters;
}

void TStatList::SaveGenerateSettings() const
{
    IniFile ini(GetIniFileName());
    WriteGenerateSettings(ini, TGenerateSettings{CombsGenerateMode, CombsGenerateParameters});
    ini.updateFile();
}

void TStatList::LoadShreddingFormulas()
{
    Shredding = ReadShredding(IniFile(GetIniFileName()));
}

void TStatList::SaveShreddingFormulas() const
{
    IniFile ini(GetIniFileName());
    WriteShredding(ini, Shredding);
    ini.updateFile();
}

TStatList &StatList()
{
    static TStatList list;
    return list;
}

std::unique_ptr<TCustomStat> CreateStatForMethod(const TStatList &list, const TStatMethod *method,
                                                 const QString &listName)
{
    if (!method)
        throw Exception(Format(u"Не выбран метод расчета статистики (cb: %s)!", {listName}));
    return method->CreateStat(list);
}
