#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/bounded_text.h"

namespace kestra::model {

// Kinds of CJoinField::kind.
struct JoinFieldKind {
    static constexpr std::int32_t none = -1;  // the member's condition list ends here
    static constexpr std::int32_t field = 0;  // value names a field of another member
    static constexpr std::int32_t expression = 1;
    static constexpr std::int32_t literal = 2;
};

// One join condition of a member: a field of the member equals a value.
class CJoinField {
public:
    CJoinField() = default;
    CJoinField(const CJoinField&) = default;
    CJoinField& operator=(const CJoinField&) = default;
    virtual ~CJoinField() = default;

    WireText field;
    std::int32_t kind = JoinFieldKind::none;  // 1 digit
    std::int32_t member_number = 0;           // 4 digits; 1-based, 0 when no member matches
    WireText value;
};

// One sub table of a join table; the first member drives the join.
class CJoinMember {
public:
    static constexpr std::int32_t kInner = 0;  // any other join kind is OUTER

    CJoinMember() = default;
    CJoinMember(const CJoinMember& other);
    CJoinMember& operator=(const CJoinMember& other);
    virtual ~CJoinMember() = default;

    // The join fields up to (not including) the first of kind none.
    std::size_t condition_count() const;

    WireText sub_table;
    WireText where_condition;  // empty: UNDEFINED
    WireText set;              // empty: DEFAULT
    std::int32_t join_kind = kInner;  // 1 digit
    std::vector<std::unique_ptr<CJoinField>> join_fields;
};

}  // namespace kestra::model
