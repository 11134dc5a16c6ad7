// Calculations are typed by the user a character at a time: every prefix of any text must check without a crash,
// and the state it reports must be one the calculation builder knows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "expr/calc_checker.h"

namespace ex = kestra::expr;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int wanted = data[0] % 3;
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    auto fresh = [&] {
        ex::CalcCheckState st;
        st.kind = wanted;
        st.fields = {{"PRICE", ex::kCalcNumeric}, {"QTY", ex::kCalcNumeric}, {"NAME", ex::kCalcString},
                     {"CODE", ex::kCalcString}};
        return st;
    };
    auto check = [](std::string_view t, ex::CalcCheckState& st) {
        const bool complete = ex::CalcChecker::Check(t, st);
        switch (st.state) {
            case ex::kCalcStateError:
            case ex::kCalcStateWantOperand:
            case ex::kCalcStateArgComplete:
            case ex::kCalcStateOperandComplete:
            case ex::kCalcStateOnlyNot:
                break;
            default:
                std::abort();
        }
        if (complete && st.state == ex::kCalcStateError) std::abort();
        if (st.paren != 0 && st.paren != 1) std::abort();
        return complete;
    };

    ex::CalcCheckState whole = fresh();
    const bool complete = check(text, whole);
    ex::CalcCheckState again = fresh();
    if (check(text, again) != complete || again.state != whole.state) std::abort();

    // The builder checks after every key press; the prefixes of a long text are sampled.
    const std::size_t step = text.size() / 32 + 1;
    for (std::size_t n = 0; n < text.size(); n += step) {
        ex::CalcCheckState st = fresh();
        (void)check(text.substr(0, n), st);
    }
    return 0;
}
