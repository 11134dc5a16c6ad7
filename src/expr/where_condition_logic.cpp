#include "expr/where_condition_logic.h"

#include <utility>

namespace kestra::expr {

WhereConditionLogic::WhereConditionLogic(std::string text) : text_(std::move(text)), opened_with_(text_) { Reset(); }

const char* WhereConditionLogic::ButtonText(Button button) {
    static const char* const kTexts[kButtonCount] = {"(", ")", " AND ", " OR ", "+", "-", " NOT ", "=", "<>",
                                                     ">", "<", ">=", "<=", "*", "/", ",", "&"};
    if (button < 0 || button >= kButtonCount) return "";
    return kTexts[button];
}

void WhereConditionLogic::Reset() {
    state_ = 0;
    kind_ = 2;
    paren_ = 0;
    close_paren_enabled_ = false;
}

void WhereConditionLogic::SetText(std::string text, bool leave) {
    text_ = std::move(text);
    if (leave || text_.empty()) Reset();
}

void WhereConditionLogic::Press(Button button) {
    if (!IsEnabled(button) || button < 0 || button >= kButtonCount) return;
    text_ += ButtonText(button);
    Reset();
}

bool WhereConditionLogic::Accept(std::string& result) {
    if (text_.size() > kMaxLength && text_ != opened_with_) {
        message_ = "**The where condition may not be longer than 255 characters**";
        return false;
    }
    message_.clear();
    result = text_;
    return true;
}

}  // namespace kestra::expr
