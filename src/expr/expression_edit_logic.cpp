#include "expr/expression_edit_logic.h"

#include <algorithm>
#include <cstdio>

namespace kestra::expr {

std::string format_parse_error(unsigned column, std::string_view message) {
    char head[48];
    std::snprintf(head, sizeof head, "Error at col %lu: ", static_cast<unsigned long>(column) + 1UL);
    return std::string(head).append(message);
}

ExpressionEditLogic::ExpressionEditLogic(CExpressionParser& parser) : parser_(parser) {
    if (parser_.IsSearchCondition()) {
        title_ = "Edit Search Condition";
        label_ = "&Search Condition";
    } else {
        title_ = "Edit Expression";
        static const char* const kWords[] = {"Numeric ", "String ", "Date ", "Time ", "Timestamp "};
        const int type = parser_.GetRequiredType();
        label_ = (type >= kTypeNumeric && type <= kTypeTimestamp) ? kWords[type - kTypeNumeric] : "";
        label_ += "&Expression";
    }
    edit_text_ = parser_.GetText();
}

bool ExpressionEditLogic::Save(const std::string& text) {
    edit_text_ = text;
    parser_.SetText(text);
    message_.clear();
    if (text.empty() || parser_.Parse()) {
        edit_text_ = parser_.GetText();
        return true;
    }
    message_ = format_parse_error(parser_.GetErrorColumn(), parser_.GetErrorMessage());
    sel_start_ = std::min<std::size_t>(parser_.GetErrorColumn(), text.size());
    sel_end_ = text.size();
    return false;
}

}  // namespace kestra::expr
