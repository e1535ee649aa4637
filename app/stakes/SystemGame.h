#pragma once

#include "lottery/DrawTypes.h"
#include "online/SystemsFolder.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class TStakesFile;

// The combinations a system game stakes: every system line with its numbers sorted, in the order of
// the system. A filtered game keeps only the lines whose six numbers make a combination of the list
// (in whatever order the list holds them); the list is looked up through a hash of the system's
// lines, so a list of every combination takes one pass.
TCombsArray SystemGameCombs(const TSystemCombs &system, const TComb *list, int64_t listCount, bool filtered);

// "Системная игра для %d чисел [вся система]: %s" or "... [комбинации]: %s" with the system file's
// name without folder and extension.
QString SystemGameComment(int nums, const QString &systemPath, bool filtered);

// What the system game takes from the main window.
struct TSystemGameContext {
    TStakesFile *stakes = nullptr;
    // The combinations list (its first listCount entries): the player's numbers are the numbers it
    // covers.
    const TCombsArray *list = nullptr;
    int64_t listCount = 0;
    // The number of the draw the stakes are for (the draw after the one the draws offset shows).
    int nextDrawNumber = 1;
    // The profit of an unchecked stake of one combination: minus its cost.
    TCurrency profit = 0;
    // The downloaded system for the numbers; by default FindSystemForNumbers.
    std::function<TSystemExpansion(const std::vector<uint8_t> &numbers)> findSystem;
    // The multi-stake dialog: first draw, number of draws, comment; false on Cancel.
    std::function<bool(int &drawNumber, int &draws, QString &comment)> multiDialog;
    // Checks the stakes (after at least one was added).
    std::function<void()> checkStakes;
};

struct TSystemGameResult {
    int added = 0;          // stakes placed (each for its number of draws)
    bool played = false;    // the game ran (a system was found and the dialog accepted)
    bool failed = false;    // an addition failed (the stakes added before it stay)
};

// The system game: the list's numbers, the system for that many numbers expanded over them, the
// dialog, then one stake of kind 4 for each system combination (only those of the list in the
// filtered game). The failures are reported in error boxes.
TSystemGameResult StakeSystem(TSystemGameContext &context, bool filtered);
