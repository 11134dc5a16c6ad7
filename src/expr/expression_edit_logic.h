#pragma once

#include <cstddef>
#include <string>

#include "expr/expression_parser.h"

namespace kestra::expr {

// The expression edit window without the window: title, label and edit text on loading, and the OK rule that
// checks the text with the caller's parser.
class ExpressionEditLogic {
public:
    explicit ExpressionEditLogic(CExpressionParser& parser);

    const std::string& title() const { return title_; }
    const std::string& label() const { return label_; }
    const std::string& edit_text() const { return edit_text_; }

    // OK with the edit box's text: true when accepted (the parser holds the text and its classification); false
    // with the message box text and the selection to show, and the window stays open.
    bool Save(const std::string& text);
    const std::string& message() const { return message_; }
    std::size_t selection_start() const { return sel_start_; }
    std::size_t selection_end() const { return sel_end_; }

private:
    CExpressionParser& parser_;
    std::string title_;
    std::string label_;
    std::string edit_text_;
    std::string message_;
    std::size_t sel_start_ = 0;
    std::size_t sel_end_ = 0;
};

// "Error at col %u: %s" with the column counted from 1.
std::string format_parse_error(unsigned column, std::string_view message);

}  // namespace kestra::expr
