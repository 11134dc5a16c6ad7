#include "expr/calc_builder.h"

#include <utility>

#include "expr/function_catalogue.h"

namespace kestra::expr {

CalcBuilderLogic::CalcBuilderLogic(std::vector<CalcField> fields, int required_kind)
    : fields_(std::move(fields)),
      required_kind_(required_kind >= kCalcNumeric && required_kind <= kCalcEither ? required_kind : kCalcEither) {
    st_.kind = required_kind_;
}

int CalcBuilderLogic::required_kind_for(int data_type_code) {
    if (data_type_code == 22) return kCalcString;
    if (data_type_code == 23) return kCalcNumeric;
    return kCalcEither;
}

const char* CalcBuilderLogic::ButtonText(Button button) {
    switch (button) {
        case kOpenParen: return "(";
        case kCloseParen: return ")";
        case kPlus: return "+";
        case kMinus: return "-";
        case kTimes: return "*";
        case kDivide: return "/";
        case kNot: return " NOT ";
        case kComma: return ",";
        case kConcat: return "&";
        default: return "";
    }
}

void CalcBuilderLogic::Open() {
    category_text_ = "Function";
    value_enabled_ = false;
    value_focus_ = false;
    function_list_enabled_ = false;
    CheckAndUpdate();
}

void CalcBuilderLogic::SetText(std::string text, bool leave) {
    text_ = std::move(text);
    if (leave) CheckAndUpdate();
}

void CalcBuilderLogic::Press(Button button) {
    if (button < 0 || button >= kButtonCount || !enabled_[button]) {
        beep_ = true;
        return;
    }
    text_ += ButtonText(button);
    CheckAndUpdate();
}

void CalcBuilderLogic::CheckAndUpdate() {
    Check();
    Update();
}

void CalcBuilderLogic::Check() {
    st_.paren = 0;
    st_.state = kCalcStateWantOperand;
    st_.kind = required_kind_;
    st_.fields = fields_;
    complete_ = false;
    if (text_.empty()) {
        // Nothing to accept yet.
        ok_enabled_ = false;
        return;
    }
    st_.state = kCalcStateError;
    complete_ = CalcChecker::Check(text_, st_);
    if (!complete_) {
        ok_enabled_ = false;
        if (st_.state == kCalcStateError) message_ = "Expression Syntax Error";
        return;
    }
    ok_enabled_ = true;
    st_.state = kCalcStateOperandComplete;
}

void CalcBuilderLogic::Update() {
    function_list_.clear();
    selected_ = -1;
    help_text_.clear();
    help_id_ = 0;
    const bool numeric = st_.kind == kCalcNumeric;
    const bool string_ok = st_.kind == kCalcString || st_.kind == kCalcEither;
    const bool numeric_ok = st_.kind == kCalcNumeric || st_.kind == kCalcEither;
    // The checker knows no NOT, so the NOT button is never offered.
    switch (st_.state) {
        case kCalcStateWantOperand:
            for (bool& e : enabled_) e = false;
            enabled_[kOpenParen] = true;
            insert_list_ = {"Field", "Function"};
            if (string_ok) insert_list_.emplace_back("String");
            if (numeric_ok) insert_list_.emplace_back("Number");
            break;
        case kCalcStateArgComplete:
        case kCalcStateOperandComplete:
            enabled_[kOpenParen] = false;
            enabled_[kNot] = false;
            enabled_[kComma] = st_.state == kCalcStateArgComplete;
            enabled_[kPlus] = enabled_[kMinus] = enabled_[kTimes] = enabled_[kDivide] = numeric;
            enabled_[kConcat] = !numeric;
            insert_list_.clear();
            break;
        case kCalcStateOnlyNot:
            for (bool& e : enabled_) e = false;
            insert_list_.clear();
            break;
        default:
            // An error leaves the offer as it was; OK is already off.
            return;
    }
    enabled_[kCloseParen] = st_.paren != 0;
}

void CalcBuilderLogic::ShowState(int state, int kind, int paren) {
    st_.state = state;
    st_.kind = kind;
    st_.paren = paren;
    Update();
}

bool CalcBuilderLogic::ChooseCategory(const std::string& entry) {
    if (entry == "Number" || entry == "String") {
        category_ = entry == "Number" ? kCategoryNumber : kCategoryString;
        category_text_ = entry;
        value_enabled_ = true;
        value_focus_ = true;
        function_list_enabled_ = false;
        function_list_.clear();
        selected_ = -1;
        return true;
    }
    if (entry == "Field" || entry == "Function") {
        category_ = entry == "Field" ? kCategoryField : kCategoryFunction;
        category_text_ = entry;
        value_enabled_ = false;
        value_focus_ = false;
        function_list_enabled_ = true;
        function_label_ = entry;
        selected_ = -1;
        help_text_.clear();
        help_id_ = 0;
        FillFunctionList();
        return true;
    }
    return false;
}

void CalcBuilderLogic::FillFunctionList() {
    function_list_.clear();
    const bool string_ok = st_.kind == kCalcString || st_.kind == kCalcEither;
    const bool numeric_ok = st_.kind == kCalcNumeric || st_.kind == kCalcEither;
    if (category_ == kCategoryField) {
        for (const CalcField& f : fields_)
            if (st_.kind == kCalcEither || f.kind == st_.kind) function_list_.push_back(f.name);
        return;
    }
    if (string_ok)
        for (const char* name : builder_string_functions()) function_list_.emplace_back(name);
    if (numeric_ok)
        for (const char* name : builder_number_functions()) function_list_.emplace_back(name);
}

void CalcBuilderLogic::SelectFunction(int index) {
    if (index < 0 || index >= static_cast<int>(function_list_.size())) {
        selected_ = -1;
        help_text_.clear();
        help_id_ = 0;
        return;
    }
    selected_ = index;
    if (category_ == kCategoryFunction) {
        help_id_ = (st_.kind == kCalcNumeric ? kNumberFunctionsHelpBase : kStringFunctionsHelpBase) + index;
        help_text_ = std::string(builder_help_text(help_id_));
    } else {
        help_id_ = 0;
        help_text_.clear();
    }
}

bool CalcBuilderLogic::Add() {
    std::string piece;
    switch (category_) {
        case kCategoryNumber: piece = value_; break;
        case kCategoryString: {
            const std::size_t n = value_.size();
            const bool quoted = n >= 2 && value_.front() == '\'' && value_.back() == '\'' &&
                                value_.find('\'', 1) == n - 1;
            if (quoted) {
                piece = value_;
            } else if (value_.find('\'') != std::string::npos) {
                // The checker has no way to write a quote inside a string.
                beep_ = true;
                return false;
            } else {
                piece = "'" + value_ + "'";
            }
            break;
        }
        case kCategoryFunction:
            if (selected_ >= 0) {
                const std::string& name = function_list_[static_cast<std::size_t>(selected_)];
                piece = name == "PI" ? "PI()" : name + "(";
            }
            break;
        case kCategoryField:
            if (selected_ >= 0) piece = function_list_[static_cast<std::size_t>(selected_)];
            break;
        default: break;
    }
    if (piece.empty()) {
        beep_ = true;
        return false;
    }
    text_ += piece;
    CheckAndUpdate();
    return true;
}

std::string CalcBuilderLogic::TakeMessage() { return std::exchange(message_, std::string()); }

bool CalcBuilderLogic::TakeBeep() { return std::exchange(beep_, false); }

bool CalcBuilderLogic::Accept(std::string& definition) const {
    if (text_.empty() || !ok_enabled_) return false;
    definition = text_;
    return true;
}

}  // namespace kestra::expr
