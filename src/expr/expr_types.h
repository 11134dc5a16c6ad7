#pragma once

#include <string_view>

namespace kestra::expr {

// Value types of the expression language; callers store them as plain integers.
enum ExprType : int {
    kTypeNone = 0,
    kTypeNull = 1,
    kTypeBoolean = 2,
    kTypeNumeric = 3,
    kTypeString = 4,
    kTypeDate = 5,
    kTypeTime = 6,
    kTypeTimestamp = 7,
    kTypeAny = 8,    // only as a function result: the type of its X arguments
    kTypeError = 9,  // current type after a failed check
};

enum TokenKind : int {
    kTokEnd = 0,
    kTokNumber = 1,
    kTokName = 2,
    kTokString = 3,
    kTokConcat = 4,
    kTokPlus = 5,
    kTokMinus = 6,
    kTokLessEqual = 7,
    kTokNotEqual = 8,
    kTokLess = 9,
    kTokGreaterEqual = 10,
    kTokGreater = 11,
    kTokEqual = 12,
    kTokTimes = 13,
    kTokDivide = 14,
    kTokLeftBrace = 15,
    kTokRightBrace = 16,
    kTokLeftParen = 17,
    kTokRightParen = 18,
    kTokAnd = 19,
    kTokOr = 20,
    kTokNot = 21,
    kTokComma = 22,
    kTokNull = 23,
    kTokIs = 24,
    kTokBetween = 25,
    kTokLike = 26,
    kTokIn = 27,
};

enum ParseErrorCode : int {
    kErrNone = 0,
    kErrInvalidType = 1,
    kErrInvalidOperation = 2,
    kErrMissingQuote = 3,
    kErrUnexpectedChar = 4,
    kErrUndefinedFunction = 5,
    kErrUndefinedField = 6,
    kErrMissingOpenParen = 7,
    kErrMissingCloseParen = 8,
    kErrMissingCloseBrace = 9,
    kErrExpectedNumeric = 10,
    kErrExpectedString = 11,
    kErrExpectedDate = 12,
    kErrExpectedTime = 13,
    kErrExpectedTimestamp = 14,
    kErrExpectedBoolean = 15,
    kErrExpectedExpression = 16,
    kErrExpectedNull = 17,
    kErrExpectedNumericLiteral = 18,
    kErrExpectedStringLiteral = 19,
    kErrExpectedDateLiteral = 20,
    kErrExpectedTimeLiteral = 21,
    kErrExpectedTimestampLiteral = 22,
    kErrFunctionHasNoValue = 23,
};

constexpr int kParseErrorCount = 24;

// Message of an error code; codes outside the table read as "Invalid type" rather than past its end.
std::string_view parse_error_message(int code);

// Code 10..14 for numeric..timestamp, "Invalid type" for any other type.
int type_error_of(int type);
// Code 18..22 for numeric..timestamp, "Invalid type" for any other type.
int literal_error_of(int type);

// Date-time literal forms, checked for digit counts only.
bool is_date_form(std::string_view text);
bool is_time_form(std::string_view text);
bool is_timestamp_form(std::string_view text);

// White space as the lexer skips it: blank, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool is_blank_char(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
constexpr bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }
constexpr bool is_ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
constexpr char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool equals_ignore_case(std::string_view a, std::string_view b);

}  // namespace kestra::expr
