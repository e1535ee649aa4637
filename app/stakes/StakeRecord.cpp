#include "app/stakes/StakeRecord.h"

#include "common/Cp1251.h"
#include "common/Format.h"
#include "lottery/Combinatorics.h"
#include "lottery/NumberGeometry.h"

#include <algorithm>
#include <cstring>

#include <QList>

namespace {

// Field offsets of the record.
constexpr int kOffVersion = 0;
constexpr int kOffKind = 1;
constexpr int kOffDraw = 4;
constexpr int kOffChecked = 8;
constexpr int kOffSample = 12;
constexpr int kOffNumbers = 16;
constexpr int kOffDrawNumbers = 28;
constexpr int kOffMatches = 36;
constexpr int kOffProfit = 48;
constexpr int kOffComment = 56;
static_assert(kOffComment + 1 + kStakeCommentMax == kStakeRecSize, "the comment ends the record");

void PutU32(char *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutU64(char *p, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint32_t GetU32(const char *p)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(static_cast<uint8_t>(p[i])) << (8 * i);
    return v;
}

uint64_t GetU64(const char *p)
{
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v |= uint64_t(static_cast<uint8_t>(p[i])) << (8 * i);
    return v;
}

void PutNumSet(char *p, const TNumSet &set)
{
    PutU32(p, static_cast<uint32_t>(set.count));
    std::memcpy(p + 4, set.numbers.data(), set.numbers.size());
}

TNumSet GetNumSet(const char *p)
{
    TNumSet set;
    set.count = static_cast<int32_t>(GetU32(p));
    std::memcpy(set.numbers.data(), p + 4, set.numbers.size());
    return set;
}

} // namespace

QString TStakeRec::comment() const
{
    return Cp1251::decode(commentBytes.data(), commentLen);
}

void TStakeRec::setComment(const QString &text)
{
    const QByteArray bytes = Cp1251::encode(text).left(kStakeCommentMax);
    commentBytes.fill(0);
    std::memcpy(commentBytes.data(), bytes.constData(), static_cast<size_t>(bytes.size()));
    commentLen = static_cast<uint8_t>(bytes.size());
}

void WriteStakeRecord(const TStakeRec &rec, char *bytes)
{
    std::memset(bytes, 0, kStakeRecSize);
    bytes[kOffVersion] = static_cast<char>(rec.version);
    bytes[kOffKind] = static_cast<char>(rec.kind);
    PutU32(bytes + kOffDraw, static_cast<uint32_t>(rec.drawNumber));
    bytes[kOffChecked] = static_cast<char>(rec.checked);
    PutU32(bytes + kOffSample, static_cast<uint32_t>(rec.sampleSize));
    PutNumSet(bytes + kOffNumbers, rec.numbers);
    std::memcpy(bytes + kOffDrawNumbers, rec.drawNumbers.data(), rec.drawNumbers.size());
    PutNumSet(bytes + kOffMatches, rec.matches);
    PutU64(bytes + kOffProfit, static_cast<uint64_t>(rec.profit));
    bytes[kOffComment] = static_cast<char>(rec.commentLen);
    std::memcpy(bytes + kOffComment + 1, rec.commentBytes.data(), rec.commentLen);
}

TStakeBytes StakeToBytes(const TStakeRec &rec)
{
    TStakeBytes out{};
    WriteStakeRecord(rec, reinterpret_cast<char *>(out.data()));
    return out;
}

TStakeRec ReadStakeRecord(const char *bytes)
{
    TStakeRec rec;
    rec.version = static_cast<uint8_t>(bytes[kOffVersion]);
    rec.kind = static_cast<uint8_t>(bytes[kOffKind]);
    rec.drawNumber = static_cast<int32_t>(GetU32(bytes + kOffDraw));
    rec.checked = static_cast<uint8_t>(bytes[kOffChecked]);
    rec.sampleSize = static_cast<int32_t>(GetU32(bytes + kOffSample));
    rec.numbers = GetNumSet(bytes + kOffNumbers);
    std::memcpy(rec.drawNumbers.data(), bytes + kOffDrawNumbers, rec.drawNumbers.size());
    rec.matches = GetNumSet(bytes + kOffMatches);
    rec.profit = static_cast<TCurrency>(GetU64(bytes + kOffProfit));
    rec.commentLen = static_cast<uint8_t>(bytes[kOffComment]);
    // The bytes after the comment's length are zero in a sound record; keep them so, whatever the
    // file holds, so that equal texts compare equal.
    std::memcpy(rec.commentBytes.data(), bytes + kOffComment + 1, rec.commentLen);
    return rec;
}

TStakeRec StakeFromBytes(const TStakeBytes &bytes)
{
    return ReadStakeRecord(reinterpret_cast<const char *>(bytes.data()));
}

TStakeRec EmptyStakeRecord()
{
    TStakeRec rec;
    rec.kind = STAKE_SEPARATOR;
    rec.drawNumber = -1;
    rec.matches.count = -1;
    return rec;
}

namespace {

// The count numbers are numbers of the game, all different.
bool DifferentGameNumbers(const uint8_t *numbers, int count)
{
    bool seen[kMaxNumber + 1] = {};
    for (int i = 0; i < count; ++i) {
        const int n = numbers[i];
        if (n < 1 || n > kMaxNumber || seen[n])
            return false;
        seen[n] = true;
    }
    return true;
}

// The largest amount, either way, that a stake of n numbers can carry: its cost, cost x C(n, 6), and once
// checked a prize besides; no cost nor prize of the settings passes kMaxSettingsAmount.
TCurrency StakeMoneyBound(int n, bool checked)
{
    return kMaxSettingsAmount * (CombinationCount(n, kMainCount) + (checked ? 1 : 0));
}

} // namespace

bool ValidStakeNumbers(const TNumSet &set)
{
    return set.count >= kMainCount && set.count <= static_cast<int>(set.numbers.size()) &&
           DifferentGameNumbers(set.numbers.data(), set.count);
}

QString StakeRecordProblem(const TStakeRec &rec)
{
    if (rec.version != kStakeVersion)
        return Format(u"версия записи %d", {int(rec.version)});
    if (rec.kind > STAKE_SYSTEM)
        return Format(u"вид ставки %d", {int(rec.kind)});
    if (rec.checked > 1)
        return Format(u"признак проверки %d", {int(rec.checked)});
    if (rec.kind == STAKE_SEPARATOR)
        return rec.drawNumber == -1 && rec.numbers.count == 0 && !rec.checked && rec.matches.count == -1
                   ? QString()
                   : Format(u"пустая строка-разделитель с данными ставки (тираж № %d)", {rec.drawNumber});
    if (rec.drawNumber < 1)
        return Format(u"номер тиража %d", {rec.drawNumber});
    if (!ValidStakeNumbers(rec.numbers))
        return Format(u"числа ставки на тираж № %d", {rec.drawNumber});
    // The number of combinations the stake was made from: never below 0. A list read from a file may
    // repeat combinations, so nothing bounds it below the field's own limit.
    if (rec.sampleSize < 0)
        return Format(u"выборка %d в ставке на тираж № %d", {rec.sampleSize, rec.drawNumber});
    const bool drawEmpty = std::all_of(rec.drawNumbers.begin(), rec.drawNumbers.end(), [](uint8_t n) { return n == 0; });
    if (rec.checked ? rec.matches.count < 0 : rec.matches.count != -1 || !drawEmpty)
        return Format(u"результат проверки ставки на тираж № %d", {rec.drawNumber});
    if (rec.checked) {
        // A draw of the archive: six different numbers 1..45.
        if (!DifferentGameNumbers(rec.drawNumbers.data(), kMainCount))
            return Format(u"результаты тиража в ставке на тираж № %d", {rec.drawNumber});
        // The matches are what the check finds for these numbers in this draw: at most six, each a
        // number of both, ascending.
        TDrawRec draw;
        draw.main = rec.drawNumbers;
        const TNumSet hits = DrawNumSetHits(draw, rec.numbers);
        if (rec.matches.count != hits.count ||
            !std::equal(hits.numbers.begin(), hits.numbers.begin() + hits.count, rec.matches.numbers.begin()))
            return Format(u"совпадения ставки на тираж № %d", {rec.drawNumber});
    }
    const TCurrency bound = StakeMoneyBound(rec.numbers.count, rec.checked != 0);
    if (rec.profit < -bound || rec.profit > bound)
        return Format(u"профит %s в ставке на тираж № %d", {MoneyText(rec.profit), rec.drawNumber});
    return {};
}

TCurrency StakeProfit(const TConfigData &config, int n, int matches)
{
    TCurrency profit = -(config.cost * CombinationCount(n, kMainCount));
    if (matches >= 0) {
        const auto it = std::find_if(config.profits.begin(), config.profits.end(),
                                     [matches](const TProfitDrawRec &p) { return p.matches == matches; });
        if (it != config.profits.end())
            profit += it->prize;
    }
    return profit;
}

QString MoneyText(TCurrency amount)
{
    const bool negative = amount < 0;
    // Work on the magnitude as unsigned, so the smallest int64 does not overflow.
    uint64_t units = negative ? uint64_t(0) - static_cast<uint64_t>(amount) : static_cast<uint64_t>(amount);
    uint64_t cents = units / 100 + (units % 100 >= 50 ? 1 : 0);
    const uint64_t whole = cents / 100;
    const uint64_t frac = cents % 100;
    QString text = QString::number(whole) + u'.' + (frac < 10 ? u"0" : u"") + QString::number(frac);
    if (negative && cents != 0)
        text.prepend(u'-');
    return text;
}

namespace {

QList<QStringView> StakeWords(QStringView text)
{
    QList<QStringView> words;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == u',' || text[i] == u';') {
            words.append(text.mid(start, i - start).trimmed());
            start = i + 1;
        }
    return words;
}

} // namespace

bool ParseStakeNumbers(QStringView text, TNumSet &set)
{
    const QList<QStringView> words = StakeWords(text);
    if (words.size() != kMainCount)
        return false;
    TNumSet parsed;
    for (QStringView w : words) {
        bool ok = false;
        const int n = w.toInt(&ok);
        if (!ok || n < 1 || n > kMaxNumber)
            return false;
        parsed.numbers[static_cast<size_t>(parsed.count++)] = static_cast<uint8_t>(n);
    }
    std::sort(parsed.numbers.begin(), parsed.numbers.begin() + parsed.count);
    if (std::adjacent_find(parsed.numbers.begin(), parsed.numbers.begin() + parsed.count)
        != parsed.numbers.begin() + parsed.count)
        return false;
    set = parsed;
    return true;
}

int StakeTextSum(QStringView text)
{
    int64_t sum = 0;
    for (QStringView w : StakeWords(text)) {
        bool ok = false;
        const int n = w.toInt(&ok);
        if (ok && n > 0)
            sum = std::min<int64_t>(sum + n, INT32_MAX);
    }
    return static_cast<int>(sum);
}
