#pragma once

#include "common/DateTime.h"

#include <QString>
#include <cstdint>

// One system of the systems catalogue: a list of 6-number lines written in positions 1..nums, to
// be played on a player's own nums numbers. An id below 1 marks the placeholder shown when the
// catalogue gives no list. Times are UTC, as the catalogue keeps them (0: none).
struct tSystemInfo {
    int32_t id = 0;
    uint8_t nums = 0;
    uint8_t olap = 0;
    int32_t csize = 0;
    QString title;
    QString author;
    QString cl_mail;
    QString descr;
    TDateTime created = 0;
    int32_t downloads = 0;
    TDateTime last_download = 0;
    QString url;

    bool isPlaceholder() const { return id < 1; }
    bool operator==(const tSystemInfo &o) const = default;
};

// A system with its lines (CR LF separated), as it is published and edited.
struct tSystemData : tSystemInfo {
    QString clist;

    bool operator==(const tSystemData &o) const = default;
};

// The length of every system line.
inline constexpr int kSystemCombLength = 6;
// The largest count of numbers a system is written for.
inline constexpr int kSystemMaxNums = 45;
