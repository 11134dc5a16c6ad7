#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kestra::model {

// Texts of the formats a field of date kind 2 (date), 3 (time) or 4 (timestamp) can have, in index order; empty
// for any other kind.
std::span<const std::string_view> date_formats(std::int32_t date_kind);

// The format text of `index` in the table of `date_kind`; empty when the kind has no formats or the index is
// outside its table (the index itself is kept by the field).
std::string_view date_format_text(std::int32_t date_kind, std::int32_t index);

// String-table id of a format text: 2000, 3000 or 4000 plus the index; 0 when there is none.
std::int32_t date_format_string_id(std::int32_t date_kind, std::int32_t index);

}  // namespace kestra::model
