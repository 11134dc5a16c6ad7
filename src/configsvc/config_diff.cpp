#include "configsvc/config_diff.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "configsvc/config_document.h"
#include "configsvc/config_document_keys.h"
#include "configsvc/config_match.h"

namespace kestra::configsvc {

namespace {

using model::CConfigField;
using model::CConfigFile;
using model::CConfigLimits;
using model::CConfigTable;
using model::CJoinMember;
using model::CPcApplication;
using model::FieldKind;

// An entry as a list of its keys and spelt values, in document order, host numbers left out.
using Values = std::vector<std::pair<std::string, std::string>>;

std::string lit(std::string_view text) {
    return document_text_literal(text);
}
std::string num(std::int64_t n) {
    return std::to_string(n);
}
std::string flag(bool b) {
    return b ? "true" : "false";
}

void add(Values& v, std::string_view key, std::string value) {
    v.emplace_back(std::string(key), std::move(value));
}

std::string limits_text(const CConfigLimits& l) {
    return "{where_required " + flag(l.where_required) + ", linear_selects " + flag(l.linear_selects) +
           ", linear_joins " + flag(l.linear_joins) + ", row_limit_kind " + num(l.row_limit_kind) + ", row_count " +
           num(l.row_count) + "}";
}

void limits_values(Values& v, const CConfigLimits& l) {
    add(v, keys::kWhereRequired, flag(l.where_required));
    add(v, keys::kLinearSelects, flag(l.linear_selects));
    add(v, keys::kLinearJoins, flag(l.linear_joins));
    add(v, keys::kRowLimitKind, num(l.row_limit_kind));
    add(v, keys::kRowCount, num(l.row_count));
}

Values global_values(const CConfigFile& f) {
    const model::CGlobalOptions& g = f.global_options;
    Values v;
    add(v, keys::kDescription, lit(f.description.view()));
    add(v, keys::kDateBaseMonth, num(g.date_base_month));
    add(v, keys::kDateBaseDay, num(g.date_base_day));
    add(v, keys::kDateBaseYear, num(g.date_base_year));
    add(v, keys::kDatabaseLibraries, flag(g.library_kind));
    add(v, keys::kIgnoreUniqueIndices, flag(g.unique_indices));
    add(v, keys::kHideFields, flag(g.hide_fields));
    add(v, keys::kSecurityType, num(g.security_type));
    add(v, keys::kSecurityUse, num(g.security_use));
    add(v, keys::kGuardfile, lit(g.guardfile.view()));
    add(v, keys::kProgramSecurity, num(g.program_security));
    add(v, keys::kUsercode, lit(g.usercode.view()));
    add(v, keys::kAppName, lit(g.app_name.view()));
    add(v, keys::kPriority, num(g.priority));
    add(v, keys::kTranslation, lit(g.translation.view()));
    return v;
}

Values application_values(const CConfigFile& file, const CPcApplication& app) {
    Values v;
    add(v, keys::kProgram, lit(app.program_name.view()));
    add(v, keys::kUpdateAllowed, flag(app.update_allowed));
    add(v, keys::kLimits, app.local_limits ? limits_text(app.limits) : "global");
    std::string tables = "none";
    if (app.table_list) {
        tables = "[";
        for (std::size_t i = 0; i < app.tables.size(); ++i) {
            if (i > 0) tables += ", ";
            tables += lit(application_table_name(file, *app.tables[i]));
            if (app.tables[i]->update_allowed) tables += " update";
        }
        tables += "]";
    }
    add(v, keys::kTables, tables);
    return v;
}

Values table_values(const CConfigTable& t) {
    Values v;
    add(v, keys::kName, lit(t.name.view()));
    add(v, keys::kJoin, flag(t.join_table));
    add(v, keys::kOption, num(t.table_option));
    add(v, keys::kUpdateAllowed, flag(t.update_allowed));
    add(v, keys::kReturnGroups, flag(t.return_groups));
    if (!t.join_table) {
        add(v, keys::kDatabase, lit(t.database.view()));
        add(v, keys::kDataset, lit(t.dataset.view()));
        add(v, keys::kSet, lit(t.set.view()));
        add(v, keys::kDescriptionFile, lit(t.description_file.view()));
        add(v, keys::kWhere, lit(t.where_condition.view()));
        std::string sets = "[";
        for (std::size_t i = 0; i < t.sets.size(); ++i) {
            const model::CTableSet& s = *t.sets[i];
            if (i > 0) sets += ", ";
            sets += lit(s.set_name.view()) + " " + num(s.first_attribute) + num(s.second_attribute) +
                    num(s.third_attribute) + " keys";
            for (const model::CSetKey& k : s.keys)
                sets += " " + num(k.field_number) + ":" + num(k.first_attribute) + num(k.second_attribute);
        }
        add(v, keys::kSets, sets + "]");
    }
    return v;
}

Values field_values(const CConfigField& f) {
    Values v;
    add(v, keys::kName, lit(f.name.view()));
    add(v, keys::kHostName, lit(f.host_name.view()));
    const std::string_view word = field_kind_word(f.field_kind);
    add(v, keys::kKind, word.empty() ? num(f.field_kind) : std::string(word));
    if (f.field_kind == FieldKind::host) add(v, keys::kVisible, flag(f.visible));
    if (f.field_kind != FieldKind::calculated) add(v, keys::kUpdateAllowed, flag(f.update_allowed));
    add(v, keys::kType, num(f.data_type_code) + " " + f.type_text());
    add(v, keys::kLength, num(f.length));
    add(v, keys::kDecimals, num(f.decimals));
    add(v, keys::kDateKind, num(f.date_kind));
    if (f.is_date_or_time()) add(v, keys::kDateFormat, num(f.date_format));
    if (f.field_kind != FieldKind::calculated) add(v, keys::kOffset, num(f.offset));
    if (f.field_kind == FieldKind::user_defined) {
        add(v, keys::kOffsetValue, num(f.offset_value));
        add(v, keys::kOffsetInCharacters, flag(f.offset_in_characters));
        add(v, keys::kOffsetFromStart, flag(f.offset_from_start));
        add(v, keys::kBaseField, lit(f.base_field.view()));
    }
    if (f.field_kind == FieldKind::calculated) add(v, keys::kExpression, lit(f.expression.view()));
    return v;
}

Values member_values(const CJoinMember& m) {
    Values v;
    add(v, keys::kSubTable, lit(m.sub_table.view()));
    add(v, keys::kSet, lit(m.set.view()));
    add(v, keys::kJoinKind, num(m.join_kind));
    add(v, keys::kWhere, lit(m.where_condition.view()));
    std::string fields = "[";
    for (std::size_t i = 0; i < m.condition_count(); ++i) {
        const model::CJoinField& f = *m.join_fields[i];
        if (i > 0) fields += ", ";
        fields += lit(f.field.view()) + " = ";
        if (f.kind == model::JoinFieldKind::field) fields += "member " + num(f.member_number) + " ";
        fields += (f.kind == model::JoinFieldKind::expression ? "expression " : "") + lit(f.value.view());
    }
    add(v, keys::kJoinFields, fields + "]");
    return v;
}

// A quick look before the values are spelt out: most fields of two versions of a file are alike.
bool same_field(const CConfigField& a, const CConfigField& b) {
    return a.name.view() == b.name.view() && a.host_name.view() == b.host_name.view() && a.field_kind == b.field_kind &&
           a.visible == b.visible && a.update_allowed == b.update_allowed && a.data_type_code == b.data_type_code &&
           a.length == b.length && a.decimals == b.decimals && a.date_kind == b.date_kind &&
           a.date_format == b.date_format && a.offset == b.offset && a.offset_value == b.offset_value &&
           a.offset_in_characters == b.offset_in_characters && a.offset_from_start == b.offset_from_start &&
           a.base_field.view() == b.base_field.view() && a.expression.view() == b.expression.view();
}

void compare(std::vector<DiffLine>& out, const std::string& part, const Values& a, const Values& b) {
    for (const auto& [key, value] : a) {
        const std::string* other = nullptr;
        for (const auto& [k, w] : b)
            if (k == key) other = &w;
        if (other == nullptr)
            out.push_back({part, DiffLine::Op::removed, key, value, {}});
        else if (*other != value)
            out.push_back({part, DiffLine::Op::changed, key, value, *other});
    }
    for (const auto& [key, value] : b) {
        bool known = false;
        for (const auto& [k, w] : a) known = known || k == key;
        if (!known) out.push_back({part, DiffLine::Op::added, key, {}, value});
    }
}

void whole(std::vector<DiffLine>& out, const std::string& part, bool added) {
    out.push_back({part, added ? DiffLine::Op::added : DiffLine::Op::removed, {}, {}, {}});
}

void diff_table(std::vector<DiffLine>& out, const CConfigTable& a, const CConfigTable& b) {
    const std::string part = "table " + a.name.str();
    compare(out, part, table_values(a), table_values(b));
    if (a.join_table || b.join_table) {
        const std::string join = "join " + a.name.str() + " member ";
        const std::size_t n = std::max(a.members.size(), b.members.size());
        for (std::size_t i = 0; i < n; ++i) {
            const std::string here = join + std::to_string(i + 1);
            if (i >= a.members.size())
                whole(out, here, true);
            else if (i >= b.members.size())
                whole(out, here, false);
            else
                compare(out, here, member_values(*a.members[i]), member_values(*b.members[i]));
        }
    }
    for (const auto& m : match_fields(a, b)) {
        if (m.a != nullptr && m.b != nullptr && same_field(*m.a, *m.b)) continue;
        const std::string here = part + " field " + field_label(m.a != nullptr ? *m.a : *m.b);
        if (m.a == nullptr)
            whole(out, here, true);
        else if (m.b == nullptr)
            whole(out, here, false);
        else
            compare(out, here, field_values(*m.a), field_values(*m.b));
    }
}

void append_json_member(std::string& out, const char* key, std::string_view value, bool comma = true) {
    if (comma) out += ',';
    out += '"';
    out += key;
    out += "\":";
    out += document_text_literal(value);
}

}  // namespace

std::vector<DiffLine> diff_config_files(const CConfigFile& a, const CConfigFile& b) {
    std::vector<DiffLine> out;
    compare(out, "global", global_values(a), global_values(b));
    Values la, lb;
    limits_values(la, a.limits);
    limits_values(lb, b.limits);
    compare(out, "limits", la, lb);
    for (const auto& m : match_applications(a, b)) {
        const std::string part = "application " + (m.a != nullptr ? m.a->program_name.str() : m.b->program_name.str());
        if (m.a == nullptr)
            whole(out, part, true);
        else if (m.b == nullptr)
            whole(out, part, false);
        else
            compare(out, part, application_values(a, *m.a), application_values(b, *m.b));
    }
    for (const auto& m : match_tables(a, b)) {
        if (m.a == nullptr)
            whole(out, "table " + m.b->name.str(), true);
        else if (m.b == nullptr)
            whole(out, "table " + m.a->name.str(), false);
        else
            diff_table(out, *m.a, *m.b);
    }
    return out;
}

std::string format_diff_text(const std::vector<DiffLine>& lines) {
    std::string out;
    const std::string* heading = nullptr;
    for (const DiffLine& d : lines) {
        if (d.key.empty()) {
            out += static_cast<char>(d.op);
            out += " " + d.part + "\n";
            heading = nullptr;
            continue;
        }
        if (heading == nullptr || *heading != d.part) {
            out += d.part + "\n";
            heading = &d.part;
        }
        out += "  ";
        out += static_cast<char>(d.op);
        out += " " + d.key + ": ";
        if (d.op == DiffLine::Op::changed)
            out += d.old_value + " -> " + d.new_value;
        else
            out += d.op == DiffLine::Op::added ? d.new_value : d.old_value;
        out += "\n";
    }
    return out;
}

std::string format_diff_json(const std::vector<DiffLine>& lines) {
    std::string out = "[";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const DiffLine& d = lines[i];
        if (i > 0) out += ",";
        out += "{";
        append_json_member(out, "part", d.part, false);
        append_json_member(out, "op", std::string(1, static_cast<char>(d.op)));
        if (!d.key.empty()) {
            append_json_member(out, "key", d.key);
            if (d.op != DiffLine::Op::added) append_json_member(out, "old", d.old_value);
            if (d.op != DiffLine::Op::removed) append_json_member(out, "new", d.new_value);
        }
        out += "}";
    }
    out += "]\n";
    return out;
}

}  // namespace kestra::configsvc
