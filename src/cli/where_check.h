#pragma once

#include <string>
#include <vector>

namespace kestra::model {
class CConfigTable;
}

namespace kestra::cli {

// Marks each of `names` that holds a "-" as a quoted name ("ORD-STATUS") wherever it stands as a whole name
// outside string literals and quoted runs, matching without regard to case. `origin` receives, for every
// character of the result, its position in `text`.
std::string quote_hyphenated_names(const std::string& text, const std::vector<std::string>& names,
                                   std::vector<std::size_t>& origin);

// Checks a table's where condition as a search condition over the table's fields (names and host names). The
// host's names hold hyphens, which the expression language reads as a minus unless the name is quoted, so the
// table's names are quoted for the check; the condition is stored as typed all the same. Empty when it passes,
// else "Error at col N: MESSAGE" with N counted in the text as typed.
std::string check_where_condition(const std::string& text, const model::CConfigTable& table);

}  // namespace kestra::cli
