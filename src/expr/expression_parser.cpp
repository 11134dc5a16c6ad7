#include "expr/expression_parser.h"

#include <limits>
#include <utility>

#include "expr/function_catalogue.h"
#include "expr/parse_exception.h"

namespace kestra::expr {

namespace {

unsigned column_of(std::size_t pos) {
    return pos > std::numeric_limits<unsigned>::max() ? std::numeric_limits<unsigned>::max()
                                                      : static_cast<unsigned>(pos);
}

int keyword_kind(std::string_view name) {
    struct Keyword {
        std::string_view text;
        int kind;
    };
    static constexpr Keyword kKeywords[] = {
        {"NOT", kTokNot},         {"AND", kTokAnd},   {"OR", kTokOr}, {"NULL", kTokNull},
        {"IS", kTokIs},           {"BETWEEN", kTokBetween}, {"LIKE", kTokLike}, {"IN", kTokIn},
    };
    for (const Keyword& k : kKeywords)
        if (equals_ignore_case(k.text, name)) return k.kind;
    return kTokName;
}

bool is_comparison(int kind) {
    return kind == kTokLess || kind == kTokGreater || kind == kTokLessEqual || kind == kTokGreaterEqual ||
           kind == kTokEqual || kind == kTokNotEqual;
}

}  // namespace

CExpressionParser::CExpressionParser(std::string text, int required_type)
    : text_(std::move(text)), required_type_(required_type) {
    Reset();
}

void CExpressionParser::SetText(std::string text) {
    text_ = std::move(text);
    Reset();
}

int CExpressionParser::AddField(std::string name, int type) {
    fields_.push_back(Field{std::move(name), type});
    return static_cast<int>(fields_.size()) - 1;
}

std::string CExpressionParser::GetFieldName(int index) const {
    if (index < 0 || index >= GetFieldCount()) return {};
    return fields_[static_cast<std::size_t>(index)].name;
}

int CExpressionParser::GetFieldType(int index) const {
    if (index < 0 || index >= GetFieldCount()) return kTypeNone;
    return fields_[static_cast<std::size_t>(index)].type;
}

void CExpressionParser::RemoveFields(int first, int count) {
    if (first < 0 || count <= 0 || first >= GetFieldCount()) return;
    auto begin = fields_.begin() + first;
    auto end = count >= GetFieldCount() - first ? fields_.end() : begin + count;
    fields_.erase(begin, end);
}

void CExpressionParser::Reset() {
    read_pos_ = 0;
    token_kind_ = kTokEnd;
    token_column_ = 0;
    token_text_.clear();
    error_code_ = kErrNone;
    error_column_ = 0;
    current_type_ = kTypeNone;
    literal_flag_ = 0;
    field_flag_ = 0;
    literal_text_.clear();
    literal_raw_.clear();
    field_text_.clear();
    field_index_ = -1;
    depth_ = 0;
}

void CExpressionParser::Fail(int code, unsigned column) { throw CParseException(code, column); }

int CExpressionParser::Parse() {
    Reset();
    try {
        NextToken();
        const unsigned start_column = token_column_;
        if (required_type_ == kTypeBoolean)
            Condition();
        else
            Value();
        if (token_kind_ != kTokEnd) Fail(kErrUnexpectedChar, token_column_);
        if (!Compatible(current_type_, required_type_)) Fail(type_error_of(required_type_), start_column);
        error_code_ = kErrNone;
        error_column_ = 0;
        return 1;
    } catch (const CParseException& e) {
        error_code_ = e.code();
        error_column_ = e.column();
        current_type_ = kTypeError;
        ClearFlags();
        return 0;
    }
}

// ---- lexer ----

void CExpressionParser::NextToken() {
    const std::size_t n = text_.size();
    while (read_pos_ < n && is_blank_char(text_[read_pos_])) ++read_pos_;
    token_column_ = column_of(read_pos_);
    token_text_.clear();
    if (read_pos_ >= n) {
        token_kind_ = kTokEnd;
        return;
    }
    const char c = text_[read_pos_];
    switch (c) {
        case '&': token_kind_ = kTokConcat; ++read_pos_; return;
        case '(': token_kind_ = kTokLeftParen; ++read_pos_; return;
        case ')': token_kind_ = kTokRightParen; ++read_pos_; return;
        case '*': token_kind_ = kTokTimes; ++read_pos_; return;
        case '+': token_kind_ = kTokPlus; ++read_pos_; return;
        case ',': token_kind_ = kTokComma; ++read_pos_; return;
        case '-': token_kind_ = kTokMinus; ++read_pos_; return;
        case '/': token_kind_ = kTokDivide; ++read_pos_; return;
        case '=': token_kind_ = kTokEqual; ++read_pos_; return;
        case '{': token_kind_ = kTokLeftBrace; ++read_pos_; return;
        case '}': token_kind_ = kTokRightBrace; ++read_pos_; return;
        case '<':
            ++read_pos_;
            if (read_pos_ < n && text_[read_pos_] == '=') {
                token_kind_ = kTokLessEqual;
                ++read_pos_;
            } else if (read_pos_ < n && text_[read_pos_] == '>') {
                token_kind_ = kTokNotEqual;
                ++read_pos_;
            } else {
                token_kind_ = kTokLess;
            }
            return;
        case '>':
            ++read_pos_;
            if (read_pos_ < n && text_[read_pos_] == '=') {
                token_kind_ = kTokGreaterEqual;
                ++read_pos_;
            } else {
                token_kind_ = kTokGreater;
            }
            return;
        default: break;
    }

    if (c == '\'') {
        ++read_pos_;
        for (;;) {
            if (read_pos_ >= n) Fail(kErrMissingQuote, column_of(n));
            const char ch = text_[read_pos_++];
            if (ch == '\'') {
                if (read_pos_ < n && text_[read_pos_] == '\'') {
                    token_text_ += '\'';
                    ++read_pos_;
                    continue;
                }
                break;
            }
            token_text_ += ch;
        }
        token_kind_ = kTokString;
        return;
    }

    if (is_ascii_letter(c) || c == '"') {
        while (read_pos_ < n) {
            char& ch = text_[read_pos_];
            if (ch == '"') {
                ++read_pos_;
                for (;;) {
                    if (read_pos_ >= n) Fail(kErrMissingQuote, column_of(n));
                    char& q = text_[read_pos_];
                    ++read_pos_;
                    if (q == '"') break;
                    q = ascii_upper(q);
                    token_text_ += q;
                }
            } else if (is_ascii_letter(ch) || is_ascii_digit(ch) || ch == '_' || ch == '.') {
                ch = ascii_upper(ch);
                token_text_ += ch;
                ++read_pos_;
            } else {
                break;
            }
        }
        token_kind_ = keyword_kind(token_text_);
        return;
    }

    if (is_ascii_digit(c)) {
        while (read_pos_ < n && is_ascii_digit(text_[read_pos_])) token_text_ += text_[read_pos_++];
        if (read_pos_ < n && text_[read_pos_] == '.') {
            token_text_ += text_[read_pos_++];
            while (read_pos_ < n && is_ascii_digit(text_[read_pos_])) token_text_ += text_[read_pos_++];
        }
        if (read_pos_ < n && text_[read_pos_] == 'E') {
            token_text_ += text_[read_pos_++];
            while (read_pos_ < n && is_blank_char(text_[read_pos_])) ++read_pos_;
            if (read_pos_ < n && (text_[read_pos_] == '-' || text_[read_pos_] == '+')) {
                if (text_[read_pos_] == '-') token_text_ += '-';
                ++read_pos_;
            }
            if (read_pos_ >= n || !is_ascii_digit(text_[read_pos_])) Fail(kErrUnexpectedChar, column_of(read_pos_));
            while (read_pos_ < n && is_ascii_digit(text_[read_pos_])) token_text_ += text_[read_pos_++];
        }
        token_kind_ = kTokNumber;
        return;
    }

    Fail(kErrUnexpectedChar, column_of(read_pos_));
}

// ---- grammar ----

void CExpressionParser::ClearFlags() {
    literal_flag_ = 0;
    field_flag_ = 0;
}

void CExpressionParser::EnterParen(unsigned column) {
    if (depth_ >= kMaxNesting) Fail(kErrInvalidOperation, column);
    ++depth_;
}

bool CExpressionParser::Compatible(int type, int required) const {
    const bool bare_string = literal_flag_ && type == kTypeString;
    switch (required) {
        case kTypeDate: return type == kTypeDate || (bare_string && is_date_form(literal_raw_));
        case kTypeTime: return type == kTypeTime || (bare_string && is_time_form(literal_raw_));
        case kTypeTimestamp: return type == kTypeTimestamp || (bare_string && is_timestamp_form(literal_raw_));
        default: return type == required;
    }
}

void CExpressionParser::Condition() {
    AndCondition();
    if (current_type_ != kTypeBoolean) return;
    while (token_kind_ == kTokOr) {
        NextToken();
        const unsigned column = token_column_;
        AndCondition();
        if (current_type_ != kTypeBoolean) Fail(kErrExpectedBoolean, column);
    }
    current_type_ = kTypeBoolean;
}

void CExpressionParser::AndCondition() {
    NotCondition();
    if (current_type_ != kTypeBoolean) return;
    while (token_kind_ == kTokAnd) {
        NextToken();
        const unsigned column = token_column_;
        NotCondition();
        if (current_type_ != kTypeBoolean) Fail(kErrExpectedBoolean, column);
    }
    current_type_ = kTypeBoolean;
}

void CExpressionParser::NotCondition() {
    if (token_kind_ != kTokNot) {
        Group();
        return;
    }
    NextToken();
    const unsigned column = token_column_;
    Group();
    if (current_type_ != kTypeBoolean) Fail(kErrExpectedBoolean, column);
    ClearFlags();
}

void CExpressionParser::Group() {
    if (token_kind_ != kTokLeftParen) {
        Predicate();
        return;
    }
    EnterParen(token_column_);
    NextToken();
    const unsigned inside = token_column_;
    Condition();
    if (token_kind_ != kTokRightParen) Fail(kErrMissingCloseParen, token_column_);
    if (current_type_ != kTypeBoolean) Fail(kErrExpectedBoolean, inside);
    --depth_;
    NextToken();
    ClearFlags();
}

void CExpressionParser::Predicate() {
    Value();
    const int left = current_type_;
    if (left == kTypeNone) return;
    bool negated = false;
    if (token_kind_ == kTokNot) {
        negated = true;
        NextToken();
    }
    const int op = token_kind_;
    const unsigned op_column = token_column_;
    if (op == kTokIs) {
        if (!field_flag_ || negated) Fail(kErrInvalidOperation, op_column);
        NextToken();
        if (token_kind_ == kTokNot) NextToken();
        if (token_kind_ != kTokNull) Fail(kErrExpectedNull, token_column_);
        NextToken();
    } else if (op == kTokLike) {
        NextToken();
        if (token_kind_ != kTokString) Fail(kErrExpectedString, token_column_);
        NextToken();
    } else if (op == kTokIn) {
        NextToken();
        if (token_kind_ != kTokLeftParen) Fail(kErrMissingOpenParen, token_column_);
        NextToken();
        for (;;) {
            const unsigned column = token_column_;
            Literal();
            if (!literal_flag_ || !Compatible(current_type_, left)) Fail(literal_error_of(left), column);
            if (token_kind_ == kTokComma) {
                NextToken();
                continue;
            }
            if (token_kind_ == kTokRightParen) break;
            Fail(kErrMissingCloseParen, token_column_);
        }
        NextToken();
    } else if (op == kTokBetween) {
        NextToken();
        unsigned column = token_column_;
        Value();
        if (!Compatible(current_type_, left)) Fail(type_error_of(left), column);
        if (token_kind_ != kTokAnd) Fail(kErrInvalidOperation, token_column_);
        NextToken();
        column = token_column_;
        Value();
        if (!Compatible(current_type_, left)) Fail(type_error_of(left), column);
    } else if (is_comparison(op)) {
        NextToken();
        const unsigned column = token_column_;
        Value();
        if (!Compatible(current_type_, left)) Fail(type_error_of(left), column);
    } else {
        Fail(kErrInvalidOperation, op_column);
    }
    current_type_ = kTypeBoolean;
    ClearFlags();
}

void CExpressionParser::Value() {
    Term();
    if (current_type_ == kTypeNone) return;
    if (token_kind_ == kTokPlus || token_kind_ == kTokMinus) {
        if (current_type_ != kTypeNumeric) Fail(kErrInvalidOperation, token_column_);
        while (token_kind_ == kTokPlus || token_kind_ == kTokMinus) {
            NextToken();
            const unsigned column = token_column_;
            Term();
            if (current_type_ != kTypeNumeric) Fail(kErrExpectedNumeric, column);
            ClearFlags();
        }
        current_type_ = kTypeNumeric;
    } else if (token_kind_ == kTokConcat) {
        if (current_type_ != kTypeString) Fail(kErrInvalidOperation, token_column_);
        while (token_kind_ == kTokConcat) {
            NextToken();
            const unsigned column = token_column_;
            Term();
            if (current_type_ != kTypeString) Fail(kErrExpectedString, column);
            ClearFlags();
        }
        current_type_ = kTypeString;
    }
}

void CExpressionParser::Term() {
    Unary();
    if (token_kind_ != kTokTimes && token_kind_ != kTokDivide) return;
    if (current_type_ != kTypeNumeric) Fail(kErrInvalidOperation, token_column_);
    while (token_kind_ == kTokTimes || token_kind_ == kTokDivide) {
        NextToken();
        const unsigned column = token_column_;
        Unary();
        if (current_type_ != kTypeNumeric) Fail(kErrExpectedNumeric, column);
        ClearFlags();
    }
    current_type_ = kTypeNumeric;
}

void CExpressionParser::Unary() {
    if (token_kind_ != kTokPlus && token_kind_ != kTokMinus) {
        Primary();
        return;
    }
    const char sign = token_kind_ == kTokPlus ? '+' : '-';
    NextToken();
    if (token_kind_ == kTokNumber) {
        literal_text_.assign(1, sign);
        literal_text_ += token_text_;
        literal_raw_.clear();
        literal_flag_ = 1;
        field_flag_ = 0;
        current_type_ = kTypeNumeric;
        NextToken();
        return;
    }
    const unsigned column = token_column_;
    Primary();
    if (current_type_ != kTypeNumeric) Fail(kErrExpectedNumeric, column);
    ClearFlags();
}

void CExpressionParser::Literal() {
    if (token_kind_ == kTokNumber) {
        literal_text_ = token_text_;
        literal_raw_.clear();
        current_type_ = kTypeNumeric;
    } else if (token_kind_ == kTokString) {
        literal_raw_ = token_text_;
        std::string quoted(1, '\'');
        quoted.reserve(token_text_.size() + 2);
        for (char c : token_text_) {
            quoted += c;
            if (c == '\'') quoted += '\'';
        }
        quoted += '\'';
        literal_text_ = std::move(quoted);
        current_type_ = kTypeString;
    } else if (token_kind_ == kTokPlus || token_kind_ == kTokMinus) {
        const char sign = token_kind_ == kTokPlus ? '+' : '-';
        NextToken();
        if (token_kind_ != kTokNumber) Fail(kErrExpectedNumeric, token_column_);
        literal_text_.assign(1, sign);
        literal_text_ += token_text_;
        literal_raw_.clear();
        current_type_ = kTypeNumeric;
    } else {
        // Not a literal at all: the caller reports the literal error it expects.
        current_type_ = kTypeNone;
        ClearFlags();
        return;
    }
    literal_flag_ = 1;
    field_flag_ = 0;
    NextToken();
}

void CExpressionParser::Primary() {
    switch (token_kind_) {
        case kTokNumber:
        case kTokString: Literal(); return;
        case kTokLeftParen: {
            EnterParen(token_column_);
            NextToken();
            const unsigned inside = token_column_;
            Value();
            if (current_type_ == kTypeNone) Fail(kErrExpectedExpression, inside);
            if (token_kind_ != kTokRightParen) Fail(kErrMissingCloseParen, token_column_);
            --depth_;
            NextToken();
            ClearFlags();
            return;
        }
        case kTokNull:
            current_type_ = kTypeNull;
            ClearFlags();
            NextToken();
            return;
        case kTokName: Name(); return;
        case kTokLeftBrace:
            Escape();
            if (token_kind_ != kTokRightBrace) Fail(kErrMissingCloseBrace, token_column_);
            NextToken();
            ClearFlags();
            return;
        default:
            current_type_ = kTypeNone;
            ClearFlags();
            return;
    }
}

void CExpressionParser::Name() {
    const unsigned column = token_column_;
    if (const FunctionDef* function = find_function(token_text_)) {
        NextToken();
        Call(*function, column);
        return;
    }
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (equals_ignore_case(fields_[i].name, token_text_)) {
            current_type_ = fields_[i].type;
            field_flag_ = 1;
            literal_flag_ = 0;
            field_text_ = token_text_;
            field_index_ = static_cast<int>(i);
            NextToken();
            return;
        }
    }
    NextToken();
    Fail(token_kind_ == kTokLeftParen ? kErrUndefinedFunction : kErrUndefinedField, column);
}

void CExpressionParser::Escape() {
    NextToken();  // past "{"
    if (token_kind_ != kTokName) Fail(kErrUnexpectedChar, token_column_);
    const std::string keyword = token_text_;
    const unsigned keyword_column = token_column_;
    if (keyword == "FN") {
        NextToken();
        if (token_kind_ != kTokName) Fail(kErrUndefinedFunction, token_column_);
        const FunctionDef* function = find_function(token_text_);
        if (function == nullptr) Fail(kErrUndefinedFunction, token_column_);
        const unsigned column = token_column_;
        NextToken();
        Call(*function, column);
        return;
    }
    int type = kTypeNone;
    int error = kErrNone;
    bool (*form)(std::string_view) = nullptr;
    if (keyword == "D") {
        type = kTypeDate;
        error = kErrExpectedDateLiteral;
        form = is_date_form;
    } else if (keyword == "T") {
        type = kTypeTime;
        error = kErrExpectedTimeLiteral;
        form = is_time_form;
    } else if (keyword == "TS") {
        type = kTypeTimestamp;
        error = kErrExpectedTimestampLiteral;
        form = is_timestamp_form;
    } else {
        Fail(kErrUnexpectedChar, keyword_column);
    }
    NextToken();
    if (token_kind_ != kTokString || !form(token_text_)) Fail(error, token_column_);
    current_type_ = type;
    ClearFlags();
    NextToken();
}

void CExpressionParser::Call(const FunctionDef& function, unsigned name_column) {
    if (token_kind_ != kTokLeftParen) Fail(kErrMissingOpenParen, token_column_);
    EnterParen(token_column_);
    const std::string_view codes = function.arg_codes;
    int x_type = kTypeNone;
    if (codes.empty()) {
        NextToken();
    } else {
        for (std::size_t i = 0; i < codes.size(); ++i) {
            bool optional = false;
            char letter = codes[i];
            if (letter == 'O' && i + 1 < codes.size()) {
                optional = true;
                letter = codes[++i];
            }
            NextToken();  // past "(" or ","
            const unsigned column = token_column_;
            if (letter == 'B')
                Condition();
            else
                Value();
            const int type = current_type_;
            if (!(optional && type == kTypeNone)) {
                const bool bare_string = literal_flag_ && type == kTypeString;
                switch (letter) {
                    case 'N':
                        if (type != kTypeNumeric) Fail(kErrExpectedNumeric, column);
                        break;
                    case 'S':
                        if (type != kTypeString) Fail(kErrExpectedString, column);
                        break;
                    case 'B':
                        if (type != kTypeBoolean) Fail(kErrExpectedBoolean, column);
                        break;
                    case 'D':
                        if (type != kTypeDate && !(bare_string && is_date_form(literal_raw_)))
                            Fail(kErrExpectedDate, column);
                        break;
                    case 'T':
                        if (type != kTypeTime && !(bare_string && is_time_form(literal_raw_)))
                            Fail(kErrExpectedTime, column);
                        break;
                    case 'P':
                        if (type != kTypeTimestamp && !(bare_string && is_timestamp_form(literal_raw_)))
                            Fail(kErrExpectedTimestamp, column);
                        break;
                    case 'X':
                        if (type == kTypeNone) Fail(kErrExpectedExpression, column);
                        if (x_type == kTypeNone) {
                            if (type != kTypeNull) x_type = type;
                        } else if (x_type == kTypeString) {
                            if (type != kTypeNull && type != kTypeString) Fail(kErrExpectedString, column);
                        } else if (type == kTypeNumeric) {
                            x_type = kTypeNumeric;
                        } else if (type != kTypeNull) {
                            Fail(kErrExpectedNumeric, column);
                        }
                        break;
                    default: break;
                }
            }
            if (i + 1 < codes.size()) {
                if (token_kind_ == kTokComma) continue;
                if (codes[i + 1] == 'O' && token_kind_ == kTokRightParen) break;
                Fail(kErrExpectedExpression, token_column_);
            }
        }
    }
    if (token_kind_ != kTokRightParen) Fail(kErrMissingCloseParen, token_column_);
    int result = function.result_type == kTypeAny ? x_type : function.result_type;
    if (result == kTypeNone || result == kTypeNull) Fail(kErrFunctionHasNoValue, name_column);
    --depth_;
    current_type_ = result;
    NextToken();
    ClearFlags();
}

}  // namespace kestra::expr
