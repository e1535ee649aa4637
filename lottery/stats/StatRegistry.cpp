#include "lottery/stats/StatRegistry.h"

#include "common/Format.h"
#include "lottery/stats/NumberStats.h"
#include "lottery/stats/ChannelStats.h"
#include "lottery/stats/MatrixStats.h"
#include "lottery/stats/SegmentStats.h"
#include "lottery/stats/SubCombStats.h"
#include "lottery/stats/SeriesStats.h"
#include "lottery/stats/PeriodStats.h"
#include "lottery/stats/RepeatStats.h"
#include "lottery/stats/CharacteristicStats.h"
#include "lottery/stats/TransitionStats.h"
#include "lottery/stats/ShreddingStats.h"
#include "lottery/stats/SumStats.h"
#include "lottery/stats/DifferenceStats.h"
#include "lottery/stats/SequenceStats.h"

namespace {

// The sum ranges number their title with the range and the share of draws it holds.
QString SumRangeTitle(int param)
{
    static constexpr int kShares[3][2] = {{1, 3}, {1, 2}, {2, 3}};
    if (param < 1 || param > 3)
        return Format(u"Сумма тиража: диапазон %d (%d/%d)", {param});
    return Format(u"Сумма тиража: диапазон %d (%d/%d)", {param, kShares[param - 1][0], kShares[param - 1][1]});
}

// Columns: class name, code template, title, class argument, group, kinds, traits, parameter kind and
// fixed range, help code, title builder, factory. The codes are permanent: they name methods in the
// favourites, in scenario lines and in the prefetch file names.
const std::array<TStatClass, kStatClassCount> kStatClasses{{
    // 1
    {u"TstValues", u"NUMS", u"Числа тиража", {}, sgNum, skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstValues>},
    // 2
    {u"TstDigits", u"DIGS", u"Цифры тиража", {}, sgNum, skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstDigits>},
    // 3
    {u"TstEvenCount", u"EVEN", u"Количество четных чисел в тираже (Ч:Н)", {}, sgNum, skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstEvenCount>},
    // 4
    {u"TstEvenValues", u"EVNV", u"Четные и нечетные числа в тираже (Чн..нЧ)", {}, sgNum, skS | skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstEvenValues>},
    // 5
    {u"TstSmallCount", u"SMAL", u"Количество чисел из первой половины диапазона (1П:2П)", {}, sgNum, skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSmallCount>},
    // 6
    {u"TstSmallValues", u"SMLV", u"Числа из первой половины диапазона (12..12)", {}, sgNum, skS | skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSmallValues>},
    // 7
    {u"TstPrimeCount", u"PRIM", u"Количество простых чисел (П:С)", {}, sgNum, skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstPrimeCount>},
    // 8
    {u"TstPrimeValues", u"PRMV", u"Простые и составные числа (ПС..СП)", {}, sgNum, skS | skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstPrimeValues>},
    // 9
    {u"TstSumValues", u"SUMS", u"Сумма тиража: все значения", {}, sgSum, skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSumValues>},
    // 10
    {u"TstSumRanges", u"SUM%d", u"Сумма тиража: диапазон %d (%d/%d)", {}, sgSum, skN, stGraph | stNoTextValue, TParamKind::Fixed, 1, 3, nullptr, SumRangeTitle, &StatFactory<TstSumRanges>},
    // 11
    {u"TstSumChange", u"SUMC", u"Сумма тиража: изменения (точно)", {}, sgSum, skD, stGraph | stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSumChange>},
    // 12
    {u"TstSumChangeSome", u"SUMV", u"Сумма тиража: изменения (диапазон)", {}, sgSum, skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSumChangeSome>},
    // 13
    {u"TstSumTrend", u"SUMT", u"Сумма тиража: направление изменения", {}, sgSum, skD, stGraph | stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSumTrend>},
    // 14
    {u"TstSumEvenValues", u"SUME", u"Сумма тиража: только четные", {}, sgSum, skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSumEvenValues>},
    // 15
    {u"TstSumPrimeValues", u"SUMP", u"Сумма тиража: только простые", {}, sgSum, skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSumPrimeValues>},
    // 16
    {u"TstSum2To3", u"S2T3", u"Сумма двух чисел тиража равна третьему числу", {}, sgSum, skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSum2To3>},
    // 17
    {u"TstDiffTotal", u"DIFA", u"Все разности между соседними позициями", {}, sgDif, skS | skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstDiffTotal>},
    // 18
    {u"TstDiffMax", u"DIFM", u"Максимальная разность между соседними позициями", {}, sgDif, skS | skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstDiffMax>},
    // 19
    {u"TstMinMaxDiffs", u"DIFD", u"Разность между минимальным и максимальным числом", {}, sgDif, skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstMinMaxDiffs>},
    // 20
    {u"TstDiffSame", u"DIFO", u"Одинаковые разности между соседними позициями", {}, sgDif, skS | skN, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstDiffSame>},
    // 21
    {u"TstDiffSameCnt", u"DIFK", u"Количество одинаковых разностей между соседними позициями", {}, sgDif, skS | skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstDiffSameCnt>},
    // 22
    {u"TstChannels", u"CHAN", u"Каналы", {}, sgGrp, skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChannels>},
    // 23
    {u"TstChanValues", u"CHNV", u"Количество чисел в канале", {}, sgGrp, skN, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChanValues>},
    // 24
    {u"TstChanCount", u"CHNC", u"Количество каналов в тираже", {}, sgGrp, skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChanCount>},
    // 25
    {u"TstColumns", u"COLS", u"Столбцы матрицы (не пустые)", {}, sgMtx, skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstColumns>},
    // 26
    {u"TstRows", u"ROWS", u"Строки матрицы (не пустые)", {}, sgMtx, skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRows>},
    // 27
    {u"TstColValues", u"COLV", u"Количество чисел в столбце матрицы", {}, sgMtx, skN, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstColValues>},
    // 28
    {u"TstRowValues", u"ROWV", u"Количество чисел в строке матрицы", {}, sgMtx, skN, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRowValues>},
    // 29
    {u"TstColCount", u"COLN", u"Количество не пустых столбцов в матрице", {}, sgMtx, skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstColCount>},
    // 30
    {u"TstRowCount", u"ROWN", u"Количество не пустых строк в матрице", {}, sgMtx, skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRowCount>},
    // 31
    {u"TstColMask", u"COLM", u"Сочетания столбцов матрицы", {}, sgMtx, skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstColMask>},
    // 32
    {u"TstRowMask", u"ROWM", u"Сочетания строк матрицы", {}, sgMtx, skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRowMask>},
    // 33
    {u"TstColAjacent", u"COLA", u"Столбцы матрицы со смежными числами", {}, sgMtx, skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstColAjacent>},
    // 34
    {u"TstRowAjacent", u"ROWA", u"Строки матрицы со смежными числами", {}, sgMtx, skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRowAjacent>},
    // 35
    {u"TstColAjacentCnt", u"COLC", u"Количество столбцов матрицы со смежными числами", {}, sgMtx, skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstColAjacentCnt>},
    // 36
    {u"TstRowAjacentCnt", u"ROWC", u"Количество строк матрицы со смежными числами", {}, sgMtx, skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRowAjacentCnt>},
    // 37
    {u"TstSegments", u"SGMS", u"Сегменты матрицы", {}, sgSgm, skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSegments>},
    // 38
    {u"TstSegmValues", u"SGMV", u"Количество чисел в сегменте матрицы", {}, sgSgm, skN, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSegmValues>},
    // 39
    {u"TstSegmCount", u"SGMC", u"Количество не пустых сегментов в матрице", {}, sgSgm, skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSegmCount>},
    // 40
    {u"TstSequenceLen", u"SEQL", u"Длина последовательности в тираже", {}, sgSeq, skS | skN, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSequenceLen>},
    // 41
    {u"TstSequenceCnt", u"SEQS", u"Количество последовательностей в тираже", {}, sgSeq, skS | skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSequenceCnt>},
    // 42
    {u"TstSequenceLenMax", u"LENS", u"Макс. длина последовательности в тираже", {}, sgSeq, skS | skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSequenceLenMax>},
    // 43
    {u"TstRepValues2", u"RPV2", u"Повторяющиеся числа в 2-х тиражах подряд", {}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepValues2>},
    // 44
    {u"TstRepValues3", u"RPV3", u"Повторяющиеся числа в 3-х тиражах подряд", {}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepValues3>},
    // 45
    {u"TstRepValues2B3", u"PRL2", u"Повторяющиеся числа не более чем в 2-х тиражах", {}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepValues2B3>},
    // 46
    {u"TstRepValues2over1", u"PRV2O1", u"Повторяющиеся числа в 2-х тиражах через %d тираж(а)", {TClassArg::Int, 1, nullptr}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepValues2over1>},
    // 47
    {u"TstRepValues2over2", u"PRV2O2", u"Повторяющиеся числа в 2-х тиражах через %d тираж(а)", {TClassArg::Int, 2, nullptr}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepValues2over2>},
    // 48
    {u"TstRepValues2over3", u"PRV2O3", u"Повторяющиеся числа в 2-х тиражах через %d тираж(а)", {TClassArg::Int, 3, nullptr}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepValues2over3>},
    // 49
    {u"TstRepValues2P1", u"PRV+1", u"Данные предыдущего тиража %s", {TClassArg::Text, 0, u"+ 1"}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepValues2P1>},
    // 50
    {u"TstRepValues2N1", u"PRV-1", u"Данные предыдущего тиража %s", {TClassArg::Text, 0, u"- 1"}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepValues2N1>},
    // 51
    {u"TstRepValues2P2", u"PRV+2", u"Данные предыдущего тиража %s", {TClassArg::Text, 0, u"+ 2"}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepValues2P2>},
    // 52
    {u"TstRepValues2N2", u"PRV-2", u"Данные предыдущего тиража %s", {TClassArg::Text, 0, u"- 2"}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepValues2N2>},
    // 53
    {u"TstRepCount2", u"RPC2", u"Количество повторов в 2-х тиражах подряд", {}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepCount2>},
    // 54
    {u"TstRepCount3", u"RPC3", u"Количество повторов в 3-х тиражах подряд", {}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepCount3>},
    // 55
    {u"TstRepCount2B3", u"PRB2", u"Количество повторов не более чем в 2-х тиражах", {}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepCount2B3>},
    // 56
    {u"TstRepCount2over1", u"RPO1", u"Количество повторов в 2-х тиражах через %d тираж(а)", {TClassArg::Int, 1, nullptr}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepCount2over1>},
    // 57
    {u"TstRepCount2over2", u"PRC2O2", u"Количество повторов в 2-х тиражах через %d тираж(а)", {TClassArg::Int, 2, nullptr}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepCount2over2>},
    // 58
    {u"TstRepCount2over3", u"PRC2O3", u"Количество повторов в 2-х тиражах через %d тираж(а)", {TClassArg::Int, 3, nullptr}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepCount2over3>},
    // 59
    {u"TstRepCount2P1", u"PRC+1", u"Количество совпадений \"значений %s\"", {TClassArg::Text, 0, u"+ 1"}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepCount2P1>},
    // 60
    {u"TstRepCount2N1", u"PRC-1", u"Количество совпадений \"значений %s\"", {TClassArg::Text, 0, u"- 1"}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepCount2N1>},
    // 61
    {u"TstRepCount2P2", u"PRC+2", u"Количество совпадений \"значений %s\"", {TClassArg::Text, 0, u"+ 2"}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepCount2P2>},
    // 62
    {u"TstRepCount2N2", u"PRC-2", u"Количество совпадений \"значений %s\"", {TClassArg::Text, 0, u"- 2"}, sgRep, skD, 0, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstRepCount2N2>},
    // 63
    {u"TstCombValMix2", u"KNM2", u"Сочетания из %0:d чисел по всем числам тиража", {TClassArg::Int, 2, nullptr}, sgNum, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombValMix2>},
    // 64
    {u"TstCombValMix3", u"KNM3", u"Сочетания из %0:d чисел по всем числам тиража", {TClassArg::Int, 3, nullptr}, sgNum, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombValMix3>},
    // 65
    {u"TstCombValMix4", u"KNM4", u"Сочетания из %0:d чисел по всем числам тиража", {TClassArg::Int, 4, nullptr}, sgNum, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombValMix4>},
    // 66
    {u"TstCombValSeq2", u"KNS2", u"Сочетания из %0:d соседних чисел тиража", {TClassArg::Int, 2, nullptr}, sgNum, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombValSeq2>},
    // 67
    {u"TstCombValSeq3", u"KNS3", u"Сочетания из %0:d соседних чисел тиража", {TClassArg::Int, 3, nullptr}, sgNum, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombValSeq3>},
    // 68
    {u"TstCombValSeq4", u"KNS4", u"Сочетания из %0:d соседних чисел тиража", {TClassArg::Int, 4, nullptr}, sgNum, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombValSeq4>},
    // 69
    {u"TstCombValPos2", u"KNP2%d", u"Сочетания из 2-х чисел тиража начиная с %0:d позиции", {}, sgNum, skS, stNoTextValue, TParamKind::Fixed, 1, 5, u"KNP2", nullptr, &StatFactory<TstCombValPos2>},
    // 70
    {u"TstCombValPos3", u"KNP3%d", u"Сочетания из 3-х чисел тиража начиная с %0:d позиции", {}, sgNum, skS, stNoTextValue, TParamKind::Fixed, 1, 4, u"KNP3", nullptr, &StatFactory<TstCombValPos3>},
    // 71
    {u"TstCombValPos4", u"KNP4%d", u"Сочетания из 4-х чисел тиража начиная с %0:d позиции", {}, sgNum, skS, stNoTextValue, TParamKind::Fixed, 1, 3, u"KNP4", nullptr, &StatFactory<TstCombValPos4>},
    // 72
    {u"TstCombValSort2", u"KNO2", u"Сочетания из %0:d чисел тиража по возрастанию", {TClassArg::Int, 2, nullptr}, sgNum, 0, stNoTextValue | stNeverAvailable, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombValSort2>},
    // 73
    {u"TstCombValSort3", u"KNO3", u"Сочетания из %0:d чисел тиража по возрастанию", {TClassArg::Int, 3, nullptr}, sgNum, 0, stNoTextValue | stNeverAvailable, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombValSort3>},
    // 74
    {u"TstCombValSort4", u"KNO4", u"Сочетания из %0:d чисел тиража по возрастанию", {TClassArg::Int, 4, nullptr}, sgNum, 0, stNoTextValue | stNeverAvailable, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombValSort4>},
    // 75
    {u"TstCombDiffSeq2", u"KDS2", u"Сочетания из %0:d разностей между числами", {TClassArg::Int, 2, nullptr}, sgDif, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombDiffSeq2>},
    // 76
    {u"TstCombDiffSeq3", u"KDS3", u"Сочетания из %0:d разностей между числами", {TClassArg::Int, 3, nullptr}, sgDif, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombDiffSeq3>},
    // 77
    {u"TstCombDiffSeq4", u"KDS4", u"Сочетания из %0:d разностей между числами", {TClassArg::Int, 4, nullptr}, sgDif, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombDiffSeq4>},
    // 78
    {u"TstCombChnMix2", u"KCM2", u"Сочетания из %0:d каналов по всем числам тиража", {TClassArg::Int, 2, nullptr}, sgGrp, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombChnMix2>},
    // 79
    {u"TstCombChnMix3", u"KCM3", u"Сочетания из %0:d каналов по всем числам тиража", {TClassArg::Int, 3, nullptr}, sgGrp, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombChnMix3>},
    // 80
    {u"TstCombChnMix4", u"KCM4", u"Сочетания из %0:d каналов по всем числам тиража", {TClassArg::Int, 4, nullptr}, sgGrp, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombChnMix4>},
    // 81
    {u"TstCombChnSeq2", u"KCS2", u"Сочетания из %0:d каналов по соседним числам", {TClassArg::Int, 2, nullptr}, sgGrp, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombChnSeq2>},
    // 82
    {u"TstCombChnSeq3", u"KCS3", u"Сочетания из %0:d каналов по соседним числам", {TClassArg::Int, 3, nullptr}, sgGrp, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombChnSeq3>},
    // 83
    {u"TstCombChnSeq4", u"KCS4", u"Сочетания из %0:d каналов по соседним числам", {TClassArg::Int, 4, nullptr}, sgGrp, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombChnSeq4>},
    // 84
    {u"TstCombColMix2", u"KFM2", u"Сочетания из %0:d столбцов по всем числам тиража", {TClassArg::Int, 2, nullptr}, sgMtx, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombColMix2>},
    // 85
    {u"TstCombColMix3", u"KFM3", u"Сочетания из %0:d столбцов по всем числам тиража", {TClassArg::Int, 3, nullptr}, sgMtx, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombColMix3>},
    // 86
    {u"TstCombColMix4", u"KFM4", u"Сочетания из %0:d столбцов по всем числам тиража", {TClassArg::Int, 4, nullptr}, sgMtx, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombColMix4>},
    // 87
    {u"TstCombColSeq2", u"KFS2", u"Сочетания из %0:d столбцов по соседним числам", {TClassArg::Int, 2, nullptr}, sgMtx, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombColSeq2>},
    // 88
    {u"TstCombColSeq3", u"KFS3", u"Сочетания из %0:d столбцов по соседним числам", {TClassArg::Int, 3, nullptr}, sgMtx, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombColSeq3>},
    // 89
    {u"TstCombColSeq4", u"KFS4", u"Сочетания из %0:d столбцов по соседним числам", {TClassArg::Int, 4, nullptr}, sgMtx, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombColSeq4>},
    // 90
    {u"TstCombRowMix2", u"KRM2", u"Сочетания из %0:d строк по всем числам тиража", {TClassArg::Int, 2, nullptr}, sgMtx, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombRowMix2>},
    // 91
    {u"TstCombRowMix3", u"KRM3", u"Сочетания из %0:d строк по всем числам тиража", {TClassArg::Int, 3, nullptr}, sgMtx, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombRowMix3>},
    // 92
    {u"TstCombRowMix4", u"KRM4", u"Сочетания из %0:d строк по всем числам тиража", {TClassArg::Int, 4, nullptr}, sgMtx, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombRowMix4>},
    // 93
    {u"TstCombRowSeq2", u"KRS2", u"Сочетания из %0:d строк по соседним числам", {TClassArg::Int, 2, nullptr}, sgMtx, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombRowSeq2>},
    // 94
    {u"TstCombRowSeq3", u"KRS3", u"Сочетания из %0:d строк по соседним числам", {TClassArg::Int, 3, nullptr}, sgMtx, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombRowSeq3>},
    // 95
    {u"TstCombRowSeq4", u"KRS4", u"Сочетания из %0:d строк по соседним числам", {TClassArg::Int, 4, nullptr}, sgMtx, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombRowSeq4>},
    // 96
    {u"TstCombSegmMix2", u"KGM2", u"Сочетания из %0:d сегментов по всем числам тиража", {TClassArg::Int, 2, nullptr}, sgSgm, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombSegmMix2>},
    // 97
    {u"TstCombSegmMix3", u"KGM3", u"Сочетания из %0:d сегментов по всем числам тиража", {TClassArg::Int, 3, nullptr}, sgSgm, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombSegmMix3>},
    // 98
    {u"TstCombSegmMix4", u"KGM4", u"Сочетания из %0:d сегментов по всем числам тиража", {TClassArg::Int, 4, nullptr}, sgSgm, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombSegmMix4>},
    // 99
    {u"TstCombSegmSeq2", u"KGS2", u"Сочетания из %0:d сегментов по соседним числам", {TClassArg::Int, 2, nullptr}, sgSgm, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombSegmSeq2>},
    // 100
    {u"TstCombSegmSeq3", u"KGS3", u"Сочетания из %0:d сегментов по соседним числам", {TClassArg::Int, 3, nullptr}, sgSgm, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombSegmSeq3>},
    // 101
    {u"TstCombSegmSeq4", u"KGS4", u"Сочетания из %0:d сегментов по соседним числам", {TClassArg::Int, 4, nullptr}, sgSgm, skS, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstCombSegmSeq4>},
    // 102
    {u"TstPosVal", u"POS%d", u"Число в %0:d позиции тиража", {}, sgNum, skS | skN, stGraph, TParamKind::Fixed, 1, 6, u"POSx", nullptr, &StatFactory<TstPosVal>},
    // 103
    {u"TstPosExt", u"POE%d", u"Extra (Bonus, Star...) - число (!без фильтра!)", {}, sgNum, 0, stGraph, TParamKind::Fixed, 1, 2, u"POSx", nullptr, &StatFactory<TstPosExt>},
    // 104
    {u"TstChnValCnt", u"CHN%d", u"Количество чисел в %0:d канале", {}, sgGrp, skN, stGraph, TParamKind::Channels, 0, 0, u"CHNx", nullptr, &StatFactory<TstChnValCnt>},
    // 105
    {u"TstColValCnt", u"COL%d", u"Количество чисел в %0:d столбце матрицы", {}, sgMtx, skN, stGraph, TParamKind::Columns, 0, 0, u"COLx", nullptr, &StatFactory<TstColValCnt>},
    // 106
    {u"TstRowValCnt", u"ROW%d", u"Количество чисел в %0:d строке матрицы", {}, sgMtx, skN, stGraph, TParamKind::Rows, 0, 0, u"ROWx", nullptr, &StatFactory<TstRowValCnt>},
    // 107
    {u"TstSgmValCnt", u"SGM%d", u"Количество чисел в %0:d сегменте матрицы", {}, sgSgm, skN, stGraph, TParamKind::Segments, 0, 0, u"SGMx", nullptr, &StatFactory<TstSgmValCnt>},
    // 108
    {u"TstNumGroups", u"GRPV", u"Повторы чисел в нескольких тиражах подряд", {}, sgSer, skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstNumGroups>},
    // 109
    {u"TstNumPauses", u"GRPP", u"Интервалы между повторениями чисел", {}, sgSer, skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstNumPauses>},
    // 110
    {u"TstChnGroups", u"GRCV", u"Повторы каналов в нескольких тиражах подряд", {}, sgSer, skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChnGroups>},
    // 111
    {u"TstChnPauses", u"GRCP", u"Интервалы между повторениями каналов", {}, sgSer, skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChnPauses>},
    // 112
    {u"TstSgmGroups", u"GRSV", u"Повторы сегментов в нескольких тиражах подряд", {}, sgSer, skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSgmGroups>},
    // 113
    {u"TstSgmPauses", u"GRSP", u"Интервалы между повторениями сегментов", {}, sgSer, skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSgmPauses>},
    // 114
    {u"TstNumPeriods", u"PRDV", u"Периоды повторения чисел", {}, sgPer, skP, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstNumPeriods>},
    // 115
    {u"TstChnPeriods", u"PRDC", u"Периоды повторения каналов", {}, sgPer, skP, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChnPeriods>},
    // 116
    {u"TstSgmPeriods", u"PRDG", u"Периоды повторения сегментов", {}, sgPer, skP, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstSgmPeriods>},
    // 117
    {u"TstChain2DrawsAll", u"SDV2", u"Переходы чисел между %0:d тиражами без учета позиции", {TClassArg::Int, 2, nullptr}, sgMov, skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChain2DrawsAll>},
    // 118
    {u"TstChain2DrawsPos", u"SDP2", u"Переходы чисел между %0:d тиражами с учетом позиции", {TClassArg::Int, 2, nullptr}, sgMov, skS | skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChain2DrawsPos>},
    // 119
    {u"TstChain2Pos", u"SDN%d", u"Переходы чисел между %0:d тиражами в %%d позиции", {TClassArg::Int, 2, nullptr}, sgMov, skS | skD, stNoTextValue, TParamKind::Fixed, 1, 6, u"SDNx", nullptr, &StatFactory<TstChain2Pos>},
    // 120
    {u"TstChain3DrawsPos", u"SDP3", u"Переходы чисел между %0:d тиражами с учетом позиции", {TClassArg::Int, 3, nullptr}, sgMov, skS | skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChain3DrawsPos>},
    // 121
    {u"TstChain3Pos", u"SDM%d", u"Переходы чисел между %0:d тиражами в %%d позиции", {TClassArg::Int, 3, nullptr}, sgMov, skS | skD, stNoTextValue, TParamKind::Fixed, 1, 6, u"SDMx", nullptr, &StatFactory<TstChain3Pos>},
    // 122
    {u"TstChain2ChannelsAll", u"SCV2", u"Переходы каналов между %0:d тиражами без учета позиции", {TClassArg::Int, 2, nullptr}, sgMov, skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChain2ChannelsAll>},
    // 123
    {u"TstChain2ChannelsPos", u"SCP2", u"Переходы каналов между %0:d тиражами с учетом позиции", {TClassArg::Int, 2, nullptr}, sgMov, skS | skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChain2ChannelsPos>},
    // 124
    {u"TstChain2Channel", u"SCN%d", u"Переходы каналов между %0:d тиражами в %%d позиции", {TClassArg::Int, 2, nullptr}, sgMov, skS | skD, stNoTextValue, TParamKind::Fixed, 1, 6, u"SCNx", nullptr, &StatFactory<TstChain2Channel>},
    // 125
    {u"TstChain3ChannelsPos", u"SCP3", u"Переходы каналов между %0:d тиражами с учетом позиции", {TClassArg::Int, 3, nullptr}, sgMov, skS | skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChain3ChannelsPos>},
    // 126
    {u"TstChain3Channel", u"SCM%d", u"Переходы каналов между %0:d тиражами в %%d позиции", {TClassArg::Int, 3, nullptr}, sgMov, skS | skD, stNoTextValue, TParamKind::Fixed, 1, 6, u"SCMx", nullptr, &StatFactory<TstChain3Channel>},
    // 127
    {u"TstChain2CnlCnt", u"SC2C%d", u"Переходы кол-ва чисел в %%d канале между %0:d тиражами", {TClassArg::Int, 2, nullptr}, sgMov, skD, stNoTextValue, TParamKind::Channels, 0, 0, u"SC2Cx", nullptr, &StatFactory<TstChain2CnlCnt>},
    // 128
    {u"TstChain3CnlCnt", u"SC3C%d", u"Переходы кол-ва чисел в %%d канале между %0:d тиражами", {TClassArg::Int, 3, nullptr}, sgMov, skD, stNoTextValue, TParamKind::Channels, 0, 0, u"SC3Cx", nullptr, &StatFactory<TstChain3CnlCnt>},
    // 129
    {u"TstChainChannels2InsideAll", u"SDA2", u"Переходы чисел в пределах каналов (все)", {}, sgMov, skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChainChannels2InsideAll>},
    // 130
    {u"TstChainChannels2InsideSuc", u"SDG2", u"Переходы чисел в пределах каналов (N-M, удачные)", {}, sgMov, skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChainChannels2InsideSuc>},
    // 131
    {u"TstChainChannels2InsideBad", u"SDZ2", u"Переходы чисел в пределах каналов (N-0, не удачные)", {}, sgMov, skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChainChannels2InsideBad>},
    // 132
    {u"TstChainChannels2InsideCnt", u"SDC2", u"Переходы чисел в пределах каналов (количество)", {}, sgMov, skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChainChannels2InsideCnt>},
    // 133
    {u"TstChain2SegmentsAll", u"SSV2", u"Переходы сегментов между %0:d тиражами без учета позиции", {TClassArg::Int, 2, nullptr}, sgMov, skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChain2SegmentsAll>},
    // 134
    {u"TstChain2SegmentsPos", u"SSP2", u"Переходы сегментов между %0:d тиражами с учетом позиции", {TClassArg::Int, 2, nullptr}, sgMov, skS | skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChain2SegmentsPos>},
    // 135
    {u"TstChain2Segment", u"SSN%d", u"Переходы сегментов между %0:d тиражами в %%d позиции", {TClassArg::Int, 2, nullptr}, sgMov, skS | skD, stNoTextValue, TParamKind::Fixed, 1, 6, u"SSNx", nullptr, &StatFactory<TstChain2Segment>},
    // 136
    {u"TstChain3SegmentsPos", u"SSP3", u"Переходы сегментов между %0:d тиражами с учетом позиции", {TClassArg::Int, 3, nullptr}, sgMov, skS | skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstChain3SegmentsPos>},
    // 137
    {u"TstChain3Segment", u"SSM%d", u"Переходы сегментов между %0:d тиражами в %%d позиции", {TClassArg::Int, 3, nullptr}, sgMov, skS | skD, stNoTextValue, TParamKind::Fixed, 1, 6, u"SSMx", nullptr, &StatFactory<TstChain3Segment>},
    // 138
    {u"TstChain2SgmCnt", u"SS2C%d", u"Переходы кол-ва чисел в %%d сегменте между %0:d тиражами", {TClassArg::Int, 2, nullptr}, sgMov, skD, stNoTextValue, TParamKind::Segments, 0, 0, u"SS2Cx", nullptr, &StatFactory<TstChain2SgmCnt>},
    // 139
    {u"TstChain3SgmCnt", u"SS3C%d", u"Переходы кол-ва чисел в %%d сегменте между %0:d тиражами", {TClassArg::Int, 3, nullptr}, sgMov, skD, stNoTextValue, TParamKind::Segments, 0, 0, u"SS3Cx", nullptr, &StatFactory<TstChain3SgmCnt>},
    // 140
    {u"TstTalvik1", u"HCO1", u"Число Талвика 1 (только разность)", {TClassArg::Int, 1, nullptr}, sgTlk, skS | skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstTalvik1>},
    // 141
    {u"TstTalvik2", u"HCO2", u"Число Талвика 2 (разность + сложение, если {0,1})", {TClassArg::Int, 2, nullptr}, sgTlk, skS | skN, stGraph, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstTalvik2>},
    // 142
    {u"TstTalvik3", u"HCO3", u"Числа Талвика 3 (динамический, только фильтр)", {TClassArg::Int, 3, nullptr}, sgTlk, skS | skD, stNoTextValue, TParamKind::None, 0, 0, nullptr, nullptr, &StatFactory<TstTalvik3>},
    // 143
    {u"TstShreddingStat", u"SHR%d", u"Метод шинковки %0:d: %%s", {}, sgShr, skS | skN, stGraph, TParamKind::Fixed, 1, 3, u"SHRx", nullptr, &StatFactory<TstShreddingStat>},
}};

} // namespace

const std::array<TStatClass, kStatClassCount> &StatClasses()
{
    return kStatClasses;
}

std::vector<TStatClassParam> ExpandStatClasses(const TConfigData &config, TExpandMode mode)
{
    std::vector<TStatClassParam> list;
    for (const TStatClass &cls : kStatClasses) {
        if (mode == TExpandMode::Available ? !cls.Available() : cls.NeverAvailable())
            continue;
        int min = 0;
        int max = 0;
        if (cls.HasParamRange())
            cls.ParamRange(config, min, max);
        for (int p = min; p <= max; ++p)
            list.push_back(TStatClassParam{&cls, p});
    }
    return list;
}

const TStatClass *FindStatClass(QStringView className)
{
    for (const TStatClass &c : kStatClasses)
        if (className == QStringView(c.ClassName))
            return &c;
    return nullptr;
}
