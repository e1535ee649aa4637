#include "lottery/stats/StatMethod.h"

#include "lottery/stats/CustomStat.h"

using namespace Qt::StringLiterals;

QString TStatMethod::MethodDisplayTitle() const
{
    return Caption.isEmpty() ? MethodTitle() : Caption;
}

QString TStatMethod::MethodFullTitle() const
{
    QString title = MethodDisplayTitle();
    if (StatClass->Group == sgShr) {
        const qsizetype at = title.indexOf(u"%s");
        if (at >= 0)
            title.replace(at, 2, Extra);
    }
    return title;
}

std::unique_ptr<TCustomStat> TStatMethod::CreateStat(const TStatList &list) const
{
    if (!StatClass || !StatClass->Factory)
        return nullptr;
    return StatClass->Factory(*StatClass, list, Param);
}
