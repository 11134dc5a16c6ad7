#include "expr/expr_types.h"

#include <array>

namespace kestra::expr {

namespace {

constexpr std::array<std::string_view, kParseErrorCount> kMessages = {
    "No error",
    "Invalid type",
    "Invalid operation",
    "Missing closing quote",
    "Unexpected character",
    "Undefined function",
    "Undefined field",
    "Missing opening paren",
    "Missing closing paren",
    "Missing closing brace",
    "Expected numeric",
    "Expected string",
    "Expected date",
    "Expected time",
    "Expected timestamp",
    "Expected boolean",
    "Expected expression",
    "Expected NULL",
    "Expected numeric literal",
    "Expected string literal",
    "Expected date literal",
    "Expected time literal",
    "Expected timestamp literal",
    "Function has no value",
};

bool digits_at(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos + count > text.size()) return false;
    for (std::size_t i = 0; i < count; ++i)
        if (!is_ascii_digit(text[pos + i])) return false;
    return true;
}

// "dd-dd-dddd" at the start of text; the caller decides what may follow.
bool date_part(std::string_view text) {
    return digits_at(text, 0, 2) && text.size() > 2 && text[2] == '-' && digits_at(text, 3, 2) && text.size() > 5 &&
           text[5] == '-' && digits_at(text, 6, 4);
}

bool time_part(std::string_view text) {
    return digits_at(text, 0, 2) && text.size() > 2 && text[2] == ':' && digits_at(text, 3, 2) && text.size() > 5 &&
           text[5] == ':' && digits_at(text, 6, 2);
}

}  // namespace

std::string_view parse_error_message(int code) {
    if (code < 0 || code >= kParseErrorCount) return kMessages[kErrInvalidType];
    return kMessages[static_cast<std::size_t>(code)];
}

int type_error_of(int type) {
    if (type >= kTypeNumeric && type <= kTypeTimestamp) return kErrExpectedNumeric + (type - kTypeNumeric);
    return kErrInvalidType;
}

int literal_error_of(int type) {
    if (type >= kTypeNumeric && type <= kTypeTimestamp) return kErrExpectedNumericLiteral + (type - kTypeNumeric);
    return kErrInvalidType;
}

bool is_date_form(std::string_view text) { return text.size() == 10 && date_part(text); }

bool is_time_form(std::string_view text) { return text.size() == 8 && time_part(text); }

// Which separator goes between date and time is not settled, so exactly one character that is not white space is
// accepted there: "01-02-2003-10:11:12" and "01-02-2003T10:11:12" pass, "01-02-2003 10:11:12" does not.
bool is_timestamp_form(std::string_view text) {
    if (text.size() < 19 || !date_part(text) || is_blank_char(text[10])) return false;
    if (!time_part(text.substr(11))) return false;
    if (text.size() == 19) return true;
    if (text[19] != '.' || text.size() == 20) return false;
    for (std::size_t i = 20; i < text.size(); ++i)
        if (!is_ascii_digit(text[i])) return false;
    return true;
}

bool equals_ignore_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
    return true;
}

}  // namespace kestra::expr
