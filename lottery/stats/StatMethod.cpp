#include "lottery/stats/StatMethod.h"

#include "lottery/stats/CustomStat.h"

using namespace Qt::StringLiterals;

QString TStatMethod::MethodDisplayTitle() const
{
    return Caption.isEmpty() ? MethodTitle() : Caption;
}

QString TStatMethod::FullTitleOf(const QString &name) const
{
    QString title = name;
    if (StatClass->Group == sgShr) {
        const qsizetype at = title.indexOf(u"%s");
        if (at >= 0)
            title.replace(at, 2, Extra);
    }
    return title;
}

QString TStatMethod::NameOfFullTitle(const QString &fullTitle) const
{
    QString name = fullTitle;
    if (StatClass->Group == sgShr && !Extra.isEmpty() && !name.contains(u"%s")) {
        const qsizetype at = name.lastIndexOf(Extra);
        if (at >= 0)
            name.replace(at, Extra.size(), u"%s"_s);
    }
    return name;
}

std::unique_ptr<TCustomStat> TStatMethod::CreateStat(const TStatList &list) const
{
    if (!StatClass || !StatClass->Factory)
        return nullptr;
    return StatClass->Factory(*StatClass, list, Param);
}
