#include <gtest/gtest.h>

#include "parser_fixture.h"

namespace kestra::expr::testing {
namespace {

using Calls = ParserTest;
using Iffunc = ParserTest;

TEST_F(Calls, NoArgumentFunctions) {
    EXPECT_EQ(Num("PI()"), kValid);
    EXPECT_EQ(Check("{fn NOW()}", kTypeTimestamp), kValid);
    EXPECT_EQ(Num("PI"), Err(kErrMissingOpenParen, 2));
    EXPECT_EQ(Num("PI(1)"), Err(kErrMissingCloseParen, 3));
    EXPECT_EQ(Check("CURDATE()", kTypeDate), kValid);
    EXPECT_EQ(Check("CURTIME ( )", kTypeTime), kValid);
}

TEST_F(Calls, OptionalArgument) {
    EXPECT_EQ(Num("LOCATE('A', S)"), kValid);
    EXPECT_EQ(Num("LOCATE('A', S, 2)"), kValid);
    EXPECT_EQ(Num("LOCATE('A', S, 'X')"), Err(kErrExpectedNumeric, 15));
    EXPECT_EQ(Num("LOCATE('A' S)"), Err(kErrExpectedExpression, 11));
    EXPECT_EQ(Num("LOCATE('A')"), Err(kErrExpectedExpression, 10));
    EXPECT_EQ(Num("LOCATE('A', S, 2, 3)"), Err(kErrMissingCloseParen, 16));
}

TEST_F(Calls, ArgumentCountAndTypes) {
    EXPECT_EQ(Str("LEFT(S)"), Err(kErrExpectedExpression, 6));
    EXPECT_EQ(Str("LEFT(S, 1, 2)"), Err(kErrMissingCloseParen, 9));
    EXPECT_EQ(Str("LEFT(S, 1"), Err(kErrMissingCloseParen, 9));
    EXPECT_EQ(Str("REPEAT('AB', 3)"), kValid);
    EXPECT_EQ(Str("UCASE(1)"), Err(kErrExpectedString, 6));
    EXPECT_EQ(Str("INSERT(S, 1, 2, 'X')"), kValid);
    EXPECT_EQ(Str("INSERT(S, 1, 'X', 'X')"), Err(kErrExpectedNumeric, 13));
    EXPECT_EQ(Num("RAND(1)"), kValid);
    EXPECT_EQ(Num("RAND()"), Err(kErrExpectedNumeric, 5));
    EXPECT_EQ(Num("FLOOR(A) + CEILING(2.5) * MOD(A, 2)"), kValid);
    EXPECT_EQ(Num("LENGTH(S & B)"), kValid);
}

TEST_F(Calls, DateTimeArguments) {
    EXPECT_EQ(Num("MONTH('01-02-2003')"), kValid);
    EXPECT_EQ(Num("MONTH('2003')"), Err(kErrExpectedDate, 6));
    EXPECT_EQ(Num("MONTH(D)"), kValid);
    EXPECT_EQ(Num("MONTH('01-02-' & '2003')"), Err(kErrExpectedDate, 6));
    EXPECT_EQ(Num("HOUR('10:11:12')"), kValid);
    EXPECT_EQ(Num("HOUR(D)"), Err(kErrExpectedTime, 5));
    EXPECT_EQ(Num("DATEDIFF(D, {d '01-01-2000'})"), kValid);
    EXPECT_EQ(Check("MAKEDATE(2003, 1, 2)", kTypeDate), kValid);
    EXPECT_EQ(Check("MAKETIME(1, 2)", kTypeTime), Err(kErrExpectedExpression, 13));
}

TEST_F(Calls, NamesAndLookup) {
    EXPECT_EQ(Str("concat('A', 'B')"), kValid);
    EXPECT_EQ(last_.GetText(), "CONCAT('A', 'B')");
    EXPECT_EQ(Str("RTRIM(S)"), Err(kErrUndefinedFunction, 0));
    EXPECT_EQ(Str("SUBSTRING(S, 1, 2)"), Err(kErrUndefinedFunction, 0));
    EXPECT_EQ(Cond("{fn UCASE(B)} = 'X'"), kValid);
}

TEST_F(Iffunc, TypingRules) {
    EXPECT_EQ(Str("IFFUNC(A > 1, 'X', 'Y')"), kValid);
    EXPECT_EQ(Num("IFFUNC(A > 1, NULL, 2)"), kValid);
    EXPECT_EQ(Num("IFFUNC(A > 1, NULL, NULL)"), Err(kErrFunctionHasNoValue, 0));
    EXPECT_EQ(Num("1 + IFFUNC(A > 1, NULL, NULL)"), Err(kErrFunctionHasNoValue, 4));
    EXPECT_EQ(Str("IFFUNC(A > 1, 'X', NULL)"), kValid);
    EXPECT_EQ(Str("IFFUNC(A > 1, 'X', 2)"), Err(kErrExpectedString, 19));
    EXPECT_EQ(Num("IFFUNC(A > 1, 1, 'X')"), Err(kErrExpectedNumeric, 17));
    // A bare value is not a condition: the predicate refuses what follows it.
    EXPECT_EQ(Num("IFFUNC(A, 1, 2)"), Err(kErrInvalidOperation, 8));
    EXPECT_EQ(Num("IFFUNC((A > 1) AND (1 = 1), 1, 2)"), kValid);
    EXPECT_EQ(Num("IFFUNC(, 1, 2)"), Err(kErrExpectedBoolean, 7));
    EXPECT_EQ(Num("IFFUNC(A > 1, , 2)"), Err(kErrExpectedExpression, 14));
    // A date X type only widens to numeric; a second date is refused.
    EXPECT_EQ(Check("IFFUNC(A > 1, D, D)", kTypeDate), Err(kErrExpectedNumeric, 17));
    EXPECT_EQ(Num("IFFUNC(A > 1 AND B = 'X', A, 2)"), kValid);
    EXPECT_EQ(Cond("IFFUNC(NOT A IS NULL, A, 0) = 1"), kValid);
}

}  // namespace
}  // namespace kestra::expr::testing
