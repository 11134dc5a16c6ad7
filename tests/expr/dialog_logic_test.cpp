#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expr/calc_builder.h"
#include "expr/expression_edit_logic.h"
#include "expr/where_condition_logic.h"

namespace kestra::expr {
namespace {

using B = CalcBuilderLogic;

std::vector<CalcField> Fields() {
    return {{"QTY", kCalcNumeric}, {"NAME", kCalcString}, {"PRICE", kCalcNumeric}};
}

void ExpectButtons(const CalcBuilderLogic& b, std::initializer_list<B::Button> on) {
    for (int i = 0; i < B::kButtonCount; ++i) {
        const auto button = static_cast<B::Button>(i);
        bool want = false;
        for (B::Button o : on) want = want || o == button;
        EXPECT_EQ(b.IsEnabled(button), want) << "button " << B::ButtonText(button);
    }
}

TEST(CalcBuilder, RequiredKindFromDataType) {
    EXPECT_EQ(B::required_kind_for(22), kCalcString);
    EXPECT_EQ(B::required_kind_for(23), kCalcNumeric);
    EXPECT_EQ(B::required_kind_for(4), kCalcEither);
}

TEST(CalcBuilder, OpeningWithEmptyTextOffersOperands) {
    B either(Fields(), kCalcEither);
    either.Open();
    EXPECT_EQ(either.category_text(), "Function");
    EXPECT_FALSE(either.value_enabled());
    EXPECT_FALSE(either.function_list_enabled());
    EXPECT_FALSE(either.ok_enabled());
    EXPECT_EQ(either.insert_list(), (std::vector<std::string>{"Field", "Function", "String", "Number"}));
    // State 1: only "(" (NOT stays off: the calculation has no NOT).
    ExpectButtons(either, {B::kOpenParen});

    B numeric(Fields(), kCalcNumeric);
    numeric.Open();
    EXPECT_EQ(numeric.insert_list(), (std::vector<std::string>{"Field", "Function", "Number"}));
    B string(Fields(), kCalcString);
    string.Open();
    EXPECT_EQ(string.insert_list(), (std::vector<std::string>{"Field", "Function", "String"}));
}

TEST(CalcBuilder, ArgumentCompleteAndOperandComplete) {
    B b(Fields(), kCalcEither);
    b.Open();
    b.SetText("LEFT(NAME");
    EXPECT_EQ(b.check_state().state, kCalcStateArgComplete);
    ExpectButtons(b, {B::kComma, B::kPlus, B::kMinus, B::kTimes, B::kDivide});
    EXPECT_TRUE(b.insert_list().empty());
    EXPECT_FALSE(b.ok_enabled());

    b.SetText("LEFT(NAME, 1");
    EXPECT_EQ(b.check_state().state, kCalcStateOperandComplete);
    ExpectButtons(b, {B::kCloseParen, B::kPlus, B::kMinus, B::kTimes, B::kDivide});
    b.Press(B::kCloseParen);
    EXPECT_EQ(b.text(), "LEFT(NAME, 1)");
    EXPECT_TRUE(b.ok_enabled());
    ExpectButtons(b, {B::kConcat});

    std::string definition;
    EXPECT_TRUE(b.Accept(definition));
    EXPECT_EQ(definition, "LEFT(NAME, 1)");
}

TEST(CalcBuilder, StateSevenOffersNothingButNot) {
    B b(Fields(), kCalcEither);
    b.Open();
    b.ShowState(kCalcStateOnlyNot, kCalcEither, 0);
    ExpectButtons(b, {});
    EXPECT_TRUE(b.insert_list().empty());
    b.ShowState(kCalcStateOnlyNot, kCalcEither, 1);
    ExpectButtons(b, {B::kCloseParen});
}

TEST(CalcBuilder, ErrorKeepsTheOfferAndDisablesOk) {
    B b(Fields(), kCalcEither);
    b.Open();
    b.SetText("QTY");
    EXPECT_TRUE(b.ok_enabled());
    b.SetText("'abc");
    EXPECT_FALSE(b.ok_enabled());
    EXPECT_EQ(b.TakeMessage(), "Expression Syntax Error");
    EXPECT_EQ(b.TakeMessage(), "");
    ExpectButtons(b, {B::kPlus, B::kMinus, B::kTimes, B::kDivide});
    std::string definition = "old";
    EXPECT_FALSE(b.Accept(definition));
    EXPECT_EQ(definition, "old");

    b.SetText("QTY *");
    EXPECT_EQ(b.TakeMessage(), "");
    EXPECT_FALSE(b.ok_enabled());
    b.SetText("");
    EXPECT_FALSE(b.ok_enabled());
    EXPECT_FALSE(b.Accept(definition));
}

TEST(CalcBuilder, DisabledButtonsAppendNothing) {
    B b(Fields(), kCalcEither);
    b.Open();
    b.Press(B::kPlus);
    b.Press(B::kNot);
    EXPECT_EQ(b.text(), "");
    EXPECT_TRUE(b.TakeBeep());
    b.Press(B::kOpenParen);
    EXPECT_EQ(b.text(), "(");
    EXPECT_FALSE(b.TakeBeep());
}

TEST(CalcBuilder, HelpForTheSelectedFunction) {
    B either(Fields(), kCalcEither);
    either.Open();
    ASSERT_TRUE(either.ChooseCategory("Function"));
    EXPECT_TRUE(either.function_list_enabled());
    EXPECT_EQ(either.function_label(), "Function");
    ASSERT_EQ(either.function_list().size(), 27u);
    either.SelectFunction(2);
    EXPECT_EQ(either.help_string_id(), 55);
    EXPECT_EQ(either.help_text(), "LCASE(string_exp)");
    either.SelectFunction(13);
    EXPECT_EQ(either.help_text(), "CEILING(numeric_exp)");

    B numeric(Fields(), kCalcNumeric);
    numeric.Open();
    numeric.ChooseCategory("Function");
    ASSERT_EQ(numeric.function_list().size(), 14u);
    numeric.SelectFunction(0);
    EXPECT_EQ(numeric.help_string_id(), 66);
    numeric.SelectFunction(99);
    EXPECT_EQ(numeric.help_text(), "");

    numeric.ChooseCategory("Field");
    EXPECT_EQ(numeric.function_label(), "Field");
    EXPECT_EQ(numeric.function_list(), (std::vector<std::string>{"QTY", "PRICE"}));
    numeric.SelectFunction(0);
    EXPECT_EQ(numeric.help_text(), "");
}

TEST(CalcBuilder, AddInEachCategory) {
    B b(Fields(), kCalcEither);
    b.Open();
    ASSERT_TRUE(b.ChooseCategory("String"));
    EXPECT_TRUE(b.value_enabled());
    EXPECT_TRUE(b.value_has_focus());
    EXPECT_FALSE(b.function_list_enabled());
    b.SetValue("abc");
    EXPECT_TRUE(b.Add());
    EXPECT_EQ(b.text(), "'abc'");
    EXPECT_TRUE(b.ok_enabled());

    B quoted(Fields(), kCalcEither);
    quoted.Open();
    quoted.ChooseCategory("String");
    quoted.SetValue("'abc'");
    EXPECT_TRUE(quoted.Add());
    EXPECT_EQ(quoted.text(), "'abc'");
    for (const char* bad : {"it's", "'a'b'", "'abc", "'"}) {
        quoted.SetValue(bad);
        EXPECT_FALSE(quoted.Add()) << bad;
        EXPECT_TRUE(quoted.TakeBeep());
        EXPECT_EQ(quoted.text(), "'abc'");
    }

    B pi(Fields(), kCalcNumeric);
    pi.Open();
    pi.ChooseCategory("Function");
    pi.SelectFunction(4);
    EXPECT_TRUE(pi.Add());
    EXPECT_EQ(pi.text(), "PI()");
    EXPECT_TRUE(pi.ok_enabled());

    B round(Fields(), kCalcNumeric);
    round.Open();
    round.ChooseCategory("Function");
    round.SelectFunction(7);
    EXPECT_TRUE(round.Add());
    EXPECT_EQ(round.text(), "ROUND(");
    EXPECT_EQ(round.check_state().state, kCalcStateWantOperand);

    round.ChooseCategory("Number");
    round.SetValue("2.5");
    EXPECT_TRUE(round.Add());
    EXPECT_EQ(round.check_state().state, kCalcStateArgComplete);
    round.Press(B::kComma);
    round.ChooseCategory("Field");
    round.SelectFunction(1);
    EXPECT_TRUE(round.Add());
    EXPECT_EQ(round.text(), "ROUND(2.5,PRICE");
    round.Press(B::kCloseParen);
    EXPECT_TRUE(round.ok_enabled());

    // Nothing selected: nothing added.
    round.ChooseCategory("Function");
    EXPECT_FALSE(round.Add());
}

TEST(CalcBuilder, LiteralOfTheWrongKindIsAnError) {
    B b(Fields(), kCalcString);
    b.Open();
    b.ChooseCategory("Number");
    b.SetValue("5");
    b.Add();
    EXPECT_EQ(b.TakeMessage(), "Expression Syntax Error");
    B n(Fields(), kCalcNumeric);
    n.Open();
    n.SetText("'x'");
    EXPECT_EQ(n.TakeMessage(), "Expression Syntax Error");
}

TEST(WhereCondition, ButtonsAppendAndReset) {
    WhereConditionLogic w("A = 1");
    EXPECT_FALSE(w.IsEnabled(WhereConditionLogic::kCloseParen));
    EXPECT_TRUE(w.IsEnabled(WhereConditionLogic::kAnd));
    EXPECT_FALSE(w.value_enabled());
    EXPECT_FALSE(w.function_list_enabled());
    EXPECT_TRUE(w.ok_enabled());
    w.Press(WhereConditionLogic::kAnd);
    w.Press(WhereConditionLogic::kOpenParen);
    w.Press(WhereConditionLogic::kCloseParen);  // disabled: ignored
    EXPECT_EQ(w.text(), "A = 1 AND (");
    w.SetText(w.text() + "B <> 2)");
    w.Press(WhereConditionLogic::kOr);
    w.Press(WhereConditionLogic::kNot);
    w.Press(WhereConditionLogic::kLessEqual);
    EXPECT_EQ(w.text(), "A = 1 AND (B <> 2) OR  NOT <=");
    EXPECT_EQ(w.state(), 0);
    EXPECT_EQ(w.kind(), 2);
    std::string result;
    EXPECT_TRUE(w.Accept(result));
    EXPECT_EQ(result, w.text());
}

TEST(WhereCondition, TooLongTextIsRefusedNotCut) {
    WhereConditionLogic w(std::string(255, 'A'));
    std::string result = "kept";
    EXPECT_TRUE(w.Accept(result));
    EXPECT_EQ(result.size(), 255u);
    w.Press(WhereConditionLogic::kEqual);
    result = "kept";
    EXPECT_FALSE(w.Accept(result));
    EXPECT_EQ(result, "kept");
    EXPECT_FALSE(w.message().empty());
}

// A condition the host holds longer than may be typed passes OK unchanged; once edited, the limit applies.
TEST(WhereCondition, ALongerLoadedConditionPassesUntilItIsChanged) {
    const std::string loaded(300, 'L');
    WhereConditionLogic w(loaded);
    std::string result;
    EXPECT_TRUE(w.Accept(result));
    EXPECT_EQ(result, loaded);
    w.Press(WhereConditionLogic::kAnd);
    EXPECT_FALSE(w.Accept(result));
    w.SetText(loaded);
    EXPECT_TRUE(w.Accept(result));
}

TEST(ExpressionEdit, TitleAndLabel) {
    CExpressionParser cond("a = 1", kTypeBoolean);
    ExpressionEditLogic c(cond);
    EXPECT_EQ(c.title(), "Edit Search Condition");
    EXPECT_EQ(c.label(), "&Search Condition");
    EXPECT_EQ(c.edit_text(), "a = 1");
    const char* words[] = {"Numeric &Expression", "String &Expression", "Date &Expression", "Time &Expression",
                           "Timestamp &Expression"};
    for (int t = kTypeNumeric; t <= kTypeTimestamp; ++t) {
        CExpressionParser p("", t);
        ExpressionEditLogic e(p);
        EXPECT_EQ(e.title(), "Edit Expression");
        EXPECT_EQ(e.label(), words[t - kTypeNumeric]);
    }
    CExpressionParser none("", kTypeNone);
    EXPECT_EQ(ExpressionEditLogic(none).label(), "&Expression");
}

TEST(ExpressionEdit, OkChecksAndReportsTheColumnFromOne) {
    CExpressionParser p("", kTypeBoolean);
    p.AddField("A", kTypeNumeric);
    ExpressionEditLogic e(p);
    EXPECT_FALSE(e.Save("x = 1"));
    EXPECT_EQ(e.message(), "Error at col 1: Undefined field");
    EXPECT_EQ(e.selection_start(), 0u);
    EXPECT_EQ(e.selection_end(), 5u);
    EXPECT_FALSE(e.Save("A = 'X'"));
    EXPECT_EQ(e.message(), "Error at col 5: Expected numeric");
    EXPECT_EQ(e.selection_start(), 4u);
    EXPECT_TRUE(e.Save(""));
    EXPECT_EQ(p.GetText(), "");
    EXPECT_TRUE(e.Save("a > 1"));
    EXPECT_EQ(p.GetText(), "A > 1");
    EXPECT_EQ(e.message(), "");
    EXPECT_EQ(format_parse_error(4294967295u, "x"), "Error at col 4294967296: x");
}

}  // namespace
}  // namespace kestra::expr
