#pragma once

#include <cstdint>

#include "model/bounded_text.h"
#include "model/text_limits.h"

namespace kestra::model {

struct SecurityType {
    static constexpr std::int32_t private_ = 0;
    static constexpr std::int32_t public_ = 1;
    static constexpr std::int32_t guarded = 2;
};

struct SecurityUse {
    static constexpr std::int32_t secured = 0;
    static constexpr std::int32_t in = 1;
    static constexpr std::int32_t out = 2;
    static constexpr std::int32_t io = 3;
};

struct ProgramSecurity {
    static constexpr std::int32_t none = 0;
    static constexpr std::int32_t update = 1;
    static constexpr std::int32_t inquiry = 2;
};

// The global options of a configuration file. The host sends them in another order; this is the order they are
// kept in.
struct CGlobalOptions {
    std::int32_t date_base_month = 0;  // 2 digits
    std::int32_t date_base_day = 0;    // 2 digits
    std::int32_t date_base_year = 0;   // 4 digits
    bool library_kind = false;         // 0 dataset libraries, 1 database libraries
    bool unique_indices = false;       // 0 return, 1 ignore
    bool hide_fields = false;          // 0 show by default, 1 hide by default
    std::int32_t security_type = SecurityType::private_;
    std::int32_t security_use = SecurityUse::out;
    WireText guardfile;
    std::int32_t program_security = ProgramSecurity::none;
    WireText usercode;     // empty: the default usercode
    WireText app_name;     // empty: none
    std::int32_t priority = 0;    // 2 digits; 0: the default priority
    WireText translation;  // empty: no translation
};

}  // namespace kestra::model
