#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "expr/expression_parser.h"

namespace kestra::model {
class CConfigField;
class CConfigFile;
class CConfigTable;
class CJoinField;
class CJoinMember;
}  // namespace kestra::model

namespace kestra::expr {

// Expression type of a table field: DateKind first, then DataTypeCode.
int ExprFieldType(const model::CConfigField& field);
int ExprFieldType(int date_kind, int data_type_code);

// What one entry of a checked text's field list stands for, parallel to the parser's field list.
struct MemberFieldRef {
    int member_number = 0;  // 1-based position of the member
    std::string field_name;  // the field's name, unqualified
};

// Appends, for members [first, end) of a join table, every field of the member's table twice: qualified
// ("TABLE.FIELD") and bare. Members whose table is not in the file contribute nothing.
void load_member_fields(const model::CConfigFile& file, const model::CConfigTable& join, std::size_t first,
                        std::size_t end, CExpressionParser& parser, std::vector<MemberFieldRef>& refs);

// Table of a member: the file's table of that name, exact first, else ignoring case; nullptr when none.
const model::CConfigTable* member_table(const model::CConfigFile& file, const model::CJoinMember& member);

// The member a kind-0 join field of member `member_index` names, or nullptr unless it is an earlier member.
const model::CJoinMember* join_value_member(const model::CConfigTable& join, std::size_t member_index,
                                            const model::CJoinField& join_field);

// The value as the edit box shows it: a kind-0 value qualified with its member's table name.
std::string join_value_text(const model::CConfigTable& join, std::size_t member_index,
                            const model::CJoinField& join_field);

// Member where condition: a boolean parser with the member's condition and the fields of members 0..k.
bool begin_member_where_edit(const model::CConfigFile& file, const model::CConfigTable& join, std::size_t k,
                             CExpressionParser& parser, std::vector<MemberFieldRef>& refs);
// After OK: stores the accepted text (a text longer than the record can carry is refused) and marks the file.
bool store_member_where(model::CConfigFile& file, model::CConfigTable& join, std::size_t k,
                        const CExpressionParser& parser);

// Join-field value: a parser typed by the set key the field supplies, with the fields of members 0..k-1.
bool begin_join_value_edit(const model::CConfigFile& file, const model::CConfigTable& join, std::size_t k,
                           std::size_t i, CExpressionParser& parser, std::vector<MemberFieldRef>& refs);
// Type of the key field that join field i of member k supplies; none when the set, key or field is unknown.
int join_key_type(const model::CConfigFile& file, const model::CConfigTable& join, std::size_t k, std::size_t i);

// Classifies a checked value (Parse succeeded, or the text is empty) into kind, member number and value text.
// A bare field is resolved through the list entry it matched; when that names no member it is kept as an
// expression, so kind 0 never carries member number 0.
void classify_join_value(const CExpressionParser& parser, const std::vector<MemberFieldRef>& refs,
                         model::CJoinField& out);
bool store_join_value(model::CConfigFile& file, model::CConfigTable& join, std::size_t k, std::size_t i,
                      const CExpressionParser& parser, const std::vector<MemberFieldRef>& refs);

enum class WhereStoreResult { unchanged, stored, too_long };
// Table where condition as typed; a text longer than the record holds is refused and the old one kept.
WhereStoreResult store_table_where(model::CConfigTable& table, std::string_view text);

}  // namespace kestra::expr
