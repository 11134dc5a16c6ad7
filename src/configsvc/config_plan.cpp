#include "configsvc/config_plan.h"

#include <map>
#include <string_view>

#include "configsvc/config_document.h"
#include "configsvc/config_file_names.h"
#include "configsvc/config_match.h"
#include "expr/calc_checker.h"
#include "expr/expression_edit_logic.h"
#include "expr/search_conditions.h"
#include "model/data_type_catalogue.h"
#include "model/date_formats.h"
#include "model/text_limits.h"

namespace kestra::configsvc {

namespace {

using model::CConfigField;
using model::CConfigFile;
using model::CConfigLimits;
using model::CConfigTable;
using model::CJoinMember;
using model::CPcApplication;
using model::FieldKind;

constexpr std::uint16_t kDeleteTables = 22;
constexpr std::uint16_t kChangeFields = 26;
constexpr std::uint16_t kMarkFields = 27;
constexpr std::uint16_t kAddFields = 28;
constexpr std::uint16_t kPutGlobal = 31;
constexpr std::uint16_t kPutLimits = 33;
constexpr std::uint16_t kModifyTables = 34;
constexpr std::uint16_t kAddApps = 35;
constexpr std::uint16_t kDeleteApps = 37;
constexpr std::uint16_t kModifyApps = 38;
constexpr std::uint16_t kPutWhere = 41;
constexpr std::uint16_t kAddJoin = 52;
constexpr std::uint16_t kJoinHeader = 53;
constexpr std::uint16_t kJoinMembers = 56;

std::string_view request_name(std::uint16_t code) {
    switch (code) {
        case kDeleteTables:
            return "delete tables";
        case kChangeFields:
            return "change fields";
        case kMarkFields:
            return "mark fields";
        case kAddFields:
            return "add fields";
        case kPutGlobal:
            return "put global options";
        case kPutLimits:
            return "put limits";
        case kModifyTables:
            return "modify tables";
        case kAddApps:
            return "add applications";
        case kDeleteApps:
            return "delete applications";
        case kModifyApps:
            return "modify applications";
        case kPutWhere:
            return "put where condition";
        case kAddJoin:
            return "add join table";
        case kJoinHeader:
            return "modify join header";
        case kJoinMembers:
            return "modify join members";
        default:
            return "request";
    }
}

std::string lit(std::string_view text) {
    return document_text_literal(text);
}
std::string num(std::int64_t n) {
    return std::to_string(n);
}
std::string flag(bool b) {
    return b ? "true" : "false";
}

// Collects "KEY: OLD -> NEW" lines for the values that differ.
class Changes {
  public:
    explicit Changes(std::string prefix) : prefix_(std::move(prefix)) {}
    template <class T>
    bool text(std::string_view key, const T& a, const T& b) {
        if (a.view() == b.view()) return false;
        lines.push_back(prefix_ + std::string(key) + ": " + lit(a.view()) + " -> " + lit(b.view()));
        return true;
    }
    bool number(std::string_view key, std::int64_t a, std::int64_t b) {
        if (a == b) return false;
        lines.push_back(prefix_ + std::string(key) + ": " + num(a) + " -> " + num(b));
        return true;
    }
    bool boolean(std::string_view key, bool a, bool b) {
        if (a == b) return false;
        lines.push_back(prefix_ + std::string(key) + ": " + flag(a) + " -> " + flag(b));
        return true;
    }
    std::vector<std::string> lines;

  private:
    std::string prefix_;
};

bool same_limits_lines(Changes& c, const CConfigLimits& a, const CConfigLimits& b) {
    bool any = c.boolean("where_required", a.where_required, b.where_required);
    any = c.boolean("linear_selects", a.linear_selects, b.linear_selects) || any;
    any = c.boolean("linear_joins", a.linear_joins, b.linear_joins) || any;
    any = c.number("row_limit_kind", a.row_limit_kind, b.row_limit_kind) || any;
    any = c.number("row_count", a.row_count, b.row_count) || any;
    return !any;
}

enum class Entry { packed, unpacked, real, alpha, boolean, field };

Entry entry_of(std::int32_t code) {
    if (code == 2) return Entry::boolean;
    if (code == 3) return Entry::field;
    if ((code >= 5 && code <= 14) || (code >= 31 && code <= 35)) return Entry::packed;
    if (code >= 15 && code <= 17) return Entry::real;
    if ((code >= 18 && code <= 21) || (code >= 25 && code <= 30)) return Entry::unpacked;
    return Entry::alpha;
}

bool signed_code(std::int32_t code) {
    switch (code) {
        case 5:
        case 6:
        case 7:
        case 11:
        case 12:
        case 18:
        case 20:
        case 27:
        case 28:
        case 30:
        case 31:
        case 32:
        case 33:
        case 34:
        case 35:
            return true;
        default:
            return false;
    }
}

// The code the offset-field dialog derives from its type entry, sign, decimals and length.
std::int32_t derived_code(Entry entry, bool is_signed, std::int32_t decimals, std::int32_t length) {
    const int band = length < 5 ? 0 : length < 10 ? 1 : 2;
    switch (entry) {
        case Entry::alpha:
            return 4;
        case Entry::boolean:
            return 2;
        case Entry::field:
            return 3;
        case Entry::real:
            return decimals > 0 ? 16 : 15;
        case Entry::packed:
            if (decimals > 0) return is_signed ? (band < 2 ? 11 : 12) : (band < 2 ? 13 : 14);
            return is_signed ? 5 + band : 8 + band;
        case Entry::unpacked:
            if (decimals > 0) return is_signed ? (band < 2 ? 20 : 30) : (band < 2 ? 21 : 29);
            if (is_signed) return band == 0 ? 27 : band == 1 ? 18 : 28;
            return band == 0 ? 25 : band == 1 ? 19 : 26;
    }
    return 0;
}

bool date_format_allowed(const CConfigField& f) {
    if (f.date_kind < 0 || f.date_kind > 4) return false;
    if (!f.is_date_or_time()) return true;
    return f.date_format >= 0 && static_cast<std::size_t>(f.date_format) < model::date_formats(f.date_kind).size();
}

// A calculation as the Calculation Builder checks it, knowing the table's other fields; empty when complete.
std::string calculation_problem(const CConfigTable& table, const CConfigField& f) {
    expr::CalcCheckState st;
    st.kind = f.data_type_code == 22   ? expr::kCalcString
              : f.data_type_code == 23 ? expr::kCalcNumeric
                                       : expr::kCalcEither;
    for (const auto& other : table.fields)
        if (other.get() != &f && other->field_kind != FieldKind::calculated)
            st.fields.push_back({other->name.str(), expr::calc_field_kind(other->data_type_code)});
    st.state = expr::kCalcStateError;
    if (expr::CalcChecker::Check(f.expression.view(), st)) return {};
    return "the expression " + lit(f.expression.view()) + " is not a complete calculation";
}

// Why a field definition of the document cannot be sent; empty when it can.
std::string definition_problem(const CConfigTable& desired, const CConfigField& f) {
    if (f.field_kind == FieldKind::user_defined) {
        if (!offset_field_type_allowed(f.data_type_code, f.length, f.decimals))
            return "type " + num(f.data_type_code) + " with length " + num(f.length) + " and decimals " +
                   num(f.decimals) + " is not a type the field editor allows";
        if (!f.base_field.empty() && desired.find_field(f.base_field.view()) == nullptr)
            return "base field " + f.base_field.str() + " is not a field of the table";
    } else if (f.field_kind == FieldKind::calculated) {
        if (f.data_type_code < 22 || f.data_type_code > 24)
            return "a calculated field is a string (22), numeric (23) or boolean (24), not type " +
                   num(f.data_type_code);
        if (f.expression.empty()) return "a calculated field needs an expression";
        if (std::string problem = calculation_problem(desired, f); !problem.empty()) return problem;
    } else {
        return "a field of kind " + num(f.field_kind) + " cannot be changed";
    }
    if (!date_format_allowed(f)) return "date kind " + num(f.date_kind) + " has no format " + num(f.date_format);
    return {};
}

class Planner {
  public:
    Planner(const CConfigFile& current, const CConfigFile& desired, ConfigPlan& plan)
        : current_(current), desired_(desired), plan_(plan) {}

    void run(bool allow_delete) {
        std::vector<PlannedRequest> header_lines;  // the one modify-tables request
        std::vector<TablePlan> edits;
        for (const auto& m : match_tables(current_, desired_)) {
            if (m.a == nullptr) {
                add_table(*m.b, header_lines);
            } else if (m.b == nullptr) {
                plan_.table_deletions.push_back(m.a->table_number);
                plan_.deletions.push_back("table " + m.a->name.str());
            } else {
                TablePlan t = compare_table(*m.a, *m.b, header_lines);
                if (t.header || t.needs_load()) edits.push_back(std::move(t));
            }
        }
        // Joins to add are sent first: the table list after them can carry their flags, and applications can
        // name them.
        for (const TablePlan& t : plan_.tables) {
            plan_.requests.push_back({kAddJoin, "table " + t.desired->name.str(), {"add join table"}});
            if (t.members)
                plan_.requests.push_back({kJoinMembers, "table " + t.desired->name.str(), member_lines(*t.desired)});
        }
        if (!header_lines.empty()) {
            PlannedRequest r{kModifyTables, "tables", {}};
            for (const auto& h : header_lines)
                for (const auto& line : h.changes) r.changes.push_back(h.target + ": " + line);
            plan_.requests.push_back(std::move(r));
        }
        for (TablePlan& t : edits) {
            const std::string target = "table " + t.current->name.str();
            if (t.join_header)
                plan_.requests.push_back(
                    {kJoinHeader,
                     target,
                     {"name: " + lit(t.current->name.view()) + " -> " + lit(t.desired->name.view())}});
            if (t.members) plan_.requests.push_back({kJoinMembers, target, member_lines(*t.desired)});
            if (t.where)
                plan_.requests.push_back({kPutWhere,
                                          target,
                                          {"where: " + lit(t.current->where_condition.view()) + " -> " +
                                           lit(t.desired->where_condition.view())}});
            if (!t.changes.empty()) plan_.requests.push_back({kChangeFields, target, field_lines_[t.current]});
            if (!t.marks.empty()) plan_.requests.push_back({kMarkFields, target, mark_lines_[t.current]});
            if (!t.cuts.empty()) plan_.requests.push_back({kMarkFields, target, cut_lines_[t.current]});
            if (!t.additions.empty()) plan_.requests.push_back({kAddFields, target, add_lines_[t.current]});
            plan_.tables.push_back(std::move(t));
        }
        if (!plan_.table_deletions.empty()) {
            PlannedRequest r{kDeleteTables, "tables", {}};
            for (const auto& m : match_tables(current_, desired_))
                if (m.b == nullptr) r.changes.push_back("delete table " + m.a->name.str());
            plan_.requests.push_back(std::move(r));
        }
        global();
        applications();
        if (!allow_delete && !plan_.deletions.empty()) {
            std::string list;
            for (const auto& d : plan_.deletions) list += (list.empty() ? "" : ", ") + d;
            plan_.refusals.push_back("the document deletes " + list + "; give --allow-delete to delete them");
        }
    }

  private:
    void refuse(const std::string& what, const std::string& why) { plan_.refusals.push_back(what + ": " + why); }

    // A text the host already holds goes back whole whatever its length; a new or changed one is held to what a
    // person may type, as the windows and the command line hold it.
    void typed(const std::string& what, const char* key, std::string_view before, std::string_view after,
               std::size_t max) {
        if (after != before && after.size() > max)
            refuse(what, std::string(key) + " longer than " + std::to_string(max) + " characters");
    }

    std::vector<std::string> member_lines(const CConfigTable& t) {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < t.members.size(); ++i) {
            const CJoinMember& m = *t.members[i];
            lines.push_back("member " + num(static_cast<std::int64_t>(i + 1)) + ": " + lit(m.sub_table.view()) +
                            " set " + lit(m.set.view()) + " kind " + num(m.join_kind) + " where " +
                            lit(m.where_condition.view()) + ", " + num(static_cast<std::int64_t>(m.condition_count())) +
                            " join fields");
        }
        return lines;
    }

    // Member where conditions are checked as the join editor checks them, with the fields of the members up to
    // and including their own; only those that change, so what the host already holds is never held against it.
    void check_member_wheres(const CConfigTable* current, const CConfigTable& desired) {
        for (std::size_t k = 0; k < desired.members.size(); ++k) {
            const model::CJoinMember& m = *desired.members[k];
            if (m.where_condition.empty()) continue;
            if (current != nullptr && k < current->members.size() &&
                current->members[k]->where_condition.view() == m.where_condition.view())
                continue;
            expr::CExpressionParser parser;
            std::vector<expr::MemberFieldRef> refs;
            if (!expr::begin_member_where_edit(desired_, desired, k, parser, refs)) continue;
            if (parser.Parse()) continue;
            refuse("join " + desired.name.str() + " member " + num(static_cast<std::int64_t>(k + 1)),
                   "where " + lit(m.where_condition.view()) + ": " +
                       expr::format_parse_error(parser.GetErrorColumn(), parser.GetErrorMessage()));
        }
    }

    bool members_equal(const CConfigTable& a, const CConfigTable& b) {
        if (a.members.size() != b.members.size()) return false;
        for (std::size_t i = 0; i < a.members.size(); ++i) {
            const CJoinMember& x = *a.members[i];
            const CJoinMember& y = *b.members[i];
            if (x.sub_table.view() != y.sub_table.view() || x.set.view() != y.set.view() ||
                x.join_kind != y.join_kind || x.where_condition.view() != y.where_condition.view() ||
                x.condition_count() != y.condition_count())
                return false;
            for (std::size_t k = 0; k < x.condition_count(); ++k) {
                const model::CJoinField& f = *x.join_fields[k];
                const model::CJoinField& g = *y.join_fields[k];
                if (f.field.view() != g.field.view() || f.kind != g.kind || f.value.view() != g.value.view() ||
                    (f.kind == model::JoinFieldKind::field && f.member_number != g.member_number))
                    return false;
            }
        }
        return true;
    }

    bool sets_equal(const CConfigTable& a, const CConfigTable& b) {
        if (a.sets.size() != b.sets.size()) return false;
        for (std::size_t i = 0; i < a.sets.size(); ++i) {
            const model::CTableSet& x = *a.sets[i];
            const model::CTableSet& y = *b.sets[i];
            if (x.set_name.view() != y.set_name.view() || x.first_attribute != y.first_attribute ||
                x.second_attribute != y.second_attribute || x.third_attribute != y.third_attribute || x.keys != y.keys)
                return false;
        }
        return true;
    }

    void add_table(const CConfigTable& desired, std::vector<PlannedRequest>& header_lines) {
        const std::string what = "table " + desired.name.str();
        if (!desired.join_table) {
            refuse(what, "a DMSII table cannot be added from a document; add it from the catalogue with add-tables");
            return;
        }
        typed(what, "name", "", desired.name.view(), model::kTableNameMax);
        TablePlan t;
        t.desired = &desired;
        t.members = !desired.members.empty();
        check_member_wheres(nullptr, desired);
        // Update allowed and return groups travel only with the table list.
        t.header = desired.update_allowed || desired.return_groups;
        if (t.header) {
            Changes c("");
            c.boolean("update_allowed", false, desired.update_allowed);
            c.boolean("return_groups", false, desired.return_groups);
            header_lines.push_back({kModifyTables, "table " + desired.name.str(), c.lines});
        }
        plan_.tables.push_back(std::move(t));
    }

    TablePlan compare_table(const CConfigTable& a, const CConfigTable& b, std::vector<PlannedRequest>& header_lines) {
        TablePlan t;
        t.current = &a;
        t.desired = &b;
        const std::string what = "table " + a.name.str();
        if (a.join_table != b.join_table) {
            refuse(what, a.join_table ? "a join table cannot become a plain table"
                                      : "a plain table cannot become a join table");
            return t;
        }
        typed(what, "name", a.name.view(), b.name.view(), model::kTableNameMax);
        Changes header("");
        if (a.join_table) {
            // A join's name goes with its own header request.
            t.join_header = a.name.view() != b.name.view();
        } else {
            header.text("name", a.name, b.name);
        }
        header.number("option", a.table_option, b.table_option);
        header.boolean("update_allowed", a.update_allowed, b.update_allowed);
        header.boolean("return_groups", a.return_groups, b.return_groups);
        t.header = !header.lines.empty();
        if (t.header) header_lines.push_back({kModifyTables, what, header.lines});
        if (a.join_table) {
            t.members = !members_equal(a, b);
            if (t.members) check_member_wheres(&a, b);
            return t;
        }
        Changes catalogue("");
        catalogue.text("database", a.database, b.database);
        catalogue.text("dataset", a.dataset, b.dataset);
        catalogue.text("set", a.set, b.set);
        catalogue.text("description_file", a.description_file, b.description_file);
        if (!catalogue.lines.empty() || !sets_equal(a, b))
            refuse(what,
                   "its database, dataset, set, sets and description file come from the catalogue and cannot "
                   "be changed");
        t.where = a.where_condition.view() != b.where_condition.view();
        typed(what, "where", a.where_condition.view(), b.where_condition.view(), model::kWhereConditionMax);
        compare_fields(t, a, b);
        return t;
    }

    void compare_fields(TablePlan& t, const CConfigTable& a, const CConfigTable& b) {
        const std::string table = "table " + a.name.str();
        for (const auto& m : match_fields(a, b)) {
            if (m.a == nullptr) {
                const CConfigField& f = *m.b;
                const std::string what = table + " field " + field_label(f);
                if (f.field_kind == FieldKind::host) {
                    refuse(what, "the host has no such host field (host fields come from the description)");
                    continue;
                }
                if (const std::string problem = definition_problem(b, f); !problem.empty()) {
                    refuse(what, problem);
                    continue;
                }
                const std::size_t before = plan_.refusals.size();
                field_texts(what, nullptr, f);
                if (plan_.refusals.size() != before) continue;
                t.additions.push_back(&f);
                add_lines_[&a].push_back(
                    "add " + std::string(f.field_kind == FieldKind::calculated ? "calculated" : "user-defined") +
                    " field " + f.name.str());
                continue;
            }
            if (m.b == nullptr) {
                const CConfigField& f = *m.a;
                const std::string what = table + " field " + field_label(f);
                if (f.field_kind == FieldKind::host) {
                    refuse(what, "a host field cannot be deleted; hide it with \"visible\": false");
                    continue;
                }
                t.cuts.push_back(f.tblfieldnum);
                cut_lines_[&a].push_back("delete field " + f.name.str());
                plan_.deletions.push_back(what);
                continue;
            }
            compare_field(t, b, *m.a, *m.b, table);
        }
    }

    void compare_field(TablePlan& t, const CConfigTable& desired_table, const CConfigField& a, const CConfigField& b,
                       const std::string& table) {
        const std::string what = table + " field " + field_label(a);
        if (a.field_kind != b.field_kind) {
            refuse(what, "a field cannot change its kind");
            return;
        }
        field_texts(what, &a, b);
        Changes c("field " + field_label(a) + ": ");
        const bool rename = c.text("name", a.name, b.name);
        c.boolean("update_allowed", a.update_allowed, b.update_allowed);
        c.number("date_kind", a.date_kind, b.date_kind);
        if (b.is_date_or_time()) c.number("date_format", a.date_format, b.date_format);
        Changes fixed("");  // what a host field takes from the description
        if (a.field_kind == FieldKind::host) {
            fixed.text("host_name", a.host_name, b.host_name);
            fixed.number("type", a.data_type_code, b.data_type_code);
            fixed.number("length", a.length, b.length);
            fixed.number("decimals", a.decimals, b.decimals);
            fixed.number("offset", a.offset, b.offset);
            if (!fixed.lines.empty()) {
                refuse(what, "the type, length, decimals and offset of a host field come from the description");
                return;
            }
        } else {
            c.number("type", a.data_type_code, b.data_type_code);
            c.number("length", a.length, b.length);
            c.number("decimals", a.decimals, b.decimals);
            if (a.field_kind == FieldKind::user_defined) {
                c.number("offset", a.offset, b.offset);
                c.number("offset_value", a.offset_value, b.offset_value);
                c.boolean("offset_in_characters", a.offset_in_characters, b.offset_in_characters);
                c.boolean("offset_from_start", a.offset_from_start, b.offset_from_start);
                c.text("base_field", a.base_field, b.base_field);
            } else {
                c.text("expression", a.expression, b.expression);
            }
        }
        if (!c.lines.empty()) {
            std::string problem;
            if (a.field_kind == FieldKind::host)
                problem = date_format_allowed(b)
                              ? ""
                              : "date kind " + num(b.date_kind) + " has no format " + num(b.date_format);
            else
                problem = definition_problem(desired_table, b);
            if (!problem.empty()) {
                refuse(what, problem);
                return;
            }
            t.changes.push_back({a.tblfieldnum, &b, rename});
            auto& lines = field_lines_[t.current];
            lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        }
        if (a.field_kind == FieldKind::host && a.visible != b.visible) {
            t.marks.push_back({a.tblfieldnum, &b, false});
            mark_lines_[t.current].push_back((b.visible ? "show field " : "hide field ") + field_label(a));
        }
    }

    void field_texts(const std::string& what, const CConfigField* a, const CConfigField& b) {
        typed(what, "name", a != nullptr ? a->name.view() : "", b.name.view(), model::kFieldNameMax);
        typed(what, "expression", a != nullptr ? a->expression.view() : "", b.expression.view(),
              model::kExpressionMax);
        typed(what, "base_field", a != nullptr ? a->base_field.view() : "", b.base_field.view(),
              model::kBaseFieldMax);
    }

    void global() {
        Changes g("");
        const model::CGlobalOptions& a = current_.global_options;
        const model::CGlobalOptions& b = desired_.global_options;
        typed("global", "guardfile", a.guardfile.view(), b.guardfile.view(), model::kGuardfileMax);
        typed("global", "usercode", a.usercode.view(), b.usercode.view(), model::kUsercodeMax);
        typed("global", "app_name", a.app_name.view(), b.app_name.view(), model::kAppNameMax);
        typed("global", "translation", a.translation.view(), b.translation.view(), model::kTranslationMax);
        g.text("description", current_.description, desired_.description);
        g.number("date_base_month", a.date_base_month, b.date_base_month);
        g.number("date_base_day", a.date_base_day, b.date_base_day);
        g.number("date_base_year", a.date_base_year, b.date_base_year);
        g.boolean("database_libraries", a.library_kind, b.library_kind);
        g.boolean("ignore_unique_indices", a.unique_indices, b.unique_indices);
        g.boolean("hide_fields", a.hide_fields, b.hide_fields);
        g.number("security_type", a.security_type, b.security_type);
        g.number("security_use", a.security_use, b.security_use);
        g.text("guardfile", a.guardfile, b.guardfile);
        g.number("program_security", a.program_security, b.program_security);
        g.text("usercode", a.usercode, b.usercode);
        g.text("app_name", a.app_name, b.app_name);
        g.number("priority", a.priority, b.priority);
        g.text("translation", a.translation, b.translation);
        if (!g.lines.empty()) {
            plan_.global = true;
            plan_.requests.push_back({kPutGlobal, "global options", g.lines});
        }
        Changes l("");
        if (!same_limits_lines(l, current_.limits, desired_.limits)) {
            plan_.limits = true;
            plan_.requests.push_back({kPutLimits, "limits", l.lines});
        }
    }

    std::string table_list_text(const CConfigFile& file, const CPcApplication& app) {
        if (!app.table_list) return "none";
        std::string text = "[";
        for (std::size_t i = 0; i < app.tables.size(); ++i) {
            std::string name = application_table_name(file, *app.tables[i]);
            for (char& ch : name)
                if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
            text += (i > 0 ? ", " : "") + name + (app.tables[i]->update_allowed ? " update" : "");
        }
        return text + "]";
    }

    void applications() {
        PlannedRequest removals{kDeleteApps, "applications", {}};
        PlannedRequest changes{kModifyApps, "applications", {}};
        PlannedRequest additions{kAddApps, "applications", {}};
        for (const auto& m : match_applications(current_, desired_)) {
            if (m.b != nullptr)
                for (const auto& entry : m.b->tables)
                    if (application_table_name(desired_, *entry).empty())
                        refuse("application " + m.b->program_name.str(),
                               "table number " + num(entry->table_number) + " is not a table of the document");
            if (m.b != nullptr)
                typed("application " + m.b->program_name.str(), "program",
                      m.a != nullptr ? m.a->program_name.view() : "", m.b->program_name.view(), kMaxProgramName);
            if (m.a == nullptr) {
                plan_.application_additions.push_back(m.b);
                additions.changes.push_back("add application " + m.b->program_name.str());
                continue;
            }
            if (m.b == nullptr) {
                plan_.application_deletions.push_back(m.a->app_number);
                removals.changes.push_back("delete application " + m.a->program_name.str());
                plan_.deletions.push_back("application " + m.a->program_name.str());
                continue;
            }
            Changes c("application " + m.a->program_name.str() + ": ");
            c.text("program", m.a->program_name, m.b->program_name);
            c.boolean("update_allowed", m.a->update_allowed, m.b->update_allowed);
            const std::string la = m.a->local_limits ? "local" : "global";
            const std::string lb = m.b->local_limits ? "local" : "global";
            if (la != lb)
                c.lines.push_back(std::string("application ") + m.a->program_name.str() + ": limits: " + la + " -> " +
                                  lb);
            if (m.a->local_limits && m.b->local_limits) {
                Changes lim("application " + m.a->program_name.str() + ": limits.");
                same_limits_lines(lim, m.a->limits, m.b->limits);
                c.lines.insert(c.lines.end(), lim.lines.begin(), lim.lines.end());
            }
            const std::string ta = table_list_text(current_, *m.a);
            const std::string tb = table_list_text(desired_, *m.b);
            if (ta != tb) c.lines.push_back("application " + m.a->program_name.str() + ": tables: " + ta + " -> " + tb);
            if (!c.lines.empty()) {
                plan_.application_changes.push_back({m.a, m.b});
                changes.changes.insert(changes.changes.end(), c.lines.begin(), c.lines.end());
            }
        }
        if (!removals.changes.empty()) plan_.requests.push_back(std::move(removals));
        if (!changes.changes.empty()) plan_.requests.push_back(std::move(changes));
        if (!additions.changes.empty()) plan_.requests.push_back(std::move(additions));
    }

    const CConfigFile& current_;
    const CConfigFile& desired_;
    ConfigPlan& plan_;
    std::map<const CConfigTable*, std::vector<std::string>> field_lines_, mark_lines_, cut_lines_, add_lines_;
};

}  // namespace

bool offset_field_type_allowed(std::int32_t code, std::int32_t length, std::int32_t decimals) {
    if (decimals < 0 || length < 0) return false;
    if (code == model::DataTypeCode::field && (length < 1 || length > 48)) return false;
    const Entry entry = entry_of(code);
    if ((entry == Entry::packed || entry == Entry::unpacked || entry == Entry::real) && decimals > length) return false;
    return derived_code(entry, signed_code(code), decimals, length) == code;
}

ConfigPlan plan_config_changes(const CConfigFile& current, const CConfigFile& desired, bool allow_delete) {
    ConfigPlan plan;
    plan.desired = &desired;
    Planner(current, desired, plan).run(allow_delete);
    return plan;
}

std::string format_plan(const ConfigPlan& plan) {
    std::string out;
    for (const PlannedRequest& r : plan.requests) {
        out += num(r.code) + " " + std::string(request_name(r.code)) + "  " + r.target + "\n";
        for (const std::string& line : r.changes) out += "    " + line + "\n";
    }
    return out;
}

}  // namespace kestra::configsvc
