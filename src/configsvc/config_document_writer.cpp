// The canonical text of a configuration document. Written by hand rather than through a JSON library, so the key
// order, the indentation and the spelling of every text are fixed here and nowhere else.
#include <cstdint>
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
using model::CJoinMember;
using model::CPcApplication;
using model::CTableSet;
using model::FieldKind;

// Texts are Latin-1: every byte is the code point of the same value, written as UTF-8. Controls are escaped, so a
// document never holds a raw line break inside a value.
void append_text(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        switch (b) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (b < 0x20 || b == 0x7f) {
                    out += "\\u00";
                    out += kHex[b >> 4];
                    out += kHex[b & 0xf];
                } else if (b < 0x80) {
                    out += c;
                } else {
                    out += static_cast<char>(0xc0 | (b >> 6));
                    out += static_cast<char>(0x80 | (b & 0x3f));
                }
        }
    }
    out += '"';
}

// Builds one pretty-printed JSON value. Objects and arrays know whether they have had a member yet, so commas and
// line breaks come out the same whatever the caller writes.
class Emitter {
  public:
    std::string take() {
        out_ += '\n';
        return std::move(out_);
    }

    void begin_object() { open('{'); }
    void end_object() { close('}'); }
    void begin_array() { open('['); }
    void end_array() { close(']'); }

    void key(std::string_view name) {
        next_item();
        append_text(out_, name);
        out_ += ": ";
    }
    void object_key(std::string_view name) {
        key(name);
        after_key_ = true;
        begin_object();
    }
    void array_key(std::string_view name) {
        key(name);
        after_key_ = true;
        begin_array();
    }

    void text(std::string_view name, std::string_view value) {
        key(name);
        append_text(out_, value);
    }
    void number(std::string_view name, std::int64_t value) {
        key(name);
        out_ += std::to_string(value);
    }
    void boolean(std::string_view name, bool value) {
        key(name);
        out_ += value ? "true" : "false";
    }

  private:
    void next_item() {
        if (after_key_) {
            after_key_ = false;
            return;
        }
        if (depth_ == 0) return;
        if (has_items_) out_ += ',';
        out_ += '\n';
        out_.append(depth_ * 2, ' ');
        has_items_ = true;
    }
    void open(char bracket) {
        next_item();
        out_ += bracket;
        ++depth_;
        has_items_ = false;
    }
    void close(char bracket) {
        --depth_;
        if (has_items_) {
            out_ += '\n';
            out_.append(depth_ * 2, ' ');
        }
        out_ += bracket;
        has_items_ = true;
    }

    std::string out_;
    std::size_t depth_ = 0;
    bool has_items_ = false;
    bool after_key_ = false;
};

void write_limits(Emitter& e, const CConfigLimits& limits) {
    e.boolean(keys::kWhereRequired, limits.where_required);
    e.boolean(keys::kLinearSelects, limits.linear_selects);
    e.boolean(keys::kLinearJoins, limits.linear_joins);
    e.number(keys::kRowLimitKind, limits.row_limit_kind);
    e.number(keys::kRowCount, limits.row_count);
}

void write_global(Emitter& e, const CConfigFile& file) {
    const model::CGlobalOptions& g = file.global_options;
    e.object_key(keys::kGlobal);
    e.number(keys::kDateBaseMonth, g.date_base_month);
    e.number(keys::kDateBaseDay, g.date_base_day);
    e.number(keys::kDateBaseYear, g.date_base_year);
    e.boolean(keys::kDatabaseLibraries, g.library_kind);
    e.boolean(keys::kIgnoreUniqueIndices, g.unique_indices);
    e.boolean(keys::kHideFields, g.hide_fields);
    e.number(keys::kSecurityType, g.security_type);
    e.number(keys::kSecurityUse, g.security_use);
    e.text(keys::kGuardfile, g.guardfile.view());
    e.number(keys::kProgramSecurity, g.program_security);
    e.text(keys::kUsercode, g.usercode.view());
    e.text(keys::kAppName, g.app_name.view());
    e.number(keys::kPriority, g.priority);
    e.text(keys::kTranslation, g.translation.view());
    e.end_object();
}

void write_application(Emitter& e, const CConfigFile& file, const CPcApplication& app) {
    e.begin_object();
    e.text(keys::kProgram, app.program_name.view());
    e.number(keys::kNumber, app.app_number);
    e.boolean(keys::kUpdateAllowed, app.update_allowed);
    if (app.local_limits) {
        e.object_key(keys::kLimits);
        write_limits(e, app.limits);
        e.end_object();
    }
    if (app.table_list) {
        e.array_key(keys::kTables);
        for (const auto& t : app.tables) {
            e.begin_object();
            e.text(keys::kName, application_table_name(file, *t));
            e.number(keys::kNumber, t->table_number);
            e.boolean(keys::kUpdateAllowed, t->update_allowed);
            e.end_object();
        }
        e.end_array();
    }
    e.end_object();
}

void write_field(Emitter& e, const CConfigField& f) {
    e.begin_object();
    e.text(keys::kName, f.name.view());
    e.text(keys::kHostName, f.host_name.view());
    e.number(keys::kNumber, f.tblfieldnum);
    if (const std::string_view word = field_kind_word(f.field_kind); !word.empty())
        e.text(keys::kKind, word);
    else
        e.number(keys::kKind, f.field_kind);
    if (f.field_kind == FieldKind::host) e.boolean(keys::kVisible, f.visible);
    if (f.field_kind == FieldKind::host || f.field_kind == FieldKind::user_defined)
        e.boolean(keys::kUpdateAllowed, f.update_allowed);
    e.number(keys::kType, f.data_type_code);
    e.number(keys::kLength, f.length);
    e.number(keys::kDecimals, f.decimals);
    e.number(keys::kDateKind, f.date_kind);
    if (f.is_date_or_time()) e.number(keys::kDateFormat, f.date_format);
    if (f.field_kind == FieldKind::host || f.field_kind == FieldKind::user_defined) e.number(keys::kOffset, f.offset);
    if (f.field_kind == FieldKind::user_defined) {
        e.number(keys::kOffsetValue, f.offset_value);
        e.boolean(keys::kOffsetInCharacters, f.offset_in_characters);
        e.boolean(keys::kOffsetFromStart, f.offset_from_start);
        e.text(keys::kBaseField, f.base_field.view());
    }
    if (f.field_kind == FieldKind::calculated) e.text(keys::kExpression, f.expression.view());
    e.end_object();
}

void write_set(Emitter& e, const CTableSet& s) {
    e.begin_object();
    e.text(keys::kName, s.set_name.view());
    e.number(keys::kFirst, s.first_attribute);
    e.number(keys::kSecond, s.second_attribute);
    e.number(keys::kThird, s.third_attribute);
    e.array_key(keys::kKeys);
    for (const model::CSetKey& k : s.keys) {
        e.begin_object();
        e.number(keys::kField, k.field_number);
        e.number(keys::kFirst, k.first_attribute);
        e.number(keys::kSecond, k.second_attribute);
        e.end_object();
    }
    e.end_array();
    e.end_object();
}

void write_member(Emitter& e, const CJoinMember& m) {
    e.begin_object();
    e.text(keys::kSubTable, m.sub_table.view());
    e.text(keys::kSet, m.set.view());
    e.number(keys::kJoinKind, m.join_kind);
    e.text(keys::kWhere, m.where_condition.view());
    e.array_key(keys::kJoinFields);
    // What follows the first unbound condition is never sent nor printed.
    for (std::size_t i = 0; i < m.condition_count(); ++i) {
        const model::CJoinField& f = *m.join_fields[i];
        e.begin_object();
        e.text(keys::kField, f.field.view());
        e.number(keys::kKind, f.kind);
        if (f.kind == model::JoinFieldKind::field) e.number(keys::kMember, f.member_number);
        e.text(keys::kValue, f.value.view());
        e.end_object();
    }
    e.end_array();
    e.end_object();
}

void write_table(Emitter& e, const CConfigTable& t) {
    e.begin_object();
    e.text(keys::kName, t.name.view());
    e.number(keys::kNumber, t.table_number);
    e.boolean(keys::kJoin, t.join_table);
    e.number(keys::kOption, t.table_option);
    e.boolean(keys::kUpdateAllowed, t.update_allowed);
    e.boolean(keys::kReturnGroups, t.return_groups);
    if (t.join_table) {
        e.array_key(keys::kMembers);
        for (const auto& m : t.members) write_member(e, *m);
        e.end_array();
    } else {
        e.text(keys::kDatabase, t.database.view());
        e.text(keys::kDataset, t.dataset.view());
        e.text(keys::kSet, t.set.view());
        e.text(keys::kDescriptionFile, t.description_file.view());
        e.text(keys::kWhere, t.where_condition.view());
        e.array_key(keys::kSets);
        for (const auto& s : t.sets) write_set(e, *s);
        e.end_array();
        e.array_key(keys::kFields);
        for (const auto& f : t.fields) write_field(e, *f);
        e.end_array();
    }
    e.end_object();
}

}  // namespace

std::string application_table_name(const CConfigFile& file, const CConfigTable& entry) {
    if (!entry.name.empty()) return entry.name.str();
    for (const auto& t : file.tables)
        if (t->table_number == entry.table_number) return t->name.str();
    return {};
}

std::string write_config_document(const ConfigDocument& document) {
    const CConfigFile& file = document.file;
    Emitter e;
    e.begin_object();
    e.text(keys::kFormat, kConfigDocumentFormat);
    e.text(keys::kFile, document.file_name);
    e.text(keys::kDescription, file.description.view());
    write_global(e, file);
    e.object_key(keys::kLimits);
    write_limits(e, file.limits);
    e.end_object();
    e.array_key(keys::kApplications);
    for (const auto& app : file.applications) write_application(e, file, *app);
    e.end_array();
    e.array_key(keys::kTables);
    for (const auto& t : file.tables) write_table(e, *t);
    e.end_array();
    e.end_object();
    return e.take();
}

std::string document_text_literal(std::string_view text) {
    std::string out;
    append_text(out, text);
    return out;
}

std::string describe(const DocumentProblem& problem) {
    return problem.path.empty() ? problem.message : problem.path + ": " + problem.message;
}

}  // namespace kestra::configsvc
