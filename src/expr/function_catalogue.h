#pragma once

#include <span>
#include <string_view>

namespace kestra::expr {

// One scalar function known to the expression checker. Argument codes: N numeric, S string, D/T/P date/time/
// timestamp (or a bare literal of that form), B condition, X any (shared type), O makes the next one optional.
struct FunctionDef {
    const char* name;  // nullptr in the end row
    int result_type;   // ExprType
    const char* arg_codes;
    const char* signature;
};

// 40 rows in lookup order, then an end row whose name is absent.
extern const FunctionDef FunctionCatalogue[41];
constexpr int kFunctionCatalogueSize = 40;

// First row whose name equals `name` ignoring case, or nullptr.
const FunctionDef* find_function(std::string_view name);

// The builders' lists and their help strings.
constexpr int kStringFunctionsHelpBase = 53;
constexpr int kNumberFunctionsHelpBase = 66;
constexpr int kSearchOperatorsHelpBase = 80;

std::span<const char* const> builder_string_functions();  // 13 entries, help 53..65
std::span<const char* const> builder_number_functions();  // 14 entries, help 66..79
// IN and BETWEEN, then LIKE and NULL when `with_string_operators` (wanted kind string or either); help 80..83.
std::span<const char* const> builder_search_operators(bool with_string_operators);
// What a search operator entry inserts into the text (" IN(", " BETWEEN", " LIKE", " IS NULL"); "" when unknown.
std::string_view search_operator_insert_text(std::string_view entry);

// Help text of string id 53..83; "" for any other id.
std::string_view builder_help_text(int string_id);

}  // namespace kestra::expr
