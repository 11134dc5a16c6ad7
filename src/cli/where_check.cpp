#include "cli/where_check.h"

#include "expr/expression_edit_logic.h"
#include "expr/expression_parser.h"
#include "expr/search_conditions.h"
#include "model/config_field.h"
#include "model/config_table.h"

namespace kestra::cli {

namespace {

bool name_char(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
           c == '-';
}

bool same_ignoring_case(const std::string& text, std::size_t at, const std::string& name) {
    if (at + name.size() > text.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char a = text[at + i], b = name[i];
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
        if (a != b) return false;
    }
    return true;
}

}  // namespace

std::string quote_hyphenated_names(const std::string& text, const std::vector<std::string>& names,
                                   std::vector<std::size_t>& origin) {
    std::string out;
    origin.clear();
    auto copy = [&](std::size_t i) {
        out += text[i];
        origin.push_back(i);
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\'' || c == '"') {
            // A string literal or a quoted run goes over unchanged, to its closing quote (a doubled quote inside a
            // literal closes and reopens it, which comes to the same).
            copy(i++);
            while (i < text.size() && text[i] != c) copy(i++);
            if (i < text.size()) copy(i++);
            continue;
        }
        if (i == 0 || !name_char(text[i - 1])) {
            std::size_t longest = 0;
            for (const std::string& name : names) {
                if (name.size() <= longest || name.find('-') == std::string::npos) continue;
                if (!same_ignoring_case(text, i, name)) continue;
                const std::size_t end = i + name.size();
                if (end < text.size() && name_char(text[end])) continue;
                longest = name.size();
            }
            if (longest > 0) {
                out += '"';
                origin.push_back(i);
                for (std::size_t k = i; k < i + longest; ++k) copy(k);
                out += '"';
                origin.push_back(i + longest - 1);
                i += longest;
                continue;
            }
        }
        copy(i++);
    }
    return out;
}

std::string check_where_condition(const std::string& text, const model::CConfigTable& table) {
    std::vector<std::string> names;
    for (const auto& f : table.fields) {
        names.push_back(f->name.str());
        if (!f->host_name.empty()) names.push_back(f->host_name.str());
    }
    std::vector<std::size_t> origin;
    const std::string quoted = quote_hyphenated_names(text, names, origin);
    expr::CExpressionParser checker(quoted, expr::kTypeBoolean);
    for (const auto& f : table.fields) {
        checker.AddField(f->name.str(), expr::ExprFieldType(*f));
        if (!f->host_name.empty() && !model::equal_ignoring_case(f->host_name.view(), f->name.view()))
            checker.AddField(f->host_name.str(), expr::ExprFieldType(*f));
    }
    if (checker.Parse()) return {};
    const unsigned column = checker.GetErrorColumn();
    const std::size_t at = column < origin.size() ? origin[column] : text.size();
    return expr::format_parse_error(static_cast<unsigned>(at), checker.GetErrorMessage());
}

}  // namespace kestra::cli
