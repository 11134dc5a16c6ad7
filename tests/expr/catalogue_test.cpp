#include <gtest/gtest.h>

#include <string>

#include "expr/calc_catalogue.h"
#include "expr/expr_types.h"
#include "expr/function_catalogue.h"

namespace kestra::expr {
namespace {

TEST(FunctionCatalogueTable, FortyRowsThenEndRow) {
    int rows = 0;
    while (FunctionCatalogue[rows].name != nullptr) ++rows;
    EXPECT_EQ(rows, kFunctionCatalogueSize);
    EXPECT_STREQ(FunctionCatalogue[0].name, "CONCAT");
    EXPECT_STREQ(FunctionCatalogue[19].name, "PI");
    EXPECT_STREQ(FunctionCatalogue[39].name, "NOW");
    EXPECT_EQ(FunctionCatalogue[1].result_type, kTypeAny);
    EXPECT_STREQ(FunctionCatalogue[6].arg_codes, "SSON");
    EXPECT_STREQ(FunctionCatalogue[21].arg_codes, "N");
}

TEST(FunctionCatalogueTable, LookupIgnoresCase) {
    ASSERT_NE(find_function("concat"), nullptr);
    EXPECT_STREQ(find_function("DayOfWeek")->name, "DAYOFWEEK");
    EXPECT_EQ(find_function("RTRIM"), nullptr);
    EXPECT_EQ(find_function("SUBSTRING"), nullptr);
    EXPECT_EQ(find_function(""), nullptr);
    EXPECT_EQ(find_function("CONCATX"), nullptr);
}

TEST(BuilderLists, EntriesAndHelpTexts) {
    auto strings = builder_string_functions();
    auto numbers = builder_number_functions();
    ASSERT_EQ(strings.size(), 13u);
    ASSERT_EQ(numbers.size(), 14u);
    EXPECT_STREQ(strings[2], "LCASE");
    EXPECT_EQ(builder_help_text(kStringFunctionsHelpBase + 2), "LCASE(string_exp)");
    EXPECT_STREQ(numbers[0], "CEILING");
    EXPECT_EQ(builder_help_text(kNumberFunctionsHelpBase), "CEILING(numeric_exp)");
    EXPECT_EQ(builder_help_text(54), "INSERT(string_exp1,start,length,string_exp2))");
    EXPECT_EQ(builder_help_text(72), "RAND([integer_exp])");
    EXPECT_EQ(builder_help_text(79), "VAL(string_exp)");
    EXPECT_EQ(builder_help_text(83), "IS [NOT] NULL");
    EXPECT_EQ(builder_help_text(52), "");
    EXPECT_EQ(builder_help_text(84), "");
    EXPECT_EQ(builder_search_operators(false).size(), 2u);
    ASSERT_EQ(builder_search_operators(true).size(), 4u);
    EXPECT_STREQ(builder_search_operators(true)[3], "NULL");
    EXPECT_EQ(search_operator_insert_text("NULL"), " IS NULL");
    EXPECT_EQ(search_operator_insert_text("IN"), " IN(");
}

TEST(CalcCatalogueTable, NamesKindsAndPatterns) {
    EXPECT_EQ(calc_function_name(0), "CONCAT");
    EXPECT_EQ(calc_function_name(13), "SUBSTRING");
    EXPECT_EQ(calc_function_name(26), "TRUNCATE");
    EXPECT_EQ(calc_function_name(27), "");
    EXPECT_EQ(CalcResultKind[4], kCalcNumeric);    // LENGTH
    EXPECT_EQ(CalcFirstArgKind[4], kCalcString);
    EXPECT_EQ(CalcFirstArgKind[20], kCalcEither);  // PI has none
    EXPECT_STREQ(CalcArgPattern[5], "SS[N");
    EXPECT_STREQ(CalcArgPattern[22], "[N");
}

TEST(CalcCatalogueTable, PrefixMatchingIsBounded) {
    EXPECT_EQ(match_calc_function("LEFTX(S, 1)", 0), 3);
    EXPECT_EQ(match_calc_function("A + LENGTH(S)", 4), 4);
    EXPECT_EQ(match_calc_function("LEF", 0), -1);
    EXPECT_EQ(match_calc_function("left(", 0), -1);  // case-sensitive
    EXPECT_EQ(match_calc_function("P", 0), -1);
    EXPECT_EQ(match_calc_function("PI", 0), 20);
    EXPECT_EQ(match_calc_function("PI", 5), -1);
}

}  // namespace
}  // namespace kestra::expr
