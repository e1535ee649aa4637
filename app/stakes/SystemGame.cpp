#include "app/stakes/SystemGame.h"

#include "common/BitCount.h"
#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/Translate.h"
#include "lottery/NumberGeometry.h"
#include "app/stakes/StakeRecord.h"
#include "app/stakes/StakesFile.h"

#include <QFileInfo>
#include <algorithm>
#include <bit>

using namespace Qt::StringLiterals;

namespace {

// The set of numbers of a combination as bits 1..45; 0 for anything but six different numbers.
inline uint64_t combMask(const uint8_t *n)
{
    uint64_t mask = 0;
    for (int k = 0; k < kMainCount; ++k) {
        const unsigned v = n[k];
        if (v < 1 || v > kMaxNumber)
            return 0;
        mask |= uint64_t{1} << v;
    }
    return BitCount(mask) == kMainCount ? mask : 0;
}

// A small open-addressing table of the system's masks with a found flag each; made once, looked up
// without allocating.
class TMaskTable {
public:
    explicit TMaskTable(const std::vector<uint64_t> &masks)
    {
        size_t size = 16;
        while (size < masks.size() * 2)
            size *= 2;
        m_keys.assign(size, 0);
        m_found.assign(size, 0);
        m_shift = 64 - std::countr_zero(size);
        for (uint64_t mask : masks) {
            if (!mask)
                continue;
            size_t i = slot(mask);
            while (m_keys[i] != 0 && m_keys[i] != mask)
                i = (i + 1) & (size - 1);
            if (m_keys[i] == 0) {
                m_keys[i] = mask;
                ++m_remaining;
            }
        }
    }

    // Marks the mask as found; false once every mask is found.
    bool mark(uint64_t mask)
    {
        size_t i = slot(mask);
        while (m_keys[i] != 0) {
            if (m_keys[i] == mask) {
                if (!m_found[i]) {
                    m_found[i] = 1;
                    --m_remaining;
                }
                break;
            }
            i = (i + 1) & (m_keys.size() - 1);
        }
        return m_remaining > 0;
    }

    bool found(uint64_t mask) const
    {
        size_t i = slot(mask);
        while (m_keys[i] != 0) {
            if (m_keys[i] == mask)
                return m_found[i] != 0;
            i = (i + 1) & (m_keys.size() - 1);
        }
        return false;
    }

    bool empty() const { return m_remaining == 0; }

private:
    size_t slot(uint64_t mask) const
    {
        return static_cast<size_t>((mask * 0x9E3779B97F4A7C15ull) >> m_shift);
    }

    std::vector<uint64_t> m_keys;
    std::vector<uint8_t> m_found;
    int m_shift = 60;
    size_t m_remaining = 0;
};

struct StatusClear {
    ~StatusClear() { SetStatusText({}); }
};

} // namespace

TCombsArray SystemGameCombs(const TSystemCombs &system, const TComb *list, int64_t listCount, bool filtered)
{
    TCombsArray sorted;
    sorted.reserve(system.size());
    for (const TSystemComb &line : system) {
        TComb comb;
        std::copy(line.begin(), line.end(), comb.n.begin());
        std::sort(comb.n.begin(), comb.n.end());
        sorted.push_back(comb);
    }
    if (!filtered)
        return sorted;

    std::vector<uint64_t> masks;
    masks.reserve(sorted.size());
    for (const TComb &comb : sorted)
        masks.push_back(combMask(comb.n.data()));
    TMaskTable table(masks);
    if (!table.empty() && list)
        for (int64_t i = 0; i < listCount; ++i) {
            const uint64_t mask = combMask(list[i].n.data());
            if (mask && !table.mark(mask))
                break; // every system line is found
        }
    TCombsArray kept;
    for (size_t i = 0; i < sorted.size(); ++i)
        if (masks[i] && table.found(masks[i]))
            kept.push_back(sorted[i]);
    return kept;
}

QString SystemGameComment(int nums, const QString &systemPath, bool filtered)
{
    const QString name = QFileInfo(systemPath).completeBaseName();
    return filtered ? Format(u"Системная игра для %d чисел [комбинации]: %s", {nums, name})
                    : Format(u"Системная игра для %d чисел [вся система]: %s", {nums, name});
}

TSystemGameResult StakeSystem(TSystemGameContext &context, bool filtered)
{
    TSystemGameResult result;
    if (!context.stakes || !context.stakes->isOpen() || !context.list || context.listCount <= 0)
        return result;
    const int64_t listCount = std::min<int64_t>(context.listCount, static_cast<int64_t>(context.list->size()));

    std::vector<uint8_t> numbers;
    TSystemExpansion system;
    {
        BusySection busy;
        StatusClear clear;
        SetStatusText(Tr(u"Подождите пожалуйста..."));
        numbers = CoveredNumbers(*context.list, listCount);
        system = context.findSystem ? context.findSystem(numbers) : FindSystemForNumbers(numbers);
    }
    const int n = static_cast<int>(numbers.size());
    if (!system.ok()) {
        ShowErrorBox(system.error == SystemNotFoundText(n) ? SystemNotFoundBoxText(n) : system.error);
        return result;
    }
    if (system.badLines > 0)
        ShowWarningBox(Format(u"В файле системы \"%s\" пропущены строки, которые не являются строками системы "
                              u"для %d чисел: %d.",
                              {system.path, n, system.badLines}));

    int drawNumber = context.nextDrawNumber;
    int draws = 1;
    QString comment = SystemGameComment(n, system.path, filtered);
    if (!context.multiDialog || !context.multiDialog(drawNumber, draws, comment))
        return result;
    result.played = true;

    {
        BusySection busy;
        StatusClear clear;
        SetStatusText(Tr(u"Создание ставок..."));
        TStakesFile &stakes = *context.stakes;
        const TCombsArray combs = SystemGameCombs(system.combs, context.list->data(), listCount, filtered);
        // The game's stakes begin after a separator row.
        try {
            if (stakes.count() > 0 && stakes.readRecord(TStakeOrigin::End, -1).isStake() &&
                !stakes.appendStake(EmptyStakeRecord()))
                result.failed = true;
        } catch (const Exception &e) {
            ShowErrorBox(Format(u"Ошибка чтения записи из файла ставок!\r\r%s", {e.message()}));
            result.failed = true;
        }
        const int32_t sample = static_cast<int32_t>(
            std::min<int64_t>(filtered ? listCount : static_cast<int64_t>(system.combs.size()), INT32_MAX));
        for (size_t i = 0; i < combs.size() && !result.failed; ++i) {
            TStakeRec rec;
            rec.version = kStakeVersion;
            rec.kind = STAKE_SYSTEM;
            rec.drawNumber = drawNumber;
            rec.setComment(comment);
            rec.checked = 0;
            rec.sampleSize = sample;
            rec.numbers.count = kMainCount;
            std::copy(combs[i].n.begin(), combs[i].n.end(), rec.numbers.numbers.begin());
            rec.matches.count = -1;
            // Until it is checked a stake shows what it cost, as every other stake does.
            rec.profit = context.profit;
            if (stakes.appendStakeForDraws(rec, draws))
                ++result.added;
            else
                result.failed = true;
        }
    }
    if (result.added > 0 && !result.failed && context.checkStakes)
        context.checkStakes();
    return result;
}
