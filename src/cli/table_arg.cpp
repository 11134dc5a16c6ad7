#include "cli/table_arg.h"

#include <ostream>

#include "cli/arg_parser.h"
#include "cli/cli_output.h"
#include "model/config_field.h"

namespace kestra::cli {

model::CConfigTable* resolve_table(CliContext& ctx, model::CConfigFile& file, const std::string& arg) {
    model::CConfigTable* match = nullptr;
    std::size_t matches = 0;
    for (const auto& t : file.tables)
        if (t->name.view() == arg && matches++ == 0) match = t.get();
    if (matches == 0) {
        for (const auto& t : file.tables)
            if (model::equal_ignoring_case(t->name.view(), arg) && matches++ == 0) match = t.get();
    }
    if (matches == 1) return match;
    if (matches > 1) {
        ctx.err << "kestra: " << matches << " tables are named " << arg << "; give its number\n";
        return nullptr;
    }
    long long number = 0;
    if (parse_number(arg, number, 1, 9999)) {
        for (const auto& t : file.tables)
            if (t->table_number == number) return t.get();
    }
    ctx.err << "kestra: no table " << arg << " in the configuration file\n";
    return nullptr;
}

model::CConfigField* resolve_field(CliContext& ctx, model::CConfigTable& table, const std::string& arg) {
    model::CConfigField* match = nullptr;
    std::size_t matches = 0;
    for (const auto& f : table.fields)
        if (model::equal_ignoring_case(f->name.view(), arg) && matches++ == 0) match = f.get();
    if (matches == 1) return match;
    if (matches > 1) {
        ctx.err << "kestra: " << matches << " fields are named " << arg << "; give its number\n";
        return nullptr;
    }
    long long number = 0;
    if (parse_number(arg, number, 1, 9999))
        for (const auto& f : table.fields)
            if (f->tblfieldnum == number) return f.get();
    ctx.err << "kestra: no field " << arg << " in table " << shown(table.name.view()) << "\n";
    return nullptr;
}

}  // namespace kestra::cli
