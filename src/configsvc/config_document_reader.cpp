// Reading a configuration document as distrustfully as a reply from the wire: every key known, every value of its
// type, within its range and its length, names unique, references resolved. Nothing of the JSON library escapes:
// its failures become problems with the place they were found.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <string_view>

#include "configsvc/config_document.h"
#include "configsvc/config_document_keys.h"

namespace kestra::configsvc {

namespace {

using model::CConfigField;
using model::CConfigFile;
using model::CConfigLimits;
using model::CConfigTable;
using model::CJoinField;
using model::CJoinMember;
using model::CPcApplication;
using model::CTableSet;
using model::FieldKind;
using nlohmann::json;

std::string upper_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// UTF-8 as the JSON parser has checked it, back to Latin-1 bytes; false for a character above U+00FF.
bool to_latin1(const std::string& utf8, std::string& out) {
    out.clear();
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else if ((b == 0xc2 || b == 0xc3) && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            out += static_cast<char>(((b & 0x03u) << 6) | (next & 0x3fu));
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

std::string at(const std::string& path, std::string_view key) {
    return path.empty() ? std::string(key) : path + "." + std::string(key);
}
std::string at(const std::string& path, std::size_t index) {
    return path + "[" + std::to_string(index) + "]";
}

template <class Text>
void store(Text& field, std::string_view value) {
    field.assign(value);
}

class Reader {
  public:
    explicit Reader(std::vector<DocumentProblem>& problems) : problems_(problems) {}

    bool failed() const { return !problems_.empty(); }
    bool full() const { return problems_.size() >= kMaxDocumentDiagnostics; }
    void fail(std::string path, std::string message) {
        if (!full()) problems_.push_back({std::move(path), std::move(message)});
    }

    // An object whose keys are all among `allowed`.
    bool object(const json& value, const std::string& path, std::initializer_list<std::string_view> allowed) {
        if (!value.is_object()) {
            fail(path, "an object is required");
            return false;
        }
        for (auto it = value.begin(); it != value.end(); ++it) {
            bool known = false;
            for (std::string_view k : allowed) known = known || it.key() == k;
            if (!known) fail(at(path, it.key()), "unknown key");
        }
        return true;
    }

    // The array under `key` (absent: nullptr without a problem unless required), bounded in length.
    const json* array(const json& obj, const std::string& path, std::string_view key, std::size_t max,
                      bool required = false) {
        const json* value = find(obj, key);
        if (value == nullptr) {
            if (required) fail(at(path, key), "missing");
            return nullptr;
        }
        if (!value->is_array()) {
            fail(at(path, key), "an array is required");
            return nullptr;
        }
        if (value->size() > max) {
            fail(at(path, key), "more than " + std::to_string(max) + " entries");
            return nullptr;
        }
        return value;
    }

    const json* child_object(const json& obj, const std::string& path, std::string_view key) {
        const json* value = find(obj, key);
        if (value != nullptr && !value->is_object()) {
            fail(at(path, key), "an object is required");
            return nullptr;
        }
        return value;
    }

    template <class Text>
    void text(const json& obj, const std::string& path, std::string_view key, Text& out, std::size_t max,
              bool required = false) {
        std::string value;
        if (read_text(obj, path, key, max, required, value)) store(out, value);
    }

    bool read_text(const json& obj, const std::string& path, std::string_view key, std::size_t max, bool required,
                   std::string& out) {
        const json* value = find(obj, key);
        // The path is spelt only for a problem: most values are sound, and a document has many.
        if (value == nullptr) {
            if (required) fail(at(path, key), "missing");
            return false;
        }
        if (!value->is_string()) {
            fail(at(path, key), "a text is required");
            return false;
        }
        if (!to_latin1(value->get_ref<const std::string&>(), out)) {
            fail(at(path, key), "a character outside Latin-1");
            return false;
        }
        if (out.size() > max) {
            fail(at(path, key), "longer than " + std::to_string(max) + " characters");
            return false;
        }
        return true;
    }

    bool integer(const json& obj, const std::string& path, std::string_view key, std::int32_t& out, std::int64_t min,
                 std::int64_t max, bool required = false) {
        const json* value = find(obj, key);
        if (value == nullptr) {
            if (required) fail(at(path, key), "missing");
            return false;
        }
        if (!value->is_number_integer()) {
            fail(at(path, key), "a whole number is required");
            return false;
        }
        bool in_range = false;
        std::int64_t n = 0;
        if (value->is_number_unsigned()) {
            const auto u = value->get<std::uint64_t>();
            in_range = u <= static_cast<std::uint64_t>(max);
            n = in_range ? static_cast<std::int64_t>(u) : 0;
            in_range = in_range && n >= min;
        } else {
            n = value->get<std::int64_t>();
            in_range = n >= min && n <= max;
        }
        if (!in_range) {
            fail(at(path, key), "outside " + std::to_string(min) + " to " + std::to_string(max));
            return false;
        }
        out = static_cast<std::int32_t>(n);
        return true;
    }

    void flag(const json& obj, const std::string& path, std::string_view key, bool& out) {
        const json* value = find(obj, key);
        if (value == nullptr) return;
        if (!value->is_boolean())
            fail(at(path, key), "true or false is required");
        else
            out = value->get<bool>();
    }

    static const json* find(const json& obj, std::string_view key) {
        const auto it = obj.find(key);
        return it == obj.end() ? nullptr : &*it;
    }

  private:
    std::vector<DocumentProblem>& problems_;
};

void read_limits(Reader& r, const json& j, const std::string& path, CConfigLimits& limits) {
    if (!r.object(
            j, path,
            {keys::kWhereRequired, keys::kLinearSelects, keys::kLinearJoins, keys::kRowLimitKind, keys::kRowCount}))
        return;
    r.flag(j, path, keys::kWhereRequired, limits.where_required);
    r.flag(j, path, keys::kLinearSelects, limits.linear_selects);
    r.flag(j, path, keys::kLinearJoins, limits.linear_joins);
    r.integer(j, path, keys::kRowLimitKind, limits.row_limit_kind, 0, 2);
    r.integer(j, path, keys::kRowCount, limits.row_count, 0, 2147483647);
}

void read_global(Reader& r, const json& j, const std::string& path, model::CGlobalOptions& g) {
    if (!r.object(
            j, path,
            {keys::kDateBaseMonth, keys::kDateBaseDay, keys::kDateBaseYear, keys::kDatabaseLibraries,
             keys::kIgnoreUniqueIndices, keys::kHideFields, keys::kSecurityType, keys::kSecurityUse, keys::kGuardfile,
             keys::kProgramSecurity, keys::kUsercode, keys::kAppName, keys::kPriority, keys::kTranslation}))
        return;
    r.integer(j, path, keys::kDateBaseMonth, g.date_base_month, 0, 99);
    r.integer(j, path, keys::kDateBaseDay, g.date_base_day, 0, 99);
    r.integer(j, path, keys::kDateBaseYear, g.date_base_year, 0, 9999);
    r.flag(j, path, keys::kDatabaseLibraries, g.library_kind);
    r.flag(j, path, keys::kIgnoreUniqueIndices, g.unique_indices);
    r.flag(j, path, keys::kHideFields, g.hide_fields);
    r.integer(j, path, keys::kSecurityType, g.security_type, 0, 2);
    r.integer(j, path, keys::kSecurityUse, g.security_use, 0, 3);
    r.text(j, path, keys::kGuardfile, g.guardfile, model::kMaxWireText);
    r.integer(j, path, keys::kProgramSecurity, g.program_security, 0, 2);
    r.text(j, path, keys::kUsercode, g.usercode, model::kMaxWireText);
    r.text(j, path, keys::kAppName, g.app_name, model::kMaxWireText);
    r.integer(j, path, keys::kPriority, g.priority, 0, 99);
    r.text(j, path, keys::kTranslation, g.translation, model::kMaxWireText);
}

void read_field(Reader& r, const json& j, const std::string& path, CConfigField& f) {
    if (!j.is_object()) {
        r.fail(path, "an object is required");
        return;
    }
    // The kind decides which keys belong.
    std::int32_t kind = -1;
    if (const json* k = Reader::find(j, keys::kKind); k == nullptr) {
        r.fail(at(path, keys::kKind), "missing");
    } else if (k->is_string()) {
        const auto& word = k->get_ref<const std::string&>();
        for (std::int32_t candidate : {FieldKind::host, FieldKind::user_defined, FieldKind::calculated})
            if (word == field_kind_word(candidate)) kind = candidate;
        if (kind < 0) r.fail(at(path, keys::kKind), "host, user or calculated is required");
    } else {
        // A kind the host sent and this program does not name is kept as its number.
        r.integer(j, path, keys::kKind, kind, 3, 9);
    }
    if (kind < 0) return;
    f.field_kind = kind;
    const bool host = kind == FieldKind::host;
    const bool user = kind == FieldKind::user_defined;
    const bool calculated = kind == FieldKind::calculated;
    const auto belongs = [&](std::string_view key) {
        for (std::string_view k : {keys::kName, keys::kHostName, keys::kNumber, keys::kKind, keys::kType, keys::kLength,
                                   keys::kDecimals, keys::kDateKind, keys::kDateFormat})
            if (key == k) return true;
        if (host && (key == keys::kVisible || key == keys::kUpdateAllowed || key == keys::kOffset)) return true;
        if (user)
            for (std::string_view k : {keys::kUpdateAllowed, keys::kOffset, keys::kOffsetValue,
                                       keys::kOffsetInCharacters, keys::kOffsetFromStart, keys::kBaseField})
                if (key == k) return true;
        return calculated && key == keys::kExpression;
    };
    for (auto it = j.begin(); it != j.end(); ++it)
        if (!belongs(it.key()))
            r.fail(at(path, it.key()), "not a key of a " +
                                           std::string(host         ? "host"
                                                       : user       ? "user"
                                                       : calculated ? "calculated"
                                                                    : "other") +
                                           " field");

    r.text(j, path, keys::kName, f.name, model::kMaxWireText, !host);
    r.text(j, path, keys::kHostName, f.host_name, model::kMaxWireText, host);
    if (host && f.host_name.empty() && Reader::find(j, keys::kHostName) != nullptr)
        r.fail(at(path, keys::kHostName), "empty");
    // A host field whose name is left out is called by its host name, as the field list does.
    if (host && Reader::find(j, keys::kName) == nullptr) store(f.name, f.host_name.view());
    if (f.name.empty() && Reader::find(j, keys::kName) != nullptr) r.fail(at(path, keys::kName), "empty");
    r.integer(j, path, keys::kNumber, f.tblfieldnum, 0, 9999);
    r.flag(j, path, keys::kVisible, f.visible);
    r.flag(j, path, keys::kUpdateAllowed, f.update_allowed);
    r.integer(j, path, keys::kType, f.data_type_code, 0, 99);
    r.integer(j, path, keys::kLength, f.length, 0, 9999);
    r.integer(j, path, keys::kDecimals, f.decimals, 0, 99);
    r.integer(j, path, keys::kDateKind, f.date_kind, 0, 9);
    if (Reader::find(j, keys::kDateFormat) != nullptr && !f.is_date_or_time())
        r.fail(at(path, keys::kDateFormat), "only a date, time or timestamp has a format");
    r.integer(j, path, keys::kDateFormat, f.date_format, 0, 99);
    r.integer(j, path, keys::kOffset, f.offset, 0, 9999);
    r.integer(j, path, keys::kOffsetValue, f.offset_value, 0, 9999);
    r.flag(j, path, keys::kOffsetInCharacters, f.offset_in_characters);
    r.flag(j, path, keys::kOffsetFromStart, f.offset_from_start);
    r.text(j, path, keys::kBaseField, f.base_field, model::kMaxWireText);
    r.text(j, path, keys::kExpression, f.expression, model::kMaxWireText, calculated);
}

void read_set(Reader& r, const json& j, const std::string& path, CTableSet& s) {
    if (!r.object(j, path, {keys::kName, keys::kFirst, keys::kSecond, keys::kThird, keys::kKeys})) return;
    r.text(j, path, keys::kName, s.set_name, model::kMaxWireText, true);
    r.integer(j, path, keys::kFirst, s.first_attribute, 0, 9);
    r.integer(j, path, keys::kSecond, s.second_attribute, 0, 9);
    r.integer(j, path, keys::kThird, s.third_attribute, 0, 9);
    if (const json* list = r.array(j, path, keys::kKeys, kMaxDocumentEntries)) {
        for (std::size_t i = 0; i < list->size() && !r.full(); ++i) {
            const json& k = (*list)[i];
            const std::string here = at(at(path, keys::kKeys), i);
            if (!r.object(k, here, {keys::kField, keys::kFirst, keys::kSecond})) continue;
            model::CSetKey key;
            r.integer(k, here, keys::kField, key.field_number, 0, 9999, true);
            r.integer(k, here, keys::kFirst, key.first_attribute, 0, 9);
            r.integer(k, here, keys::kSecond, key.second_attribute, 0, 9);
            s.keys.push_back(key);
        }
    }
}

void read_member(Reader& r, const json& j, const std::string& path, CJoinMember& m) {
    if (!r.object(j, path, {keys::kSubTable, keys::kSet, keys::kJoinKind, keys::kWhere, keys::kJoinFields})) return;
    r.text(j, path, keys::kSubTable, m.sub_table, model::kMaxWireText, true);
    r.text(j, path, keys::kSet, m.set, model::kMaxWireText);
    r.integer(j, path, keys::kJoinKind, m.join_kind, 0, 9);
    r.text(j, path, keys::kWhere, m.where_condition, model::kMaxWireText);
    const json* list = r.array(j, path, keys::kJoinFields, kMaxDocumentEntries);
    if (list == nullptr) return;
    for (std::size_t i = 0; i < list->size() && !r.full(); ++i) {
        const json& f = (*list)[i];
        const std::string here = at(at(path, keys::kJoinFields), i);
        if (!r.object(f, here, {keys::kField, keys::kKind, keys::kMember, keys::kValue})) continue;
        auto field = std::make_unique<CJoinField>();
        r.text(f, here, keys::kField, field->field, model::kMaxWireText, true);
        // An unbound condition (-1) ends a member's list on the wire; a document lists bound ones only.
        r.integer(f, here, keys::kKind, field->kind, 0, 2, true);
        if (field->kind == model::JoinFieldKind::field)
            r.integer(f, here, keys::kMember, field->member_number, 1, 9999, true);
        else if (Reader::find(f, keys::kMember) != nullptr)
            r.fail(at(here, keys::kMember), "only a field of another member names a member");
        r.text(f, here, keys::kValue, field->value, model::kMaxWireText, true);
        m.join_fields.push_back(std::move(field));
    }
}

void read_table(Reader& r, const json& j, const std::string& path, CConfigTable& t) {
    if (!j.is_object()) {
        r.fail(path, "an object is required");
        return;
    }
    r.flag(j, path, keys::kJoin, t.join_table);
    if (t.join_table) {
        r.object(j, path,
                 {keys::kName, keys::kNumber, keys::kJoin, keys::kOption, keys::kUpdateAllowed, keys::kReturnGroups,
                  keys::kMembers});
    } else {
        r.object(j, path,
                 {keys::kName, keys::kNumber, keys::kJoin, keys::kOption, keys::kUpdateAllowed, keys::kReturnGroups,
                  keys::kDatabase, keys::kDataset, keys::kSet, keys::kDescriptionFile, keys::kWhere, keys::kSets,
                  keys::kFields});
    }
    r.text(j, path, keys::kName, t.name, model::kMaxWireText, true);
    if (t.name.empty() && Reader::find(j, keys::kName) != nullptr) r.fail(at(path, keys::kName), "empty");
    r.integer(j, path, keys::kNumber, t.table_number, 0, 9999);
    r.integer(j, path, keys::kOption, t.table_option, 0, 99999);
    r.flag(j, path, keys::kUpdateAllowed, t.update_allowed);
    r.flag(j, path, keys::kReturnGroups, t.return_groups);
    if (t.join_table) {
        const json* list = r.array(j, path, keys::kMembers, kMaxDocumentEntries);
        if (list == nullptr) return;
        for (std::size_t i = 0; i < list->size() && !r.full(); ++i) {
            auto m = std::make_unique<CJoinMember>();
            read_member(r, (*list)[i], at(at(path, keys::kMembers), i), *m);
            t.members.push_back(std::move(m));
        }
        // A join field names a member by its position.
        for (std::size_t i = 0; i < t.members.size(); ++i)
            for (std::size_t k = 0; k < t.members[i]->join_fields.size(); ++k) {
                const CJoinField& f = *t.members[i]->join_fields[k];
                if (f.kind == model::JoinFieldKind::field &&
                    static_cast<std::size_t>(f.member_number) > t.members.size())
                    r.fail(at(at(at(at(path, keys::kMembers), i), keys::kJoinFields), k) + ".member",
                           "no member " + std::to_string(f.member_number) + " in this join");
            }
        return;
    }
    r.text(j, path, keys::kDatabase, t.database, model::kMaxWireText);
    r.text(j, path, keys::kDataset, t.dataset, model::kMaxWireText);
    r.text(j, path, keys::kSet, t.set, model::kMaxWireText);
    t.over_a_set = !t.set.empty();
    r.text(j, path, keys::kDescriptionFile, t.description_file, model::kMaxWireText);
    r.text(j, path, keys::kWhere, t.where_condition, model::kMaxWireText);
    if (const json* list = r.array(j, path, keys::kSets, kMaxDocumentEntries)) {
        for (std::size_t i = 0; i < list->size() && !r.full(); ++i) {
            auto s = std::make_unique<CTableSet>();
            read_set(r, (*list)[i], at(at(path, keys::kSets), i), *s);
            t.sets.push_back(std::move(s));
        }
    }
    const json* list = r.array(j, path, keys::kFields, kMaxDocumentFields);
    if (list == nullptr) return;
    std::set<std::string> names, host_names;
    for (std::size_t i = 0; i < list->size() && !r.full(); ++i) {
        auto f = std::make_unique<CConfigField>();
        const std::string here = at(at(path, keys::kFields), i);
        read_field(r, (*list)[i], here, *f);
        if (!f->name.empty() && !names.insert(upper_ascii(f->name.view())).second)
            r.fail(at(here, keys::kName), "duplicate field name " + f->name.str());
        if (f->field_kind == FieldKind::host && !host_names.insert(upper_ascii(f->host_name.view())).second)
            r.fail(at(here, keys::kHostName), "duplicate host field " + f->host_name.str());
        f->mark_loaded();
        t.fields.push_back(std::move(f));
    }
}

void read_application(Reader& r, const json& j, const std::string& path, CPcApplication& app) {
    if (!r.object(j, path, {keys::kProgram, keys::kNumber, keys::kUpdateAllowed, keys::kLimits, keys::kTables})) return;
    r.text(j, path, keys::kProgram, app.program_name, model::kMaxWireText, true);
    if (app.program_name.empty() && Reader::find(j, keys::kProgram) != nullptr)
        r.fail(at(path, keys::kProgram), "empty");
    r.integer(j, path, keys::kNumber, app.app_number, 0, 999);
    r.flag(j, path, keys::kUpdateAllowed, app.update_allowed);
    if (const json* limits = r.child_object(j, path, keys::kLimits)) {
        app.local_limits = true;
        read_limits(r, *limits, at(path, keys::kLimits), app.limits);
    }
    const json* list = r.array(j, path, keys::kTables, kMaxDocumentEntries);
    if (list == nullptr) return;
    app.table_list = true;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < list->size() && !r.full(); ++i) {
        const json& e = (*list)[i];
        const std::string here = at(at(path, keys::kTables), i);
        if (!r.object(e, here, {keys::kName, keys::kNumber, keys::kUpdateAllowed})) continue;
        auto t = std::make_unique<CConfigTable>();
        r.text(e, here, keys::kName, t->name, model::kMaxWireText, true);
        if (t->name.empty() && Reader::find(e, keys::kName) != nullptr) r.fail(at(here, keys::kName), "empty");
        r.integer(e, here, keys::kNumber, t->table_number, 0, 9999);
        r.flag(e, here, keys::kUpdateAllowed, t->update_allowed);
        if (!t->name.empty() && !seen.insert(upper_ascii(t->name.view())).second)
            r.fail(at(here, keys::kName), "table " + t->name.str() + " listed twice");
        app.tables.push_back(std::move(t));
    }
}

// Cross references that need the whole document: application tables and join members name tables of the file.
void check_references(Reader& r, const CConfigFile& file) {
    auto find = [&file](std::string_view name) -> const CConfigTable* {
        for (const auto& t : file.tables)
            if (model::equal_ignoring_case(t->name.view(), name)) return t.get();
        return nullptr;
    };
    for (std::size_t a = 0; a < file.applications.size(); ++a)
        for (std::size_t i = 0; i < file.applications[a]->tables.size(); ++i) {
            const std::string& name = file.applications[a]->tables[i]->name.str();
            if (!name.empty() && find(name) == nullptr)
                r.fail(at(at(at(std::string(keys::kApplications), a), keys::kTables), i) + ".name",
                       "no table " + name + " in this document");
        }
    for (std::size_t t = 0; t < file.tables.size(); ++t) {
        if (!file.tables[t]->join_table) continue;
        for (std::size_t m = 0; m < file.tables[t]->members.size(); ++m) {
            const std::string& name = file.tables[t]->members[m]->sub_table.str();
            const CConfigTable* sub = find(name);
            if (name.empty()) continue;
            const std::string here = at(at(at(std::string(keys::kTables), t), keys::kMembers), m) + ".sub_table";
            if (sub == nullptr)
                r.fail(here, "no table " + name + " in this document");
            else if (sub->join_table)
                r.fail(here, name + " is a join table");
        }
    }
}

// The deepest nesting of objects and arrays in a text, counted as the parser will see it; whether the text is
// valid JSON is the parser's to say.
std::size_t nesting_depth(std::string_view text) {
    std::size_t depth = 0, deepest = 0;
    bool in_text = false, escaped = false;
    for (const char c : text) {
        if (in_text) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                in_text = false;
            continue;
        }
        if (c == '"') {
            in_text = true;
        } else if (c == '{' || c == '[') {
            deepest = std::max(deepest, ++depth);
        } else if ((c == '}' || c == ']') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

bool check_format(Reader& r, const json& root) {
    std::string format;
    if (!r.read_text(root, "", keys::kFormat, 64, true, format)) return false;
    if (format == kConfigDocumentFormat) return true;
    if (format.rfind(kConfigDocumentFamily, 0) == 0) {
        const std::string version = format.substr(kConfigDocumentFamily.size());
        const bool digits =
            !version.empty() && version.size() < 9 && version.find_first_not_of("0123456789") == std::string::npos;
        if (digits && std::stol(version) > kConfigDocumentVersion) {
            r.fail(std::string(keys::kFormat), "written for a newer version (" + format + "); this program reads " +
                                                   std::string(kConfigDocumentFormat));
            return false;
        }
    }
    r.fail(std::string(keys::kFormat), "not a configuration document of this program (" + format + ")");
    return false;
}

void read_root(Reader& r, const json& root, ConfigDocument& document) {
    if (!root.is_object()) {
        r.fail("", "the document is not a JSON object");
        return;
    }
    // The format first: a newer document is refused before anything of it is read.
    if (!check_format(r, root)) return;
    r.object(root, "",
             {keys::kFormat, keys::kFile, keys::kDescription, keys::kGlobal, keys::kLimits, keys::kApplications,
              keys::kTables});
    CConfigFile& file = document.file;
    r.read_text(root, "", keys::kFile, model::kMaxWireText, false, document.file_name);
    r.text(root, "", keys::kDescription, file.description, model::kMaxWireText);
    if (const json* g = r.child_object(root, "", keys::kGlobal))
        read_global(r, *g, std::string(keys::kGlobal), file.global_options);
    if (const json* l = r.child_object(root, "", keys::kLimits))
        read_limits(r, *l, std::string(keys::kLimits), file.limits);
    if (const json* list = r.array(root, "", keys::kApplications, kMaxDocumentApplications)) {
        std::set<std::string> seen;
        for (std::size_t i = 0; i < list->size() && !r.full(); ++i) {
            auto app = std::make_unique<CPcApplication>();
            const std::string here = at(std::string(keys::kApplications), i);
            read_application(r, (*list)[i], here, *app);
            if (!app->program_name.empty() && !seen.insert(upper_ascii(app->program_name.view())).second)
                r.fail(at(here, keys::kProgram), "duplicate application " + app->program_name.str());
            app->changed = false;
            app->is_new = false;
            file.applications.push_back(std::move(app));
        }
    }
    if (const json* list = r.array(root, "", keys::kTables, kMaxDocumentTables)) {
        std::set<std::string> seen;
        for (std::size_t i = 0; i < list->size() && !r.full(); ++i) {
            auto t = std::make_unique<CConfigTable>();
            const std::string here = at(std::string(keys::kTables), i);
            read_table(r, (*list)[i], here, *t);
            if (!t->name.empty() && !seen.insert(upper_ascii(t->name.view())).second)
                r.fail(at(here, keys::kName), "duplicate table name " + t->name.str());
            file.tables.push_back(std::move(t));
        }
    }
    if (!r.failed()) check_references(r, file);
}

}  // namespace

bool read_config_document(std::string_view text, ConfigDocument& document, std::vector<DocumentProblem>& problems) {
    Reader r(problems);
    if (text.size() > kMaxDocumentBytes) {
        r.fail("", "the document is larger than " + std::to_string(kMaxDocumentBytes) + " bytes");
        return false;
    }
    // Deeper nesting than any document has is refused before parsing, so it never becomes a tree; brackets
    // inside texts do not count.
    if (nesting_depth(text) > kMaxDocumentDepth) {
        r.fail("", "nested deeper than " + std::to_string(kMaxDocumentDepth) + " levels");
        return false;
    }
    try {
        const json root = json::parse(text.begin(), text.end(), nullptr, true, false);
        read_root(r, root, document);
    } catch (const json::parse_error& e) {
        r.fail("", "not valid JSON at byte " + std::to_string(e.byte));
    } catch (const json::out_of_range&) {
        r.fail("", "not valid JSON: a number beyond any range");
    } catch (const std::exception&) {
        r.fail("", "the document could not be read");
    }
    return !r.failed();
}

}  // namespace kestra::configsvc
