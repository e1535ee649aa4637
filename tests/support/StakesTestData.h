#pragma once

#include "lottery/DrawTypes.h"
#include "app/stakes/StakeRecord.h"

#include <QByteArray>
#include <vector>

// The bytes of a stakes file holding the records.
inline QByteArray StakesFileBytes(const std::vector<TStakeRec> &records)
{
    QByteArray bytes;
    for (const TStakeRec &r : records) {
        const TStakeBytes b = StakeToBytes(r);
        bytes.append(reinterpret_cast<const char *>(b.data()), kStakeRecSize);
    }
    return bytes;
}

// Draws 100, 102, ... (the game numbers its draws in steps of two); draw i holds i+1..i+6.
inline TDrawsArray DrawsInStepsOfTwo(int count)
{
    TDrawsArray draws;
    for (int i = 0; i < count; ++i) {
        TDrawRec d;
        d.number = 100 + 2 * i;
        for (int k = 0; k < kMainCount; ++k)
            d.main[static_cast<size_t>(k)] = static_cast<uint8_t>(i + 1 + k);
        draws.push_back(d);
    }
    return draws;
}
