#pragma once

#include <cstddef>
#include <string_view>

namespace kestra::expr {

// Kinds of the calculation checker.
enum CalcKind : int {
    kCalcNumeric = 0,
    kCalcString = 1,
    kCalcEither = 2,  // as a wanted kind; as a first-argument kind it means "no arguments"
};

constexpr int kCalcCatalogueSize = 27;
constexpr std::size_t kCalcNameSlot = 10;

// Names in fixed NUL-padded slots, with the parallel result-kind and first-argument-kind arrays.
extern const char CalcCatalogue[kCalcCatalogueSize][kCalcNameSlot];
extern const int CalcResultKind[kCalcCatalogueSize];
extern const int CalcFirstArgKind[kCalcCatalogueSize];
// Argument pattern per entry: "S"/"N" per argument, "[" before an argument that may be left out with its comma.
extern const char* const CalcArgPattern[kCalcCatalogueSize];

std::string_view calc_function_name(int index);

// Index of the first name (table order, case-sensitive) that the text at `pos` begins with, or -1. Only as many
// characters as remain are compared.
int match_calc_function(std::string_view text, std::size_t pos);

}  // namespace kestra::expr
