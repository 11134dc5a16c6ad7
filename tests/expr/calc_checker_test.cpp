#include <gtest/gtest.h>

#include <string>

#include "expr/calc_checker.h"

namespace kestra::expr {
namespace {

struct CalcResult {
    bool complete;
    int state;
    int kind;
    int paren;
};

class CalcCheck : public ::testing::Test {
protected:
    CalcResult Run(const std::string& text, int kind = kCalcEither) {
        CalcCheckState st;
        st.kind = kind;
        st.state = kCalcStateError;
        st.fields = {{"A", kCalcNumeric},     {"B", kCalcNumeric},     {"C", kCalcNumeric},
                     {"NAME", kCalcString},   {"S", kCalcString},      {"VALUE", kCalcNumeric},
                     {"MODEL", kCalcString},  {"SIGNAL", kCalcNumeric}, {"AB", kCalcString}};
        const bool complete = CalcChecker::Check(text, st);
        return CalcResult{complete, st.state, st.kind, st.paren};
    }
    void ExpectComplete(const std::string& text, int kind = kCalcEither) {
        EXPECT_TRUE(Run(text, kind).complete) << text;
    }
    void ExpectStop(const std::string& text, int state, int kind_in = kCalcEither) {
        const CalcResult r = Run(text, kind_in);
        EXPECT_FALSE(r.complete) << text;
        EXPECT_EQ(r.state, state) << text;
    }
};

TEST_F(CalcCheck, OperatorChains) {
    ExpectComplete("A * B * C");
    ExpectComplete("A / B * C + 1 - 2");
    ExpectStop("A *", kCalcStateWantOperand);
    ExpectStop("A * B *", kCalcStateWantOperand);
    ExpectStop("A +", kCalcStateWantOperand);
    ExpectStop("A + ", kCalcStateWantOperand);
    ExpectStop("-", kCalcStateWantOperand);
    ExpectComplete("-A + +1");
    ExpectComplete("NAME & 'X' & S");
    ExpectStop("   ", kCalcStateOperandComplete);
}

TEST_F(CalcCheck, TrailingTextIsAnError) {
    ExpectStop("A )", kCalcStateError);
    ExpectStop("1 2", kCalcStateError);
    ExpectStop("A B", kCalcStateError);
    ExpectStop("A ?", kCalcStateError);
    ExpectComplete("A   ");
}

TEST_F(CalcCheck, Parentheses) {
    const CalcResult open = Run("(A");
    EXPECT_FALSE(open.complete);
    EXPECT_EQ(open.state, kCalcStateWantOperand);
    EXPECT_EQ(open.paren, 1);
    ExpectComplete("(A + B) * C");
    ExpectStop("(", kCalcStateWantOperand);
    EXPECT_EQ(Run("(").paren, 0);
    ExpectStop("(A + ", kCalcStateWantOperand);
    ExpectStop("(A B)", kCalcStateError);
    EXPECT_EQ(Run("((A)").paren, 1);
    ExpectComplete(std::string(200, '(') + "1" + std::string(200, ')'));
    ExpectStop(std::string(201, '(') + "1" + std::string(201, ')'), kCalcStateError);
}

TEST_F(CalcCheck, LiteralsAndKinds) {
    ExpectStop("'abc", kCalcStateError);
    ExpectComplete("'abc'", kCalcString);
    ExpectStop("'abc'", kCalcStateError, kCalcNumeric);
    ExpectStop("12", kCalcStateError, kCalcString);
    ExpectComplete("12.5E3", kCalcNumeric);
    ExpectStop("1.5E", kCalcStateError);
    ExpectStop("1.5Ex", kCalcStateError);
    ExpectStop("1.", kCalcStateOperandComplete);
    ExpectStop("A & NAME", kCalcStateError);
    ExpectStop("NAME", kCalcStateError, kCalcNumeric);
    EXPECT_EQ(Run("'x'").kind, kCalcString);
    EXPECT_EQ(Run("A").kind, kCalcNumeric);
    ExpectStop("ZZZ", kCalcStateError);
    ExpectComplete("\"NAME\" & 'x'");
    ExpectStop("#", kCalcStateError);
}

TEST_F(CalcCheck, FieldsLongerThanAFunctionNameWin) {
    ExpectComplete("VALUE + 1", kCalcNumeric);
    ExpectComplete("MODEL & 'X'", kCalcString);
    ExpectComplete("SIGNAL * 2", kCalcNumeric);
    ExpectComplete("VAL(NAME) + SIGN(A)", kCalcNumeric);
    // The longest field name wins over a shorter one at the same place.
    ExpectComplete("AB & 'X'", kCalcString);
}

TEST_F(CalcCheck, Calls) {
    ExpectComplete("LEFTX(S, 1)");  // LEFT, then X skipped up to "("
    ExpectComplete("RAND()");
    ExpectComplete("RAND(5)");
    ExpectComplete("PI()");
    ExpectComplete("PI ( )");
    ExpectStop("PI(1)", kCalcStateError);
    const CalcResult pi = Run("PI(");
    EXPECT_EQ(pi.state, kCalcStateOperandComplete);
    EXPECT_EQ(pi.paren, 1);
    ExpectComplete("LOCATE('A', S)");
    ExpectComplete("LOCATE('A', S, 2)");
    ExpectStop("LOCATE('A', S, 'X')", kCalcStateError);
    ExpectStop("LEFT(S, 1) + 1", kCalcStateError, kCalcString);
    ExpectStop("LEFT(S, 1)", kCalcStateError, kCalcNumeric);
    ExpectStop("LEFT", kCalcStateError);
    ExpectStop("LEFT(S 1)", kCalcStateError);
    ExpectStop("LEFT(S, 1 X", kCalcStateError);
    ExpectComplete("SUBSTRING(NAME, 1, 2) & RTRIM(S)");
    ExpectComplete("MOD(A, 2) + LENGTH(NAME & S)");
}

TEST_F(CalcCheck, IncompleteCallsSayWhatComesNext) {
    CalcResult r = Run("LEFT(NAME");
    EXPECT_EQ(r.state, kCalcStateArgComplete);
    EXPECT_EQ(r.kind, kCalcNumeric);
    r = Run("LEFT(NAME,");
    EXPECT_EQ(r.state, kCalcStateWantOperand);
    EXPECT_EQ(r.kind, kCalcNumeric);
    r = Run("LEFT(NAME, 1");
    EXPECT_EQ(r.state, kCalcStateOperandComplete);
    EXPECT_EQ(r.paren, 1);
    r = Run("LENGTH(");
    EXPECT_EQ(r.state, kCalcStateWantOperand);
    EXPECT_EQ(r.kind, kCalcString);
    r = Run("RAND(");
    EXPECT_EQ(r.state, kCalcStateWantOperand);
    EXPECT_EQ(r.kind, kCalcNumeric);
    EXPECT_EQ(r.paren, 1);
    r = Run("LOCATE('A', S");
    EXPECT_EQ(r.state, kCalcStateArgComplete);
    EXPECT_EQ(r.kind, kCalcNumeric);
    EXPECT_EQ(r.paren, 1);
}

TEST(CalcFieldKind, ByDataTypeCode) {
    EXPECT_EQ(calc_field_kind(1), kCalcString);
    EXPECT_EQ(calc_field_kind(4), kCalcString);
    EXPECT_EQ(calc_field_kind(22), kCalcString);
    EXPECT_EQ(calc_field_kind(23), kCalcNumeric);
    EXPECT_EQ(calc_field_kind(0), kCalcNumeric);
}

}  // namespace
}  // namespace kestra::expr
