#pragma once

#include "lottery/stats/StatClass.h"

#include <QString>
#include <memory>

class TCustomStat;
class TStatList;

// One entry of the registry: a statistic class with one value of its parameter.
struct TStatMethod {
    const TStatClass *StatClass = nullptr;
    int Param = 0;
    bool Favorite = true;
    QString Caption; // the user's caption (favourites file); replaces the title when not empty
    QString Extra;   // the shredding formula of the method, taken when the registry was rebuilt

    QString MethodCode() const { return StatClass->CodeFor(Param); }
    QString MethodTitle() const { return StatClass->TitleFor(Param); }
    // The caption when there is one, else the title.
    QString MethodDisplayTitle() const;
    // The title the user reads wherever the method is named: the display title, in which a shredding
    // method puts its formula where "%s" stands (taken literally, so a caption with a stray "%" shows as
    // typed). Stored files keep the code or the display title, never this.
    QString MethodFullTitle() const { return FullTitleOf(MethodDisplayTitle()); }
    // The same for a name of the method (its title, or a caption being edited).
    QString FullTitleOf(const QString &name) const;
    // The reverse for a name the user edited from the full title: the formula, where it still stands,
    // goes back to "%s", so that the name follows later changes of the formula.
    QString NameOfFullTitle(const QString &fullTitle) const;
    QString MethodHelpURL() const { return StatClass->HelpURL(Param); }
    bool MethodHasTextValue() const { return StatClass->HasTextValue(); }
    // A new statistic of this method; the caller owns it.
    std::unique_ptr<TCustomStat> CreateStat(const TStatList &list) const;
};
