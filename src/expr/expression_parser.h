#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "expr/expr_types.h"

namespace kestra::expr {

struct FunctionDef;

// Checks one expression text against a required type and a list of typed fields; reports the first error as a
// code and a 0-based column, and after a good check tells whether the whole text was one literal or one field.
class CExpressionParser {
public:
    static constexpr int kMaxNesting = 200;

    explicit CExpressionParser(std::string text = {}, int required_type = kTypeNone);

    void SetText(std::string text);
    const std::string& GetText() const { return text_; }

    int AddField(std::string name, int type);
    int GetFieldCount() const { return static_cast<int>(fields_.size()); }
    // "" / kTypeNone for an index out of range.
    std::string GetFieldName(int index) const;
    int GetFieldType(int index) const;
    // Out-of-range parts of the run are ignored.
    void RemoveFields(int first, int count);
    void RemoveAllFields() { fields_.clear(); }

    // 1 when the text is valid, 0 otherwise.
    int Parse();
    std::string_view GetErrorMessage() const { return parse_error_message(error_code_); }
    int GetErrorCode() const { return error_code_; }
    unsigned GetErrorColumn() const { return error_column_; }
    int GetCurrentType() const { return current_type_; }

    bool IsSearchCondition() const { return required_type_ == kTypeBoolean; }
    int GetRequiredType() const { return required_type_; }

    bool IsLiteral() const { return literal_flag_ != 0; }
    std::string GetLiteralText() const { return literal_flag_ ? literal_text_ : std::string(); }
    bool IsField() const { return field_flag_ != 0; }
    std::string GetFieldText() const { return field_flag_ ? field_text_ : std::string(); }
    // Index in the field list of the entry a bare field resolved to, or -1.
    int GetFieldIndex() const { return field_flag_ ? field_index_ : -1; }

private:
    struct Field {
        std::string name;
        int type;
    };

    void Reset();
    void NextToken();
    void Fail(int code, unsigned column);

    void Condition();
    void AndCondition();
    void NotCondition();
    void Group();
    void Predicate();
    void Value();
    void Term();
    void Unary();
    void Primary();
    void Literal();
    void Name();
    void Escape();
    void Call(const FunctionDef& function, unsigned name_column);
    void EnterParen(unsigned column);
    void ClearFlags();
    bool Compatible(int type, int required) const;

    int token_kind_ = kTokEnd;
    unsigned token_column_ = 0;
    std::string text_;
    std::string token_text_;
    std::size_t read_pos_ = 0;
    int literal_flag_ = 0;
    int field_flag_ = 0;
    int error_code_ = kErrNone;
    unsigned error_column_ = 0;
    int current_type_ = kTypeNone;
    std::vector<Field> fields_;
    int required_type_ = kTypeNone;

    // Kept when the operand is read, so the flags and the texts always describe the same operand.
    std::string literal_text_;
    std::string field_text_;
    std::string literal_raw_;  // a string literal's characters, for the date-time forms
    int field_index_ = -1;
    int depth_ = 0;
};

}  // namespace kestra::expr
