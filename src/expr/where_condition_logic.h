#pragma once

#include <cstddef>
#include <string>

#include "model/text_limits.h"

namespace kestra::expr {

// The Table Where Condition window without the window: the text is typed freely or built with operator buttons and
// is not checked; the guided controls stay disabled because nothing drives them.
class WhereConditionLogic {
public:
    enum Button : int {
        kOpenParen, kCloseParen, kAnd, kOr, kPlus, kMinus, kNot, kEqual, kNotEqual, kGreater, kLess,
        kGreaterEqual, kLessEqual, kTimes, kDivide, kComma, kConcat, kButtonCount,
    };

    // The longest where condition the administrator may type.
    static constexpr std::size_t kMaxLength = model::kWhereConditionMax;

    explicit WhereConditionLogic(std::string text = {});

    const std::string& text() const { return text_; }
    // Typing into the box; `leave` resets as leaving the box does. Emptying the box resets too.
    void SetText(std::string text, bool leave = true);
    void Press(Button button);
    static const char* ButtonText(Button button);
    bool IsEnabled(Button button) const { return button == kCloseParen ? close_paren_enabled_ : true; }

    bool value_enabled() const { return false; }
    bool function_list_enabled() const { return false; }
    bool ok_enabled() const { return true; }
    int state() const { return state_; }
    int kind() const { return kind_; }
    int paren() const { return paren_; }

    // OK: the text as typed. A changed text longer than may be typed is refused with a message and the window
    // stays open, so nothing is cut behind the user's back; the text the window opened with passes as it came.
    bool Accept(std::string& result);
    const std::string& message() const { return message_; }

private:
    void Reset();

    std::string text_;
    std::string opened_with_;
    int state_ = 0;
    int kind_ = 2;
    int paren_ = 0;
    bool close_paren_enabled_ = false;
    std::string message_;
};

}  // namespace kestra::expr
