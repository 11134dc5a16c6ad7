#include "cli/expr_commands.h"

#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arg_parser.h"
#include "cli/cli_output.h"
#include "expr/calc_checker.h"
#include "expr/expression_edit_logic.h"
#include "expr/expression_parser.h"

namespace kestra::cli {

namespace {

constexpr const char* kTypeNames[] = {"none", "null", "boolean", "numeric", "string", "date", "time", "timestamp"};
constexpr const char* kKindNames[] = {"numeric", "string", "either"};

int type_from_name(std::string_view name) {
    for (int i = 0; i < 8; ++i)
        if (i != expr::kTypeNull && name == kTypeNames[i]) return i;
    return -1;
}

int kind_from_name(std::string_view name, bool allow_either) {
    for (int i = 0; i < (allow_either ? 3 : 2); ++i)
        if (name == kKindNames[i]) return i;
    return -1;
}

// NAME:VALUE split at the last ":", so a name may itself hold one.
bool split_field(const std::string& field_arg, std::string& name, std::string& value) {
    const std::size_t colon = field_arg.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == field_arg.size()) return false;
    name = field_arg.substr(0, colon);
    value = field_arg.substr(colon + 1);
    return true;
}


int usage(CliContext& ctx, const char* command, const std::string& problem, const char* synopsis) {
    ctx.err << "kestra: " << command << ": " << problem << "\nusage: kestra " << command << " " << synopsis << "\n";
    return kExitUsage;
}

constexpr const char* kExprSynopsis =
    "[--type none|boolean|numeric|string|date|time|timestamp] [--field NAME:TYPE]... TEXT";
constexpr const char* kCalcSynopsis = "[--kind numeric|string|either] [--field NAME:numeric|string]... TEXT";

const char* state_name(int state) {
    switch (state) {
        case expr::kCalcStateError: return "error";
        case expr::kCalcStateWantOperand: return "operand wanted";
        case expr::kCalcStateArgComplete: return "argument complete";
        case expr::kCalcStateOperandComplete: return "operand complete";
        default: return "unknown";
    }
}

}  // namespace

int run_check_expr(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const std::string type_name = parser.value("type").value_or("boolean");
    const std::vector<std::string> field_args = parser.values("field");
    std::vector<std::string> positionals;
    if (!parser.finish(positionals)) return usage(ctx, "check-expr", parser.error(), kExprSynopsis);
    if (positionals.size() != 1) return usage(ctx, "check-expr", "expected one TEXT", kExprSynopsis);
    const int type = type_from_name(type_name);
    if (type < 0) return usage(ctx, "check-expr", "unknown type " + type_name, kExprSynopsis);

    expr::CExpressionParser checker(positionals[0], type);
    for (const std::string& field_arg : field_args) {
        std::string name, field_type;
        if (!split_field(field_arg, name, field_type) || type_from_name(field_type) < 0)
            return usage(ctx, "check-expr", "bad --field " + field_arg + " (NAME:TYPE)", kExprSynopsis);
        checker.AddField(name, type_from_name(field_type));
    }

    if (!checker.Parse()) {
        if (ctx.options.json)
            ctx.out << "{\"valid\":false,\"code\":" << checker.GetErrorCode()
                    << ",\"column\":" << static_cast<unsigned long>(checker.GetErrorColumn()) + 1UL
                    << ",\"message\":" << json_string(checker.GetErrorMessage()) << "}\n";
        else
            ctx.out << expr::format_parse_error(checker.GetErrorColumn(), checker.GetErrorMessage()) << "\n";
        return kExitFailure;
    }
    std::string classification = "expression";
    std::string detail;
    if (checker.IsLiteral()) {
        classification = "literal";
        detail = checker.GetLiteralText();
    } else if (checker.IsField()) {
        classification = "field";
        detail = checker.GetFieldText();
    }
    if (ctx.options.json) {
        ctx.out << "{\"valid\":true,\"classification\":\"" << classification << "\"";
        if (classification == "literal") ctx.out << ",\"literal\":" << json_string(detail);
        if (classification == "field") ctx.out << ",\"field\":" << json_string(detail);
        ctx.out << ",\"text\":" << json_string(checker.GetText()) << "}\n";
    } else {
        ctx.out << "valid\n" << classification << (detail.empty() ? "" : " ") << detail << "\n"
                << checker.GetText() << "\n";
    }
    return kExitOk;
}

int run_check_calc(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const std::string kind_name = parser.value("kind").value_or("either");
    const std::vector<std::string> field_args = parser.values("field");
    std::vector<std::string> positionals;
    if (!parser.finish(positionals)) return usage(ctx, "check-calc", parser.error(), kCalcSynopsis);
    if (positionals.size() != 1) return usage(ctx, "check-calc", "expected one TEXT", kCalcSynopsis);
    const int kind = kind_from_name(kind_name, true);
    if (kind < 0) return usage(ctx, "check-calc", "unknown kind " + kind_name, kCalcSynopsis);

    expr::CalcCheckState st;
    st.kind = kind;
    for (const std::string& field_arg : field_args) {
        std::string name, field_kind;
        if (!split_field(field_arg, name, field_kind) || kind_from_name(field_kind, false) < 0)
            return usage(ctx, "check-calc", "bad --field " + field_arg + " (NAME:numeric|string)", kCalcSynopsis);
        st.fields.push_back(expr::CalcField{name, kind_from_name(field_kind, false)});
    }

    // As the builder: an empty text wants an operand of the required kind.
    const std::string& text = positionals[0];
    bool complete = false;
    if (!text.empty()) {
        st.state = expr::kCalcStateError;
        complete = expr::CalcChecker::Check(text, st);
    }
    if (complete) {
        ctx.out << (ctx.options.json ? "{\"complete\":true}\n" : "complete\n");
        return kExitOk;
    }
    const char* kind_text = (st.kind >= 0 && st.kind <= 2) ? kKindNames[st.kind] : "either";
    if (ctx.options.json)
        ctx.out << "{\"complete\":false,\"state\":" << st.state << ",\"state_name\":\"" << state_name(st.state)
                << "\",\"kind\":\"" << kind_text << "\",\"paren\":" << st.paren << "}\n";
    else
        ctx.out << "state " << st.state << " (" << state_name(st.state) << "), kind " << kind_text << ", paren flag "
                << st.paren << "\n";
    return kExitFailure;
}

namespace {
const CommandRegistration check_expr_registration{
    {"check-expr", kExprSynopsis, "check an expression or search condition (needs no host)",
     "Checks TEXT against the required --type (default boolean: a search condition) and the fields given with\n"
     "--field NAME:TYPE. Prints \"valid\", the classification (literal and its text, field and its name, or\n"
     "expression) and the text with its names upper-cased; or \"Error at col N: MESSAGE\" with exit status 1.",
     kGroupOffline, &run_check_expr}};
const CommandRegistration check_calc_registration{
    {"check-calc", kCalcSynopsis, "check a calculated field's definition (needs no host)",
     "Checks TEXT as the Calculation Builder does, wanting --kind (default either) and knowing the fields given\n"
     "with --field NAME:numeric|string. Prints \"complete\", or the state (1 operand wanted, 4 argument complete,\n"
     "5 operand complete, 0 error) with the kind and the paren flag and exit status 1.",
     kGroupOffline, &run_check_calc}};
}  // namespace

}  // namespace kestra::cli
