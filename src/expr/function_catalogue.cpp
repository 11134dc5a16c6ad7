#include "expr/function_catalogue.h"

#include <array>

#include "expr/expr_types.h"

namespace kestra::expr {

const FunctionDef FunctionCatalogue[41] = {
    {"CONCAT", kTypeString, "SS", "string CONCAT(string exp1, string exp2)"},
    {"IFFUNC", kTypeAny, "BXX", "any IFFUNC(boolean exp1, any exp2, any exp3)"},
    {"INSERT", kTypeString, "SNNS", "string INSERT(string exp1, numeric start, numeric length, string exp2)"},
    {"LCASE", kTypeString, "S", "string LCASE(string exp)"},
    {"LEFT", kTypeString, "SN", "string LEFT(string exp, numeric count)"},
    {"LENGTH", kTypeNumeric, "S", "numeric LENGTH(string exp)"},
    {"LOCATE", kTypeNumeric, "SSON", "numeric LOCATE(string exp1, string exp2 [, numeric start])"},
    {"LTRIM", kTypeString, "S", "string LTRIM(string exp)"},
    {"REPEAT", kTypeString, "SN", "string REPEAT(string exp, numeric count)"},
    {"REPLACE", kTypeString, "SSS", "string REPLACE(string exp1, string exp2, string exp3)"},
    {"RIGHT", kTypeString, "SN", "string RIGHT(string exp, numeric count)"},
    {"SPACE", kTypeString, "N", "string SPACE(numeric count)"},
    {"STR", kTypeString, "N", "string STR(numeric exp)"},
    {"UCASE", kTypeString, "S", "string UCASE(string exp)"},
    {"VAL", kTypeNumeric, "S", "numeric VAL(string exp)"},
    {"CEILING", kTypeNumeric, "N", "numeric CEILING(numeric exp)"},
    {"EXP", kTypeNumeric, "N", "numeric EXP(numeric exp)"},
    {"FLOOR", kTypeNumeric, "N", "numeric FLOOR(numeric exp)"},
    {"MOD", kTypeNumeric, "NN", "numeric MOD(numeric exp1, numeric exp2)"},
    {"PI", kTypeNumeric, "", "numeric PI()"},
    {"POWER", kTypeNumeric, "NN", "numeric POWER(numeric exp1, numeric exp2)"},
    {"RAND", kTypeNumeric, "N", "numeric RAND(numeric exp)"},
    {"ROUND", kTypeNumeric, "NN", "numeric ROUND(numeric exp1, numeric exp2)"},
    {"SIGN", kTypeNumeric, "N", "numeric SIGN(numeric exp)"},
    {"SQRT", kTypeNumeric, "N", "numeric SQRT(numeric exp)"},
    {"TRUNCATE", kTypeNumeric, "NN", "numeric TRUNCATE(numeric exp1, numeric exp2)"},
    {"CURDATE", kTypeDate, "", "date CURDATE()"},
    {"CURTIME", kTypeTime, "", "time CURTIME()"},
    {"DATEDIFF", kTypeNumeric, "DD", "numeric DATEDIFF(date exp1, date exp2)"},
    {"DAYNAME", kTypeString, "D", "string DAYNAME(date exp)"},
    {"DAYOFMONTH", kTypeNumeric, "D", "numeric DAYOFMONTH(date exp)"},
    {"DAYOFWEEK", kTypeNumeric, "D", "numeric DAYOFWEEK(date exp)"},
    {"DAYOFYEAR", kTypeNumeric, "D", "numeric DAYOFYEAR(date exp)"},
    {"HOUR", kTypeNumeric, "T", "numeric HOUR(time exp)"},
    {"MAKEDATE", kTypeDate, "NNN", "date MAKEDATE(numeric year, numeric month, numeric day)"},
    {"MAKETIME", kTypeTime, "NNN", "time MAKETIME(numeric hour, numeric minute, numeric second)"},
    {"MINUTE", kTypeNumeric, "T", "numeric MINUTE(time exp)"},
    {"MONTH", kTypeNumeric, "D", "numeric MONTH(date exp)"},
    {"MONTHNAME", kTypeString, "D", "string MONTHNAME(date exp)"},
    {"NOW", kTypeTimestamp, "", "timestamp NOW()"},
    {nullptr, kTypeNone, nullptr, nullptr},
};

namespace {

constexpr std::array<const char*, 13> kStringFunctions = {"CONCAT", "INSERT", "LCASE",  "LEFT",      "LTRIM",
                                                          "REPEAT", "REPLACE", "RIGHT", "RTRIM",     "SPACE",
                                                          "STR",    "SUBSTRING", "UCASE"};
constexpr std::array<const char*, 14> kNumberFunctions = {"CEILING", "EXP",  "FLOOR", "MOD",      "PI",
                                                          "POWER",   "RAND", "ROUND", "SIGN",     "SQRT",
                                                          "TRUNCATE", "LENGTH", "LOCATE", "VAL"};
constexpr std::array<const char*, 4> kSearchOperators = {"IN", "BETWEEN", "LIKE", "NULL"};

constexpr std::array<std::string_view, 31> kHelpTexts = {
    "CONCAT(string_exp1,string_exp2)",
    "INSERT(string_exp1,start,length,string_exp2))",
    "LCASE(string_exp)",
    "LEFT(string_exp,count)",
    "LTRIM(string_exp)",
    "REPEAT(string_exp,count)",
    "REPLACE(string_exp1,string_exp2,string_exp3)",
    "RIGHT(string_exp,count)",
    "RTRIM(string_exp)",
    "SPACE(count)",
    "STR(number)",
    "SUBSTRING(string_exp,start,length)",
    "UCASE(string_exp)",
    "CEILING(numeric_exp)",
    "EXP(float_exp)",
    "FLOOR(numeric_exp)",
    "MOD(integer_exp1,integer_exp2)",
    "PI()",
    "POWER(numeric_exp,integer_exp)",
    "RAND([integer_exp])",
    "ROUND(numeric_exp,integer_exp)",
    "SIGN(numeric_exp)",
    "SQRT(float_exp)",
    "TRUNCATE(numeric_exp,integer_exp)",
    "LENGTH(string_exp)",
    "LOCATE(string_exp1,string_exp2[,start])",
    "VAL(string_exp)",
    "expression [NOT] IN {(value[,value]...)}",
    "expression [NOT] BETWEEN expression AND expression",
    "expression [NOT] LIKE pattern-value",
    "IS [NOT] NULL",
};

}  // namespace

const FunctionDef* find_function(std::string_view name) {
    for (const FunctionDef* row = FunctionCatalogue; row->name != nullptr; ++row)
        if (equals_ignore_case(row->name, name)) return row;
    return nullptr;
}

std::span<const char* const> builder_string_functions() { return kStringFunctions; }

std::span<const char* const> builder_number_functions() { return kNumberFunctions; }

std::span<const char* const> builder_search_operators(bool with_string_operators) {
    return std::span<const char* const>(kSearchOperators).first(with_string_operators ? 4 : 2);
}

std::string_view search_operator_insert_text(std::string_view entry) {
    if (entry == "IN") return " IN(";
    if (entry == "BETWEEN") return " BETWEEN";
    if (entry == "LIKE") return " LIKE";
    if (entry == "NULL") return " IS NULL";
    return {};
}

std::string_view builder_help_text(int string_id) {
    if (string_id < kStringFunctionsHelpBase || string_id >= kStringFunctionsHelpBase + static_cast<int>(kHelpTexts.size()))
        return {};
    return kHelpTexts[static_cast<std::size_t>(string_id - kStringFunctionsHelpBase)];
}

}  // namespace kestra::expr
