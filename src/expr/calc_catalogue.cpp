#include "expr/calc_catalogue.h"

#include <cstring>

namespace kestra::expr {

const char CalcCatalogue[kCalcCatalogueSize][kCalcNameSlot] = {
    "CONCAT", "INSERT",    "LCASE", "LEFT",    "LENGTH", "LOCATE", "LTRIM", "REPEAT", "REPLACE",
    "RIGHT",  "RTRIM",     "SPACE", "STR",     "SUBSTRING", "UCASE", "VAL", "CEILING", "EXP",
    "FLOOR",  "MOD",       "PI",    "POWER",   "RAND",   "ROUND",  "SIGN",  "SQRT",   "TRUNCATE",
};

const int CalcResultKind[kCalcCatalogueSize] = {
    1, 1, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

const int CalcFirstArgKind[kCalcCatalogueSize] = {
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 1, 1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0,
};

const char* const CalcArgPattern[kCalcCatalogueSize] = {
    "SS", "SNNS", "S", "SN", "S", "SS[N", "S", "SN", "SSS", "SN", "S", "N", "N", "SNN",
    "S",  "S",    "N", "N",  "N", "NN",   "",  "NN", "[N",  "NN", "N", "N", "NN",
};

std::string_view calc_function_name(int index) {
    if (index < 0 || index >= kCalcCatalogueSize) return {};
    const char* slot = CalcCatalogue[index];
    return std::string_view(slot, strnlen(slot, kCalcNameSlot));
}

int match_calc_function(std::string_view text, std::size_t pos) {
    if (pos > text.size()) return -1;
    std::string_view rest = text.substr(pos);
    for (int i = 0; i < kCalcCatalogueSize; ++i) {
        std::string_view name = calc_function_name(i);
        if (rest.size() >= name.size() && rest.substr(0, name.size()) == name) return i;
    }
    return -1;
}

}  // namespace kestra::expr
