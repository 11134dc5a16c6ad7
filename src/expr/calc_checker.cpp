#include "expr/calc_checker.h"

#include "expr/expr_types.h"

namespace kestra::expr {

namespace {

struct Arg {
    int kind;
    bool optional;
};

// One run over one text. Each step returns false when the check stopped with a state; true to carry on.
class CalcRun {
public:
    CalcRun(std::string_view text, CalcCheckState& st) : text_(text), st_(st) {}

    bool run() {
        if (!expression()) return false;
        skip();
        if (!at_end()) return stop(kCalcStateError);
        return true;
    }

private:
    bool at_end() const { return pos_ >= text_.size(); }
    char cur() const { return text_[pos_]; }
    void skip() {
        while (!at_end() && is_blank_char(cur())) ++pos_;
    }
    bool stop(int state) {
        st_.state = state;
        return false;
    }
    bool enter() {
        if (depth_ >= CalcChecker::kMaxNesting) return stop(kCalcStateError);
        ++depth_;
        return true;
    }

    bool expression() {
        skip();
        if (at_end()) return stop(kCalcStateOperandComplete);
        if (!term()) return false;
        for (;;) {
            skip();
            if (at_end() || (cur() != '+' && cur() != '-' && cur() != '&')) return true;
            ++pos_;
            skip();
            if (at_end()) return stop(kCalcStateWantOperand);
            if (!term()) return false;
        }
    }

    bool term() {
        skip();
        if (at_end()) return stop(kCalcStateOperandComplete);
        if (!factor()) return false;
        for (;;) {
            skip();
            if (at_end() || (cur() != '*' && cur() != '/')) return true;
            ++pos_;
            skip();
            if (at_end()) return stop(kCalcStateWantOperand);
            if (!factor()) return false;
        }
    }

    bool factor() {
        skip();
        if (at_end()) return stop(kCalcStateOperandComplete);
        if (cur() == '+' || cur() == '-') {
            ++pos_;
            skip();
            if (at_end()) return stop(kCalcStateWantOperand);
        }
        return primary();
    }

    // Length of the longest field name written at the current position (bare or in double quotes), and its entry.
    std::size_t match_field(const CalcField*& found) const {
        std::string_view rest = text_.substr(pos_);
        std::size_t best = 0;
        found = nullptr;
        for (const CalcField& f : st_.fields) {
            const std::string_view name = f.name;
            if (name.empty()) continue;
            std::size_t len = 0;
            if (rest.size() >= name.size() && rest.substr(0, name.size()) == name)
                len = name.size();
            else if (rest.size() >= name.size() + 2 && rest[0] == '"' && rest.substr(1, name.size()) == name &&
                     rest[name.size() + 1] == '"')
                len = name.size() + 2;
            if (len > best) {
                best = len;
                found = &f;
            }
        }
        return best;
    }

    bool primary() {
        skip();
        if (at_end()) return stop(kCalcStateWantOperand);
        const CalcField* field = nullptr;
        const std::size_t field_len = match_field(field);
        const int function = match_calc_function(text_, pos_);
        // A field named VALUE must not be read as VAL followed by UE.
        if (function >= 0 && !(field != nullptr && field_len > calc_function_name(function).size()))
            return call(function);
        if (cur() == '"' || is_ascii_letter(cur())) {
            if (field == nullptr) return stop(kCalcStateError);
            if (st_.kind != kCalcEither && field->kind != st_.kind) return stop(kCalcStateError);
            st_.kind = field->kind;
            pos_ += field_len;
            return true;
        }
        if (cur() == '(') {
            if (!enter()) return false;
            ++pos_;
            skip();
            if (at_end()) return stop(kCalcStateWantOperand);
            if (!expression()) return false;
            skip();
            if (at_end()) {
                st_.paren = 1;
                return stop(kCalcStateWantOperand);
            }
            if (cur() != ')') return stop(kCalcStateError);
            ++pos_;
            --depth_;
            return true;
        }
        return literal();
    }

    bool literal() {
        skip();
        if (at_end()) return stop(kCalcStateWantOperand);
        if (cur() == '\'') {
            if (st_.kind == kCalcNumeric) return stop(kCalcStateError);
            st_.kind = kCalcString;
            const std::size_t close = text_.find('\'', pos_ + 1);
            if (close == std::string_view::npos) return stop(kCalcStateError);
            pos_ = close + 1;
            return true;
        }
        if (st_.kind == kCalcString) return stop(kCalcStateError);
        st_.kind = kCalcNumeric;
        if (cur() == '+' || cur() == '-') {
            ++pos_;
            skip();
            if (at_end()) return stop(kCalcStateWantOperand);
        }
        if (!is_ascii_digit(cur())) return stop(kCalcStateError);
        while (!at_end() && is_ascii_digit(cur())) ++pos_;
        if (!at_end() && cur() == '.') {
            ++pos_;
            if (at_end()) return stop(kCalcStateOperandComplete);
            while (!at_end() && is_ascii_digit(cur())) ++pos_;
        }
        if (!at_end() && cur() == 'E') {
            ++pos_;
            if (at_end() || !is_ascii_digit(cur())) return stop(kCalcStateError);
            while (!at_end() && is_ascii_digit(cur())) ++pos_;
        }
        return true;
    }

    bool call(int index) {
        const int result = CalcResultKind[index];
        if (st_.kind != kCalcEither && st_.kind != result) return stop(kCalcStateError);
        st_.kind = result;
        pos_ += calc_function_name(index).size();
        while (!at_end() && cur() != '(') ++pos_;
        if (at_end()) return stop(kCalcStateError);
        if (!enter()) return false;
        ++pos_;

        std::vector<Arg> args;
        for (const char* p = CalcArgPattern[index]; *p != '\0'; ++p) {
            const bool optional = *p == '[';
            if (optional) ++p;
            if (*p == '\0') break;
            args.push_back(Arg{*p == 'S' ? kCalcString : kCalcNumeric, optional});
        }

        skip();
        if (args.empty()) {
            // Only ")" can follow PI's "(".
            if (at_end()) {
                st_.paren = 1;
                return stop(kCalcStateOperandComplete);
            }
            if (cur() != ')') return stop(kCalcStateError);
        } else if (at_end()) {
            st_.kind = CalcFirstArgKind[index];
            if (args[0].optional) st_.paren = 1;
            return stop(kCalcStateWantOperand);
        } else if (!(args[0].optional && cur() == ')')) {
            for (std::size_t i = 0; i < args.size(); ++i) {
                st_.kind = args[i].kind;
                if (!expression()) return false;
                skip();
                if (i + 1 < args.size()) {
                    const Arg& next = args[i + 1];
                    if (at_end()) {
                        st_.kind = next.kind;
                        if (next.optional) st_.paren = 1;
                        return stop(kCalcStateArgComplete);
                    }
                    if (cur() == ',') {
                        ++pos_;
                        skip();
                        if (at_end()) {
                            st_.kind = next.kind;
                            return stop(kCalcStateWantOperand);
                        }
                        continue;
                    }
                    if (cur() == ')' && next.optional) break;
                    return stop(kCalcStateError);
                }
                if (at_end()) {
                    st_.paren = 1;
                    return stop(kCalcStateOperandComplete);
                }
                if (cur() != ')') return stop(kCalcStateError);
            }
        }
        ++pos_;  // ")"
        --depth_;
        st_.kind = result;
        return true;
    }

    std::string_view text_;
    CalcCheckState& st_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

}  // namespace

int calc_field_kind(int data_type_code) {
    return (data_type_code == 1 || data_type_code == 4 || data_type_code == 22) ? kCalcString : kCalcNumeric;
}

bool CalcChecker::Check(std::string_view text, CalcCheckState& st) {
    CalcRun run(text, st);
    return run.run();
}

}  // namespace kestra::expr
