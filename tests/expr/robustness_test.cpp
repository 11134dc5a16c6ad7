#include <gtest/gtest.h>

#include <random>
#include <string>

#include "expr/calc_checker.h"
#include "expr/expression_parser.h"

namespace kestra::expr {
namespace {

// Texts stitched from the languages' own pieces, so the checkers get deep into their grammar before failing;
// every text must end in a result, and a failed expression check must name a column inside the text.
TEST(Robustness, RandomTextsEndInAResult) {
    const char* pieces[] = {"A",  "B",   "S",  "(",    ")",    "{",  "}",     "{fn ", "{d ", "'01-02-2003'",
                            "'",  "\"",  ",",  " + ",  " - ",  "*",  "/",     "&",    "=",   "<>",
                            "<=", " IS ", " NOT ", " NULL", " AND ", " OR ", " IN ", " BETWEEN ", " LIKE ", "1",
                            "2.5E", "E", "LEFT(", "PI(", "RAND(", "IFFUNC(", "LOCATE(", "VALUE", "\xFF", "\t"};
    std::mt19937 rng(12345);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(0, 24);
    CalcCheckState base;
    base.fields = {{"A", kCalcNumeric}, {"S", kCalcString}, {"VALUE", kCalcNumeric}};
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int n = length(rng); n > 0; --n) text += pieces[pick(rng)];
        for (int type : {kTypeBoolean, kTypeNumeric, kTypeString, kTypeDate}) {
            CExpressionParser p(text, type);
            p.AddField("A", kTypeNumeric);
            p.AddField("B", kTypeString);
            p.AddField("S", kTypeString);
            if (!p.Parse()) {
                ASSERT_GT(p.GetErrorCode(), 0) << text;
                ASSERT_LE(p.GetErrorColumn(), text.size()) << text;
            }
            ASSERT_EQ(p.GetText().size(), text.size());
        }
        CalcCheckState st = base;
        st.state = kCalcStateError;
        if (!CalcChecker::Check(text, st)) {
            const int s = st.state;
            ASSERT_TRUE(s == 0 || s == 1 || s == 4 || s == 5) << text;
        }
    }
}

TEST(Robustness, VeryDeepTextsAreRefusedNotOverflowed) {
    const std::string deep(100000, '(');
    CExpressionParser p(deep, kTypeBoolean);
    EXPECT_EQ(p.Parse(), 0);
    EXPECT_EQ(p.GetErrorCode(), kErrInvalidOperation);
    EXPECT_EQ(p.GetErrorColumn(), 200u);
    CalcCheckState st;
    EXPECT_FALSE(CalcChecker::Check(deep, st));
    EXPECT_EQ(st.state, kCalcStateError);
    std::string calls;
    for (int i = 0; i < 5000; ++i) calls += "LEFT(";
    st = CalcCheckState{};
    EXPECT_FALSE(CalcChecker::Check(calls, st));
    EXPECT_EQ(st.state, kCalcStateError);
}

}  // namespace
}  // namespace kestra::expr
