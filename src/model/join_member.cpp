#include "model/join_member.h"

namespace kestra::model {

CJoinMember::CJoinMember(const CJoinMember& other)
    : sub_table(other.sub_table),
      where_condition(other.where_condition),
      set(other.set),
      join_kind(other.join_kind) {
    join_fields.reserve(other.join_fields.size());
    for (const auto& field : other.join_fields) join_fields.push_back(std::make_unique<CJoinField>(*field));
}

CJoinMember& CJoinMember::operator=(const CJoinMember& other) {
    if (this != &other) {
        CJoinMember copy(other);
        sub_table = std::move(copy.sub_table);
        where_condition = std::move(copy.where_condition);
        set = std::move(copy.set);
        join_kind = copy.join_kind;
        join_fields = std::move(copy.join_fields);
    }
    return *this;
}

std::size_t CJoinMember::condition_count() const {
    std::size_t count = 0;
    while (count < join_fields.size() && join_fields[count]->kind != JoinFieldKind::none) ++count;
    return count;
}

}  // namespace kestra::model
