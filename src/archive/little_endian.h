#pragma once

#include <cstddef>
#include <cstdint>

namespace kestra::archive {

// Archive fields are unaligned little-endian; they are assembled byte by byte so the layout holds on any machine.
inline void put_u16(std::uint8_t* at, std::uint16_t v) {
    at[0] = static_cast<std::uint8_t>(v & 0xFFu);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void put_u32(std::uint8_t* at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFFu);
}

inline std::uint16_t get_u16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

inline std::uint32_t get_u32(const std::uint8_t* at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    return v;
}

}  // namespace kestra::archive
