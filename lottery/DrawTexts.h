#pragma once

#include "lottery/DrawTypes.h"
#include "lottery/NumberGeometry.h"

#include <QString>
#include <QStringView>

// ---- Conversions ----
TComb DrawToComb(const TDrawRec &draw);
TNumSet CombToNumSet(const TComb &comb);

// ---- Texts of numbers ----
// "5;12;18;30;33;41"
QString CombToText(const TComb &comb);
// "05 12 18 30 33 41"
QString CombToPaddedText(const TComb &comb);
// The numbers of the set joined by the separator ("" for an empty set).
QString NumSetToText(const TNumSet &set, QStringView separator);
QString IntListToText(const TIntArray &list, QStringView separator);
// "Тираж № 1024 от 5 Jan 2015, значения: 5;12;18;30;33;41 e:7;22"
QString FormatDrawText(const TDrawRec &draw);

// A combination typed or read as text: six numbers separated by any of tab, blank , - . : ; and |.
// Anything but six different numbers 1..45 raises Exception "Некорректная комбинация: "<text>"!".
// The numbers keep the order of the text.
TComb TextToComb(QStringView text);

// The most values the range form of ParseIntList gives; a longer range gives an empty list.
inline constexpr int64_t kMaxIntListRange = 100000;

// A list of integers: one number, numbers separated by "," or ";", or the range "start-end;step"
// (or "start-end,step"): start, start + step, ... up to end. The start may be negative ("-5-5;5"),
// the step too ("10-1;-3"). Anything that is neither form, a zero step, a range running away from
// its end or one of more than kMaxIntListRange values gives an empty list.
TIntArray ParseIntList(QStringView text);
// True for a range that ParseIntList refuses only because it has more than kMaxIntListRange values.
bool IsIntListRangeTooLong(QStringView text);

// The caption of a stake kind: 1 "Вручную", 2 "Регуляр", 3 "Сценарий", 4 "Система"; "" otherwise.
QString StakeKindCaption(int kind);

// The difference between an expected value given as text and the fact: "-" when the text holds no
// integer above -1, "+d" for a positive difference, the plain integer otherwise ("0", "-3").
QString DeltaText(QStringView expected, int fact);

// ---- Segments ----
// The 45 segment numbers in decimal, joined without separator.
QString SegmentsToText(const TSegmentsArray &segments);
// Element n is the digit at position n of the text (0 is a digit too), 1 when the text is shorter
// or the character is not a digit.
TSegmentsArray TextToSegments(QStringView text);

// ---- Sorting (ascending numbers; the count of a set is held to 0..8) ----
void SortComb(TComb &comb);
void SortDrawNumbers(TDrawRec &draw);
void SortNumSet(TNumSet &set);
void SortIntsDesc(TIntArray &list);

// Why a draw cannot go into the archive (empty when it can): a number not above 0, or numbers that are
// not eight different numbers 1..45 (six main, then two supplementary ones). Every way a new draw comes
// in (typed, downloaded) is checked by this one rule.
QString DrawRecordProblem(const TDrawRec &draw);
// Why a record is no draw at all (empty when it is one): a number not above 0, main numbers that are not
// six different numbers 1..45, supplementary numbers outside 1..45. Earlier versions let in draws whose
// supplementary numbers repeat other numbers of the draw, or are not known (both 0): such a record is
// a draw the archive keeps, although no new draw may be so (DrawRecordProblem).
QString StoredDrawProblem(const TDrawRec &draw);
