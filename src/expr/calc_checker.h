#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "expr/calc_catalogue.h"

namespace kestra::expr {

enum CalcState : int {
    kCalcStateError = 0,
    kCalcStateWantOperand = 1,
    kCalcStateArgComplete = 4,    // an argument is complete, a "," may follow
    kCalcStateOperandComplete = 5,  // an operator or ")" may follow
    kCalcStateOnlyNot = 7,        // known to the builder only
};

struct CalcField {
    std::string name;
    int kind = kCalcNumeric;  // CalcKind: numeric or string
};

// A field's kind for the calculation checker: string for DataTypeCode 1, 4 and 22, numeric otherwise.
int calc_field_kind(int data_type_code);

struct CalcCheckState {
    int kind = kCalcEither;  // wanted kind on entry; kind of what is being read during the check
    int paren = 0;           // 1 when a ")" may close what is open
    int state = kCalcStateWantOperand;
    std::vector<CalcField> fields;
};

// Reads a calculation text and says whether it is complete; when it is not, `state` (and kind and paren flag) tell
// what may come next, or 0 for an error.
class CalcChecker {
public:
    static constexpr int kMaxNesting = 200;

    static bool Check(std::string_view text, CalcCheckState& st);
};

}  // namespace kestra::expr
