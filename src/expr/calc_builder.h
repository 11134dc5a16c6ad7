#pragma once

#include <string>
#include <vector>

#include "expr/calc_checker.h"

namespace kestra::expr {

// What the Calculation Builder window shows, kept apart from the window: after every change the text is checked
// and the state decides which buttons and lists are offered and whether OK is enabled.
class CalcBuilderLogic {
public:
    enum Button : int {
        kOpenParen,
        kCloseParen,
        kPlus,
        kMinus,
        kTimes,
        kDivide,
        kNot,
        kComma,
        kConcat,
        kButtonCount,
    };
    enum Category : int { kCategoryNumber = 0, kCategoryString = 1, kCategoryFunction = 2, kCategoryField = 3 };

    // kind: 1 when the user-defined field's DataTypeCode is 22, 0 when 23, else 2 (see required_kind_for).
    CalcBuilderLogic(std::vector<CalcField> fields, int required_kind);
    static int required_kind_for(int data_type_code);

    // Opening the window: category text "Function", value and function list disabled, then check and update.
    void Open();

    const std::string& text() const { return text_; }
    // The edit box changed; `leave` runs check and update as leaving the box does.
    void SetText(std::string text, bool leave = true);

    void Press(Button button);
    bool IsEnabled(Button button) const { return enabled_[button]; }
    static const char* ButtonText(Button button);

    // Insert list (1152) and choosing a category from it by its text.
    const std::vector<std::string>& insert_list() const { return insert_list_; }
    bool ChooseCategory(const std::string& entry);
    int category() const { return category_; }
    const std::string& category_text() const { return category_text_; }

    // Function list (1153), its label (1158) and the help static (1155).
    const std::vector<std::string>& function_list() const { return function_list_; }
    const std::string& function_label() const { return function_label_; }
    bool function_list_enabled() const { return function_list_enabled_; }
    void SelectFunction(int index);
    int selected_function() const { return selected_; }
    const std::string& help_text() const { return help_text_; }
    int help_string_id() const { return help_id_; }

    // Value box (1154) and its label (1018).
    bool value_enabled() const { return value_enabled_; }
    bool value_has_focus() const { return value_focus_; }
    void SetValue(std::string value) { value_ = std::move(value); }
    const std::string& value() const { return value_; }

    // Add (1157) or a double click in the function list; false (and a beep) when nothing could be appended.
    bool Add();

    // Shows the offer of a state the checker does not produce (7: only NOT), for a caller that knows it.
    void ShowState(int state, int kind, int paren);

    bool ok_enabled() const { return ok_enabled_; }
    const CalcCheckState& check_state() const { return st_; }
    // "Expression Syntax Error" after a check that found an error, until taken.
    std::string TakeMessage();
    bool TakeBeep();

    // OK: the definition to store, or false (nothing replaced) while the text is empty or not complete.
    bool Accept(std::string& definition) const;

private:
    void CheckAndUpdate();
    void Check();
    void Update();
    void FillFunctionList();

    std::vector<CalcField> fields_;
    int required_kind_;
    std::string text_;
    CalcCheckState st_;
    bool complete_ = false;
    bool enabled_[kButtonCount] = {};
    std::vector<std::string> insert_list_;
    std::vector<std::string> function_list_;
    std::string function_label_;
    bool function_list_enabled_ = false;
    int selected_ = -1;
    int category_ = kCategoryFunction;
    std::string category_text_ = "Function";
    std::string help_text_;
    int help_id_ = 0;
    bool value_enabled_ = false;
    bool value_focus_ = false;
    std::string value_;
    bool ok_enabled_ = false;
    std::string message_;
    bool beep_ = false;
};

}  // namespace kestra::expr
