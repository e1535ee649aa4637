#include "common/Format.h"
#include "common/OperationLog.h"

#include <QElapsedTimer>
#include <QLocale>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct LogLine {
    int level;
    QString text;
    TQMsgKind kind;
};

TLogMessageEvent recorder(std::vector<LogLine> &lines)
{
    return [&lines](int level, const QString &text, TQMsgKind kind, TDateTime) { lines.push_back({level, text, kind}); };
}

TQTransaction step(const QString &text, TQMsgKind kind, const QString &detail = {}, int64_t size = 0)
{
    TQTransaction tr;
    InitTransaction(text, tr);
    tr.kind = kind;
    tr.detail = detail;
    tr.size = size;
    tr.endTime = tr.startTime;
    return tr;
}

class RussianLocale {
public:
    RussianLocale() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    ~RussianLocale() { QLocale::setDefault(QLocale::c()); }
};

} // namespace

TEST(OperationLog, KindNamesAndColours)
{
    EXPECT_EQ(MsgKindName(MSG_HEADER), u"HEADER");
    EXPECT_EQ(MsgKindName(MSG_STOP), u"STOP");
    EXPECT_EQ(MsgKindName(static_cast<TQMsgKind>(7)), u"#ERROR#");
    EXPECT_EQ(MsgKindColor(MSG_INFO), 0x008000u);
    EXPECT_EQ(MsgKindColor(MSG_OK), 0x000080u);
    EXPECT_EQ(MsgKindColor(MSG_ERROR), 0x800000u);
    EXPECT_EQ(MsgKindColor(MSG_STOP), 0xFF0000u);
}

TEST(OperationLog, EmptyOperationFollowsTheEmptyRule)
{
    for (auto [rule, kind] : {std::pair{EMPTY_OK, MSG_OK}, {EMPTY_WARNING, MSG_WARNING}, {EMPTY_ERROR, MSG_ERROR}}) {
        TQOperation op;
        InitOperation(u"Копирование"_s, op);
        FinishOperation(op, rule);
        EXPECT_EQ(op.kind, kind);
        EXPECT_EQ(op.detail, u"Всего - 0, обработано - 0, пропущено - 0, предупреждений - 0, ошибок - 0.");
        EXPECT_GT(op.endTime, 0);
    }
}

TEST(OperationLog, StepsAreCountedByKind)
{
    RussianLocale russian;
    std::vector<LogLine> lines;
    TQOperation op;
    BeginOperation(u"Операция"_s, op, recorder(lines));
    op.total = 5;
    bool abort = false;
    AddTransaction(step(u"a"_s, MSG_OK, u"готово"_s, 1024 * 1000), op, 0, recorder(lines), abort);
    AddTransaction(step(u"b"_s, MSG_OK, {}, 1024 * 536), op, 0, recorder(lines), abort);
    AddTransaction(step(u"c"_s, MSG_SKIP), op, 0, recorder(lines), abort);
    AddTransaction(step(u"d"_s, MSG_INFO), op, 0, recorder(lines), abort);
    AddTransaction(step(u"e"_s, MSG_WARNING, u"странно"_s), op, 0, recorder(lines), abort);
    EXPECT_EQ(op.steps.size(), 5u);
    EXPECT_EQ(op.processed, 2);
    EXPECT_EQ(op.skipped, 1);
    EXPECT_EQ(op.warnings, 1);
    EXPECT_EQ(op.size, 1024 * 1536);
    EXPECT_EQ(op.kind, MSG_WARNING);
    EXPECT_FALSE(abort);

    EndOperation(op, EMPTY_ERROR, recorder(lines));
    EXPECT_EQ(op.detail, u"Всего - 5, обработано - 2 ( 1\u00A0536,00 Kb ), пропущено - 1, предупреждений - 1, ошибок - 0.");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0].level, 2);
    EXPECT_EQ(lines[0].text, u"Операция");
    EXPECT_EQ(lines[0].kind, MSG_HEADER);
    EXPECT_EQ(lines[1].level, 3);
    EXPECT_EQ(lines[1].text, u"a - готово");
    EXPECT_EQ(lines[1].kind, MSG_OK);
    EXPECT_EQ(lines[6].level, 2);
    EXPECT_EQ(lines[6].text, op.detail);
    EXPECT_EQ(lines[6].kind, MSG_WARNING);
}

TEST(OperationLog, ErrorOptions)
{
    {
        // Errors only to WARNING, and stop on error.
        TQOperation op;
        InitOperation(u"x"_s, op);
        bool abort = false;
        AddTransaction(step(u"s"_s, MSG_ERROR, u"сбой"_s), op, ATO_ERRORS_AS_WARNING | ATO_STOP_ON_ERROR, {}, abort);
        EXPECT_EQ(op.errors, 1);
        EXPECT_EQ(op.kind, MSG_WARNING);
        EXPECT_TRUE(abort);
    }
    {
        // Errors that leave the kind alone, without stopping.
        TQOperation op;
        InitOperation(u"x"_s, op);
        bool abort = false;
        AddTransaction(step(u"s"_s, MSG_ERROR), op, ATO_ERRORS_KEEP_KIND, {}, abort);
        EXPECT_EQ(op.errors, 1);
        EXPECT_EQ(op.kind, MSG_OK);
        EXPECT_FALSE(abort);
        AddTransaction(step(u"t"_s, MSG_ERROR), op, 0, {}, abort);
        EXPECT_EQ(op.kind, MSG_ERROR);
    }
    {
        // An error that is going to be retried is not counted but still logged.
        std::vector<LogLine> lines;
        TQOperation op;
        InitOperation(u"x"_s, op);
        bool abort = false;
        AddTransaction(step(u"Шаг"_s, MSG_ERROR, u"отказ"_s), op, ATO_STOP_ON_ERROR, recorder(lines), abort, false);
        EXPECT_EQ(op.errors, 0);
        EXPECT_EQ(op.kind, MSG_OK);
        EXPECT_FALSE(abort);
        EXPECT_EQ(op.steps.size(), 1u);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].level, 3);
        EXPECT_EQ(lines[0].text, u"Шаг - отказ");
        EXPECT_EQ(lines[0].kind, MSG_ERROR);
    }
}

TEST(OperationLog, StopStepKeepsTheStopText)
{
    TQOperation op;
    InitOperation(u"x"_s, op);
    op.total = 3;
    bool abort = false;
    TQTransaction tr = step(u"s"_s, MSG_OK);
    EXPECT_TRUE(TransactionAborted(tr, [](bool &a) { a = true; }));
    EXPECT_EQ(tr.kind, MSG_STOP);
    EXPECT_EQ(tr.detail, u"Операция прервана по команде пользователя или системы!");
    AddTransaction(tr, op, 0, {}, abort);
    EXPECT_TRUE(abort);
    EXPECT_EQ(op.kind, MSG_STOP);
    FinishOperation(op, EMPTY_ERROR);
    EXPECT_EQ(op.kind, MSG_STOP);
    EXPECT_EQ(op.detail, u"Операция прервана по команде пользователя или системы!");
}

TEST(OperationLog, AbortQueries)
{
    bool abort = false;
    int asked = 0;
    EXPECT_FALSE(QueryAbort(abort, [&asked](bool &) { ++asked; }));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(QueryAbort(abort, {}));
    abort = true;
    EXPECT_TRUE(QueryAbort(abort, [&asked](bool &) { ++asked; }));
    EXPECT_EQ(asked, 1); // a set flag is not asked again

    TQOperation op;
    InitOperation(u"x"_s, op);
    bool stop = false;
    EXPECT_FALSE(OperationAborted(op, stop, {}));
    EXPECT_TRUE(OperationAborted(op, stop, [](bool &a) { a = true; }));
    EXPECT_TRUE(stop);
    EXPECT_EQ(op.kind, MSG_STOP);
    EXPECT_EQ(op.detail, u"Операция прервана по команде пользователя или системы!");
}

TEST(OperationLog, LoadFactorIsClamped)
{
    EXPECT_EQ(GetLoadFactor(0, {}), 1);
    EXPECT_EQ(GetLoadFactor(50, {}), 50);
    EXPECT_EQ(GetLoadFactor(50, [](int &f) { f = 250; }), 100);
    EXPECT_EQ(GetLoadFactor(50, [](int &f) { f = -3; }), 1);
    EXPECT_EQ(GetLoadFactor(100, [](int &f) { f = 30; }), 30);
}

TEST(OperationLog, PauseWithCountdown)
{
    std::vector<LogLine> lines;
    bool abort = false;
    int asked = 0;
    PauseWithCountdown(5, abort, {}, [&asked](bool &a) { a = ++asked > 0; }, recorder(lines));
    EXPECT_EQ(asked, 1); // at once, before any slice of the pause
    EXPECT_TRUE(abort);
    EXPECT_TRUE(lines.empty());

    // Stopped after a few slices: logged once, returns long before the five seconds.
    abort = false;
    asked = 0;
    QElapsedTimer timer;
    timer.start();
    PauseWithCountdown(5, abort, {}, [&asked](bool &a) { a = ++asked > 3; }, recorder(lines));
    EXPECT_EQ(asked, 4); // no query after the one that stopped it
    EXPECT_GE(timer.elapsed(), 150);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, u"Пауза 5 секунд...");
    EXPECT_EQ(lines[0].kind, MSG_HEADER);

    abort = false;
    PauseWithCountdown(0, abort, u"не ждать"_s, {}, recorder(lines));
    EXPECT_EQ(lines.size(), 1u);
}

TEST(OperationLog, WarningsAndErrorsGoToTheViewer)
{
    struct Shown {
        QString text;
        uint32_t rgb;
    };
    std::vector<Shown> shown;
    SetLogViewerHook([&shown](const QString &, const QString &text, uint32_t rgb, unsigned) { shown.push_back({text, rgb}); });
    TQOperation op;
    InitOperation(u"x"_s, op);
    bool abort = false;
    TQTransaction err = step(u"Копирование \"a\""_s, MSG_ERROR, u"Нет места"_s);
    err.endTime = EncodeDate(2015, 1, 5) + EncodeTime(13, 4, 5);
    AddTransaction(err, op, ATO_SHOW_IN_VIEWER, {}, abort);
    TQTransaction warn = err;
    warn.kind = MSG_WARNING;
    AddTransaction(warn, op, ATO_SHOW_IN_VIEWER, {}, abort);
    AddTransaction(err, op, 0, {}, abort); // without the option nothing is shown
    AddTransaction(err, op, ATO_SHOW_IN_VIEWER, {}, abort, false); // nor for an error not counted
    SetLogViewerHook({});

    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, u"[05.01.2015 13:04:05] Ошибка при выполнении операции \"Копирование \"a\"\":\r\nНет места!");
    EXPECT_EQ(shown[0].rgb, 0x800000u);
    EXPECT_EQ(shown[1].text,
              u"[05.01.2015 13:04:05] Предупреждение при выполнении операции \"Копирование \"a\"\":\r\nНет места!");
}

// A step reads as its text and its detail; a step without a detail reads as its text alone, so a
// report of deleted files has no dash at the end of every line.
TEST(OperationLog, StepTextWithAndWithoutDetail)
{
    TQTransaction tr;
    InitTransaction(QStringLiteral("Удаление файла \"a.txt\""), tr);
    EXPECT_EQ(TransactionText(tr), QStringLiteral("Удаление файла \"a.txt\""));
    tr.detail = QStringLiteral("Ошибка доступа");
    EXPECT_EQ(TransactionText(tr), QStringLiteral("Удаление файла \"a.txt\" - Ошибка доступа"));
}
