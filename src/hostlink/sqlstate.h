#pragma once

#include <cstddef>
#include <cstdint>

namespace kestra::hostlink {

// Indexes of the SQLSTATE table the program posts with.
enum SqlStateIndex : std::uint16_t {
    kSqlSuccess = 0,
    kSqlGeneralFailure = 3,
    kSqlMemoryFailure = 4,
    kSqlLinkFailure = 13,
    kSqlConnectFailure = 17,
};

struct SqlStateEntry {
    const char* sqlstate;
    const char* default_text;
};

constexpr std::size_t kSqlStateCount = 21;

// The entry of an index; an index past the table reports "S1000" and the general failure text.
const SqlStateEntry& sqlstate_entry(std::uint16_t index);
inline const char* sqlstate_for(std::uint16_t index) {
    return sqlstate_entry(index).sqlstate;
}
inline const char* sqlstate_default_text(std::uint16_t index) {
    return sqlstate_entry(index).default_text;
}

}  // namespace kestra::hostlink
