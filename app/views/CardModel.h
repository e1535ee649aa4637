#pragma once

#include "lottery/DrawTypes.h"
#include "lottery/NumberGeometry.h"

#include <QRect>
#include <QString>
#include <bitset>
#include <cstdint>
#include <vector>

// The draws card: one row per draw, newest first, one column per number 1..45 in which the drawn
// numbers stand, then the two supplementary numbers. Row 0 and column 0 are the headings (column 0
// holds the draw numbers). The texts are computed from a compact copy of the draws, never stored.
class TCardModel {
public:
    static constexpr int kColCount = 48;
    static constexpr int kFirstExtraCol = 46;

    // Takes the draws (oldest first) and notes the archive revision they came from.
    void build(const TDrawsArray &draws, uint64_t revision);
    // True when the card must be built again: another archive revision or another draw count.
    bool stale(int drawCount, uint64_t revision) const;

    int drawCount() const { return static_cast<int>(m_rows.size()); }
    // One header row plus one row per draw; an empty archive still shows one empty row.
    int rowCount() const { return 1 + std::max(drawCount(), 1); }

    QString cell(int col, int row) const;
    // The cell of number col (1..45) holds text in that row.
    bool hasNumber(int col, int row) const;

    // How a data cell is coloured (selection aside).
    enum class Paint { Default, Channel, Repeat, RepeatRun, Run };
    Paint paintOf(int col, int row, bool colorCard, bool colorSequences) const;
    // The colour of a kind for the column; isSystemWindow for the default colours.
    static TRgbColor colorOf(Paint paint, int col, int channelSize);

private:
    struct Row {
        int32_t number = 0;
        std::bitset<kMaxNumber + 1> numbers;
        std::array<uint8_t, kExtraCount> extra{};
    };
    const Row *rowAt(int row) const;

    std::vector<Row> m_rows; // newest first: m_rows[row - 1]
    uint64_t m_revision = 0;
    bool m_built = false;
};

// The card filters work only on the number columns: a selection from column 1 to column 45, in the
// draw rows of a card that has draws.
bool CardSelectionFilterable(const QRect &cells, int drawCount);
