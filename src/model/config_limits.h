#pragma once

#include <cstdint>

namespace kestra::model {

// Row limit kinds of CConfigLimits::row_limit_kind.
struct RowLimitKind {
    static constexpr std::int32_t none = 0;
    static constexpr std::int32_t silent_eof = 1;    // end of file at the row count
    static constexpr std::int32_t error_message = 2;  // error at the row count
};

// The five limits, used both for a whole file and for one PC application.
struct CConfigLimits {
    bool where_required = false;
    bool linear_selects = true;
    bool linear_joins = true;
    std::int32_t row_limit_kind = RowLimitKind::none;  // 1 digit on the wire
    std::int32_t row_count = 0;                        // 10 digits on the wire

    friend bool operator==(const CConfigLimits&, const CConfigLimits&) = default;
};

}  // namespace kestra::model
