#include <gtest/gtest.h>

#include <string>

#include "expr/expression_parser.h"
#include "parser_fixture.h"

namespace kestra::expr::testing {
namespace {

using Lexer = ParserTest;
using Predicates = ParserTest;
using Arithmetic = ParserTest;
using Escapes = ParserTest;
using Classification = ParserTest;
using RequiredType = ParserTest;

TEST(ParseErrors, MessagesAndDerivedErrors) {
    EXPECT_EQ(parse_error_message(0), "No error");
    EXPECT_EQ(parse_error_message(3), "Missing closing quote");
    EXPECT_EQ(parse_error_message(16), "Expected expression");
    EXPECT_EQ(parse_error_message(23), "Function has no value");
    EXPECT_EQ(parse_error_message(24), "Invalid type");
    EXPECT_EQ(parse_error_message(-1), "Invalid type");
    EXPECT_EQ(type_error_of(kTypeNumeric), kErrExpectedNumeric);
    EXPECT_EQ(type_error_of(kTypeTimestamp), kErrExpectedTimestamp);
    EXPECT_EQ(type_error_of(kTypeBoolean), kErrInvalidType);
    EXPECT_EQ(type_error_of(kTypeNone), kErrInvalidType);
    EXPECT_EQ(literal_error_of(kTypeString), kErrExpectedStringLiteral);
    EXPECT_EQ(literal_error_of(kTypeNull), kErrInvalidType);
}

TEST(LiteralForms, DateTimeAndTimestamp) {
    EXPECT_TRUE(is_date_form("01-02-2003"));
    EXPECT_FALSE(is_date_form("1-02-2003"));
    EXPECT_FALSE(is_date_form("01-02-20031"));
    EXPECT_FALSE(is_date_form("01/02/2003"));
    EXPECT_TRUE(is_time_form("10:11:12"));
    EXPECT_FALSE(is_time_form("10:11"));
    EXPECT_TRUE(is_timestamp_form("01-02-2003-10:11:12"));
    EXPECT_TRUE(is_timestamp_form("01-02-2003T10:11:12.123456"));
    EXPECT_FALSE(is_timestamp_form("01-02-2003 10:11:12"));
    EXPECT_FALSE(is_timestamp_form("01-02-2003\t10:11:12"));
    EXPECT_FALSE(is_timestamp_form("01-02-200310:11:12"));
    EXPECT_FALSE(is_timestamp_form("01-02-2003-10:11:12."));
    EXPECT_FALSE(is_timestamp_form("01-02-2003-10:11:12.1x"));
    EXPECT_FALSE(is_timestamp_form(""));
}

TEST_F(Lexer, StringLiteralsAndQuotes) {
    EXPECT_EQ(Str("'it''s'"), kValid);
    EXPECT_TRUE(last_.IsLiteral());
    EXPECT_EQ(last_.GetLiteralText(), "'it''s'");
    EXPECT_EQ(Str("'abc"), Err(kErrMissingQuote, 4));
    EXPECT_EQ(Str("''"), kValid);
    EXPECT_EQ(last_.GetLiteralText(), "''");
}

TEST_F(Lexer, Numbers) {
    EXPECT_EQ(Num("1.5E+10"), kValid);
    EXPECT_EQ(last_.GetLiteralText(), "1.5E10");
    EXPECT_EQ(Num("1.5E-10"), kValid);
    EXPECT_EQ(last_.GetLiteralText(), "1.5E-10");
    EXPECT_EQ(Num("2E 7"), kValid);
    EXPECT_EQ(last_.GetLiteralText(), "2E7");
    EXPECT_EQ(Num("12."), kValid);
    EXPECT_EQ(last_.GetLiteralText(), "12.");
    EXPECT_EQ(Num("1.5E"), Err(kErrUnexpectedChar, 4));
    EXPECT_EQ(Num("1.5E+x"), Err(kErrUnexpectedChar, 5));
    // A lower-case e ends the number; E5 is then a name left over.
    EXPECT_EQ(Num("1e5"), Err(kErrUnexpectedChar, 1));
}

TEST_F(Lexer, NamesAreUpperCasedInPlace) {
    EXPECT_EQ(Cond("a.b = 1"), kValid);
    EXPECT_EQ(last_.GetText(), "A.B = 1");
    EXPECT_EQ(Cond("\"my field\" = 'x'"), kValid);
    EXPECT_EQ(last_.GetText(), "\"MY FIELD\" = 'x'");
    EXPECT_EQ(Cond("\"my field = 'x'"), Err(kErrMissingQuote, 15));
    EXPECT_EQ(Cond("a is not null"), kValid);
    EXPECT_EQ(last_.GetText(), "A IS NOT NULL");
}

TEST_F(Lexer, UnexpectedCharacters) {
    EXPECT_EQ(Cond("A = 1 ; B"), Err(kErrUnexpectedChar, 6));
    EXPECT_EQ(Cond("A = \xC3\xA9"), Err(kErrUnexpectedChar, 4));
    EXPECT_EQ(Cond("A = 1 }"), Err(kErrUnexpectedChar, 6));
    EXPECT_EQ(Cond("A <= 1"), kValid);
    EXPECT_EQ(Cond("A <> 1"), kValid);
    EXPECT_EQ(Cond("A >= 1"), kValid);
    EXPECT_EQ(Cond("A\t<\r\n1"), kValid);
}

TEST_F(Predicates, ComparisonsAndConnectives) {
    EXPECT_EQ(Cond("A = 1 AND B = 'X'"), kValid);
    EXPECT_EQ(Cond("A = 'X'"), Err(kErrExpectedNumeric, 4));
    EXPECT_EQ(Cond("A = 1 OR B = 'X' AND NOT S = 'Y'"), kValid);
    EXPECT_EQ(Cond("A = 1 AND 2"), Err(kErrInvalidOperation, 11));
    EXPECT_EQ(Cond("A = 1 OR (B)"), Err(kErrInvalidOperation, 11));
    EXPECT_EQ(Cond("NOT (A = 1)"), kValid);
    EXPECT_EQ(Cond("(A = 1"), Err(kErrMissingCloseParen, 6));
    EXPECT_EQ(Cond("()"), Err(kErrExpectedBoolean, 1));
    EXPECT_EQ(Cond("A NOT = 1"), kValid);
    EXPECT_EQ(Cond("A = "), Err(kErrExpectedNumeric, 4));
    EXPECT_EQ(Cond("A ="), Err(kErrExpectedNumeric, 3));
}

TEST_F(Predicates, BareOperandIsNotACondition) {
    EXPECT_EQ(Cond("A"), Err(kErrInvalidOperation, 1));
    EXPECT_EQ(Cond("(A + 1) > 2"), Err(kErrInvalidOperation, 6));
    EXPECT_EQ(Cond(""), Err(kErrInvalidType, 0));
}

TEST_F(Predicates, IsNull) {
    EXPECT_EQ(Cond("A NOT IS NULL"), Err(kErrInvalidOperation, 6));
    EXPECT_EQ(Cond("A IS NOT NULL"), kValid);
    EXPECT_EQ(Cond("NOT A IS NULL"), kValid);
    EXPECT_EQ(Cond("A + 1 IS NULL"), Err(kErrInvalidOperation, 6));
    EXPECT_EQ(Cond("1 * A IS NULL"), Err(kErrInvalidOperation, 6));
    EXPECT_EQ(Cond("1 IS NULL"), Err(kErrInvalidOperation, 2));
    EXPECT_EQ(Cond("A IS 1"), Err(kErrExpectedNull, 5));
}

TEST_F(Predicates, Like) {
    EXPECT_EQ(Cond("B LIKE 'A%'"), kValid);
    EXPECT_EQ(Cond("A NOT LIKE 'A%'"), kValid);  // the left type is not checked
    EXPECT_EQ(Cond("B LIKE S"), Err(kErrExpectedString, 7));
}

TEST_F(Predicates, InList) {
    EXPECT_EQ(Cond("A IN (1, 2, 3)"), kValid);
    EXPECT_EQ(Cond("A IN (1, 'X')"), Err(kErrExpectedNumericLiteral, 9));
    EXPECT_EQ(Cond("A IN 1"), Err(kErrMissingOpenParen, 5));
    EXPECT_EQ(Cond("A NOT IN (-1, +2)"), kValid);
    EXPECT_EQ(Cond("A IN (1 2)"), Err(kErrMissingCloseParen, 8));
    EXPECT_EQ(Cond("A IN (B)"), Err(kErrExpectedNumericLiteral, 6));
    EXPECT_EQ(Cond("A IN ()"), Err(kErrExpectedNumericLiteral, 6));
    EXPECT_EQ(Cond("A IN (- B)"), Err(kErrExpectedNumeric, 8));
    EXPECT_EQ(Cond("B IN ('X', 1)"), Err(kErrExpectedStringLiteral, 11));
    EXPECT_EQ(Cond("D IN ('01-02-2003', '1-2-3')"), Err(kErrExpectedDateLiteral, 20));
}

TEST_F(Predicates, Between) {
    EXPECT_EQ(Cond("A BETWEEN 1 AND 5"), kValid);
    EXPECT_EQ(Cond("A BETWEEN 1 OR 5"), Err(kErrInvalidOperation, 12));
    EXPECT_EQ(Cond("A NOT BETWEEN 1 AND 'X'"), Err(kErrExpectedNumeric, 20));
    EXPECT_EQ(Cond("D BETWEEN '01-02-2003' AND {d '03-04-2005'}"), kValid);
    EXPECT_EQ(Cond("A BETWEEN 1 AND 5 AND B = 'X'"), kValid);
}

TEST_F(Predicates, DateLiteralAllowanceOnlyOnTheRight) {
    EXPECT_EQ(Cond("D = '01-02-2003'"), kValid);
    EXPECT_EQ(Cond("D = '1-02-2003'"), Err(kErrExpectedDate, 4));
    EXPECT_EQ(Cond("'01-02-2003' = D"), Err(kErrExpectedString, 15));
    EXPECT_EQ(Cond("T > '10:11:12'"), kValid);
    EXPECT_EQ(Cond("TS < '01-02-2003-10:11:12.5'"), kValid);
    EXPECT_EQ(Cond("TS < '01-02-2003 10:11:12'"), Err(kErrExpectedTimestamp, 5));
    EXPECT_EQ(Cond("D = '01-02-' & '2003'"), Err(kErrExpectedDate, 4));
    EXPECT_EQ(Cond("NULL = NULL"), kValid);
    EXPECT_EQ(Cond("A = NULL"), Err(kErrExpectedNumeric, 4));
}

TEST_F(Predicates, NestingIsBounded) {
    std::string ok = "A = " + std::string(200, '(') + "1" + std::string(200, ')');
    EXPECT_EQ(Cond(ok), kValid);
    std::string deep = "A = " + std::string(201, '(') + "1" + std::string(201, ')');
    EXPECT_EQ(Cond(deep), Err(kErrInvalidOperation, 204));
    std::string groups = std::string(201, '(') + "A = 1" + std::string(201, ')');
    EXPECT_EQ(Cond(groups), Err(kErrInvalidOperation, 200));
    std::string calls;
    for (int i = 0; i < 300; ++i) calls += "ABS(";
    EXPECT_EQ(Num(calls), Err(kErrUndefinedFunction, 0));
    std::string floors;
    for (int i = 0; i < 201; ++i) floors += "FLOOR(";
    EXPECT_EQ(Num(floors + "1" + std::string(201, ')')), Err(kErrInvalidOperation, 1205));
}

TEST_F(Arithmetic, OperatorFamilies) {
    EXPECT_EQ(Num("A + 1 - 2 * 3 / A"), kValid);
    EXPECT_EQ(Str("B & 'X' & S"), kValid);
    EXPECT_EQ(Num("B + 1"), Err(kErrInvalidOperation, 2));
    EXPECT_EQ(Num("A + B"), Err(kErrExpectedNumeric, 4));
    EXPECT_EQ(Str("A & B"), Err(kErrInvalidOperation, 2));
    EXPECT_EQ(Str("B & A"), Err(kErrExpectedString, 4));
    EXPECT_EQ(Num("B * 2"), Err(kErrInvalidOperation, 2));
    EXPECT_EQ(Num("A * B"), Err(kErrExpectedNumeric, 4));
    EXPECT_EQ(Num("A +"), Err(kErrExpectedNumeric, 3));
    // A "&" after a "+" chain ends the value.
    EXPECT_EQ(Num("A + 1 & B"), Err(kErrUnexpectedChar, 6));
    EXPECT_EQ(Num("-B"), Err(kErrExpectedNumeric, 1));
    EXPECT_EQ(Num("- A"), kValid);
}

TEST_F(Arithmetic, Parentheses) {
    EXPECT_EQ(Num("(A + 1) * 2"), kValid);
    EXPECT_EQ(Num("()"), Err(kErrExpectedExpression, 1));
    EXPECT_EQ(Num("(A + 1"), Err(kErrMissingCloseParen, 6));
    EXPECT_EQ(Cond("A = (1 + 2)"), kValid);
}

TEST_F(Escapes, DateTimeTimestampAndFunctions) {
    EXPECT_EQ(Check("{d '01-02-2003'}", kTypeDate), kValid);
    EXPECT_EQ(last_.GetCurrentType(), kTypeDate);
    EXPECT_FALSE(last_.IsLiteral());
    EXPECT_EQ(Check("{d 'x'}", kTypeDate), Err(kErrExpectedDateLiteral, 3));
    EXPECT_EQ(Check("{d 1}", kTypeDate), Err(kErrExpectedDateLiteral, 3));
    EXPECT_EQ(Num("{x 1}"), Err(kErrUnexpectedChar, 1));
    EXPECT_EQ(Num("{1}"), Err(kErrUnexpectedChar, 1));
    EXPECT_EQ(Check("{t '10:11:12'}", kTypeTime), kValid);
    EXPECT_EQ(Check("{t '10:11'}", kTypeTime), Err(kErrExpectedTimeLiteral, 3));
    EXPECT_EQ(Check("{ts '01-02-2003-10:11:12'}", kTypeTimestamp), kValid);
    EXPECT_EQ(Check("{ts '01-02-2003'}", kTypeTimestamp), Err(kErrExpectedTimestampLiteral, 4));
    EXPECT_EQ(Check("{d '01-02-2003'", kTypeDate), Err(kErrMissingCloseBrace, 15));
    EXPECT_EQ(Check("{fn NOW()}", kTypeTimestamp), kValid);
    EXPECT_EQ(Num("{fn 1}"), Err(kErrUndefinedFunction, 4));
    EXPECT_EQ(Num("{fn XYZ()}"), Err(kErrUndefinedFunction, 4));
    EXPECT_EQ(Cond("D < {fn CURDATE()}"), kValid);
}

TEST_F(Escapes, NamesAndFunctionsResolution) {
    EXPECT_EQ(Num("xyz(1)"), Err(kErrUndefinedFunction, 0));
    EXPECT_EQ(Num("xyz"), Err(kErrUndefinedField, 0));
    EXPECT_EQ(Cond("MONTH = 1"), Err(kErrMissingOpenParen, 6));
}

TEST_F(RequiredType, CompatibilityAtTheEnd) {
    EXPECT_EQ(Check("1", kTypeNone), Err(kErrInvalidType, 0));
    EXPECT_EQ(Check("A + 1", kTypeNone), Err(kErrInvalidType, 0));
    EXPECT_EQ(Check("'X'", kTypeNone), Err(kErrInvalidType, 0));
    EXPECT_EQ(Str("  A"), Err(kErrExpectedString, 2));
    EXPECT_EQ(Check("'01-02-2003'", kTypeDate), kValid);
    EXPECT_EQ(Check("'01-02-2003' & ''", kTypeDate), Err(kErrExpectedDate, 0));
    EXPECT_EQ(Check("D", kTypeDate), kValid);
    EXPECT_EQ(Check("T", kTypeTimestamp), Err(kErrExpectedTimestamp, 0));
    EXPECT_EQ(Num("NULL"), Err(kErrExpectedNumeric, 0));
    EXPECT_EQ(Num(""), Err(kErrExpectedNumeric, 0));
    EXPECT_EQ(Num("A = 1"), Err(kErrUnexpectedChar, 2));
}

TEST_F(Classification, WholeTextLiteralsAndFields) {
    EXPECT_EQ(Num("-5"), kValid);
    EXPECT_TRUE(last_.IsLiteral());
    EXPECT_EQ(last_.GetLiteralText(), "-5");
    EXPECT_EQ(Num("+5"), kValid);
    EXPECT_EQ(last_.GetLiteralText(), "+5");
    EXPECT_EQ(Num("id"), kValid);
    EXPECT_TRUE(last_.IsField());
    EXPECT_EQ(last_.GetFieldText(), "ID");
    EXPECT_EQ(last_.GetFieldIndex(), 9);
    EXPECT_FALSE(last_.IsLiteral());
    EXPECT_EQ(last_.GetLiteralText(), "");

    for (const char* text : {"-ID", "A * ID", "5 * 2", "2 * A", "(5)", "1 + 2", "A + 1", "FLOOR(1)"}) {
        EXPECT_EQ(Num(text), kValid) << text;
        EXPECT_FALSE(last_.IsLiteral()) << text;
        EXPECT_FALSE(last_.IsField()) << text;
        EXPECT_EQ(last_.GetLiteralText(), "") << text;
        EXPECT_EQ(last_.GetFieldText(), "") << text;
    }
    EXPECT_EQ(Str("B & 'X'"), kValid);
    EXPECT_FALSE(last_.IsLiteral());
    EXPECT_EQ(Cond("A = 1"), kValid);
    EXPECT_FALSE(last_.IsLiteral());
    EXPECT_FALSE(last_.IsField());
}

TEST_F(Classification, FailedCheckClearsEverything) {
    EXPECT_EQ(Num("A +"), Err(kErrExpectedNumeric, 3));
    EXPECT_FALSE(last_.IsField());
    EXPECT_EQ(last_.GetCurrentType(), kTypeError);
    EXPECT_EQ(last_.GetErrorMessage(), "Expected numeric");
    // A later check of a good text starts from a reset.
    last_.SetText("A");
    EXPECT_EQ(last_.Parse(), 1);
    EXPECT_EQ(last_.GetErrorCode(), kErrNone);
    EXPECT_EQ(last_.GetCurrentType(), kTypeNumeric);
}

TEST(FieldList, AddRemoveAndBounds) {
    CExpressionParser p("X", kTypeNumeric);
    EXPECT_FALSE(p.IsSearchCondition());
    EXPECT_EQ(p.GetRequiredType(), kTypeNumeric);
    EXPECT_EQ(p.AddField("A", kTypeNumeric), 0);
    EXPECT_EQ(p.AddField("X", kTypeString), 1);
    EXPECT_EQ(p.AddField("X", kTypeNumeric), 2);
    EXPECT_EQ(p.GetFieldCount(), 3);
    // The first match in list order wins.
    EXPECT_EQ(p.Parse(), 0);
    EXPECT_EQ(p.GetErrorCode(), kErrExpectedNumeric);
    p.RemoveFields(1, 1);
    EXPECT_EQ(p.Parse(), 1);
    EXPECT_EQ(p.GetFieldName(1), "X");
    EXPECT_EQ(p.GetFieldName(5), "");
    EXPECT_EQ(p.GetFieldType(-1), kTypeNone);
    p.RemoveFields(1, 100);
    EXPECT_EQ(p.GetFieldCount(), 1);
    p.RemoveFields(-3, 2);
    p.RemoveFields(7, 1);
    EXPECT_EQ(p.GetFieldCount(), 1);
    p.RemoveAllFields();
    EXPECT_EQ(p.GetFieldCount(), 0);
    EXPECT_EQ(p.Parse(), 0);
    EXPECT_EQ(p.GetErrorCode(), kErrUndefinedField);
}

}  // namespace
}  // namespace kestra::expr::testing
