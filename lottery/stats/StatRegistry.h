#pragma once

#include "lottery/stats/StatClass.h"

#include <QStringView>
#include <array>
#include <vector>

// Every statistic class of the program in registry order. A class whose family is not built yet has no
// factory: it is not available and the registry does not list it.
inline constexpr int kStatClassCount = 143;
const std::array<TStatClass, kStatClassCount> &StatClasses();

// The class of the given name ("TstValues"); nullptr when there is none.
const TStatClass *FindStatClass(QStringView className);

// One method of the registry: a class and a value of its parameter (0 for a class without one).
struct TStatClassParam {
    const TStatClass *StatClass;
    int Param;
};
enum class TExpandMode {
    Available, // the classes that can compute now
    Listable,  // every class that is ever listed, built or not
};
// The classes in registry order, each once per value of its parameter range under the given settings.
std::vector<TStatClassParam> ExpandStatClasses(const TConfigData &config, TExpandMode mode);
