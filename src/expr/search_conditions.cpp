#include "expr/search_conditions.h"

#include "model/config_field.h"
#include "model/config_file.h"
#include "model/config_table.h"
#include "model/join_member.h"
#include "model/table_set.h"

namespace kestra::expr {

int ExprFieldType(int date_kind, int data_type_code) {
    if (date_kind == model::DateKind::date) return kTypeDate;
    if (date_kind == model::DateKind::time) return kTypeTime;
    if (date_kind == model::DateKind::timestamp) return kTypeTimestamp;
    if (data_type_code == 1 || data_type_code == 4 || data_type_code == 22) return kTypeString;
    if ((data_type_code >= 2 && data_type_code <= 21) || (data_type_code >= 23 && data_type_code <= 35))
        return kTypeNumeric;
    return kTypeNone;
}

int ExprFieldType(const model::CConfigField& field) { return ExprFieldType(field.date_kind, field.data_type_code); }

const model::CConfigTable* member_table(const model::CConfigFile& file, const model::CJoinMember& member) {
    if (const model::CConfigTable* exact = file.find_table(member.sub_table.view())) return exact;
    for (const auto& table : file.tables)
        if (table && model::equal_ignoring_case(table->name.view(), member.sub_table.view())) return table.get();
    return nullptr;
}

void load_member_fields(const model::CConfigFile& file, const model::CConfigTable& join, std::size_t first,
                        std::size_t end, CExpressionParser& parser, std::vector<MemberFieldRef>& refs) {
    if (end > join.members.size()) end = join.members.size();
    for (std::size_t m = first; m < end; ++m) {
        const model::CJoinMember* member = join.members[m].get();
        if (member == nullptr) continue;
        const model::CConfigTable* table = member_table(file, *member);
        if (table == nullptr) continue;
        const int number = static_cast<int>(m) + 1;
        for (const auto& field : table->fields) {
            if (!field) continue;
            const int type = ExprFieldType(*field);
            parser.AddField(member->sub_table.str() + "." + field->name.str(), type);
            refs.push_back(MemberFieldRef{number, field->name.str()});
            parser.AddField(field->name.str(), type);
            refs.push_back(MemberFieldRef{number, field->name.str()});
        }
    }
}

const model::CJoinMember* join_value_member(const model::CConfigTable& join, std::size_t member_index,
                                            const model::CJoinField& join_field) {
    if (join_field.kind != model::JoinFieldKind::field || join_field.member_number < 1) return nullptr;
    const auto position = static_cast<std::size_t>(join_field.member_number - 1);
    if (position >= member_index || position >= join.members.size()) return nullptr;
    return join.members[position].get();
}

std::string join_value_text(const model::CConfigTable& join, std::size_t member_index,
                            const model::CJoinField& join_field) {
    if (join_field.kind == model::JoinFieldKind::none) return {};
    if (join_field.kind == model::JoinFieldKind::field) {
        if (const model::CJoinMember* member = join_value_member(join, member_index, join_field))
            return member->sub_table.str() + "." + join_field.value.str();
    }
    return join_field.value.str();
}

bool begin_member_where_edit(const model::CConfigFile& file, const model::CConfigTable& join, std::size_t k,
                             CExpressionParser& parser, std::vector<MemberFieldRef>& refs) {
    if (k >= join.members.size() || !join.members[k]) return false;
    parser = CExpressionParser(join.members[k]->where_condition.str(), kTypeBoolean);
    refs.clear();
    load_member_fields(file, join, 0, k + 1, parser, refs);
    return true;
}

bool store_member_where(model::CConfigFile& file, model::CConfigTable& join, std::size_t k,
                        const CExpressionParser& parser) {
    if (k >= join.members.size() || !join.members[k]) return false;
    if (!join.members[k]->where_condition.assign(parser.GetText())) return false;
    file.modified = true;
    return true;
}

int join_key_type(const model::CConfigFile& file, const model::CConfigTable& join, std::size_t k, std::size_t i) {
    if (k >= join.members.size() || !join.members[k]) return kTypeNone;
    const model::CJoinMember& member = *join.members[k];
    const model::CConfigTable* table = member_table(file, member);
    if (table == nullptr) return kTypeNone;
    // A member without a set of its own reads through the table's first (default) set.
    const model::CTableSet* set = nullptr;
    for (const auto& s : table->sets) {
        if (!s) continue;
        if (member.set.empty() || model::equal_ignoring_case(s->set_name.view(), member.set.view())) {
            set = s.get();
            break;
        }
    }
    if (set == nullptr || i >= set->keys.size()) return kTypeNone;
    const std::int32_t number = set->keys[i].field_number;
    for (const auto& field : table->fields)
        if (field && field->tblfieldnum == number) return ExprFieldType(*field);
    return kTypeNone;
}

bool begin_join_value_edit(const model::CConfigFile& file, const model::CConfigTable& join, std::size_t k,
                           std::size_t i, CExpressionParser& parser, std::vector<MemberFieldRef>& refs) {
    if (k >= join.members.size() || !join.members[k]) return false;
    const model::CJoinMember& member = *join.members[k];
    if (i >= member.join_fields.size() || !member.join_fields[i]) return false;
    parser = CExpressionParser(join_value_text(join, k, *member.join_fields[i]), join_key_type(file, join, k, i));
    refs.clear();
    load_member_fields(file, join, 0, k, parser, refs);
    return true;
}

void classify_join_value(const CExpressionParser& parser, const std::vector<MemberFieldRef>& refs,
                         model::CJoinField& out) {
    if (parser.IsLiteral()) {
        out.value.assign(parser.GetLiteralText(), model::TextFit::cut);
        out.kind = model::JoinFieldKind::literal;
        out.member_number = 0;
        return;
    }
    if (parser.IsField()) {
        const int index = parser.GetFieldIndex();
        if (index >= 0 && static_cast<std::size_t>(index) < refs.size() &&
            refs[static_cast<std::size_t>(index)].member_number > 0) {
            const MemberFieldRef& ref = refs[static_cast<std::size_t>(index)];
            std::string name;
            for (char c : ref.field_name) name += ascii_upper(c);
            out.value.assign(name, model::TextFit::cut);
            out.kind = model::JoinFieldKind::field;
            out.member_number = ref.member_number;
            return;
        }
    }
    const std::string& text = parser.GetText();
    out.value.assign(text, model::TextFit::cut);
    out.kind = text.empty() ? model::JoinFieldKind::none : model::JoinFieldKind::expression;
    out.member_number = 0;
}

bool store_join_value(model::CConfigFile& file, model::CConfigTable& join, std::size_t k, std::size_t i,
                      const CExpressionParser& parser, const std::vector<MemberFieldRef>& refs) {
    if (k >= join.members.size() || !join.members[k]) return false;
    model::CJoinMember& member = *join.members[k];
    if (i >= member.join_fields.size() || !member.join_fields[i]) return false;
    // The wire carries at most 999 characters; refuse rather than store a cut expression.
    if (parser.GetText().size() > model::kMaxWireText) return false;
    classify_join_value(parser, refs, *member.join_fields[i]);
    file.modified = true;
    return true;
}

WhereStoreResult store_table_where(model::CConfigTable& table, std::string_view text) {
    if (table.where_condition == text) return WhereStoreResult::unchanged;
    // A condition loaded longer is kept as it came; a new one is held to what the edit control takes.
    if (text.size() > model::kWhereConditionMax) return WhereStoreResult::too_long;
    table.where_condition.assign(text);
    return WhereStoreResult::stored;
}

}  // namespace kestra::expr
