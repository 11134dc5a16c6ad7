#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestra::archive {

constexpr std::size_t kMaxT1Length = 31;
constexpr std::size_t kMaxT2Length = 127;

// The host's description of one file. Only the frame size, record size and record count mean anything here; the
// rest is carried unchanged from the host's reply to the later put request.
struct HostFileAttributes {
    std::uint32_t a1 = 0;
    std::uint32_t a2 = 0;
    std::uint32_t a3 = 0;
    std::uint16_t frame_size = 0;  // 8: record size counts bytes; anything else: 6-byte words
    std::uint32_t record_size = 0;
    std::uint32_t a4 = 0;
    std::uint32_t a5 = 0;
    std::uint32_t a6 = 0;
    std::uint32_t record_count = 0;
    std::uint8_t f1 = 0;
    std::uint8_t f2 = 0;
    std::uint16_t f3 = 0;
    std::uint16_t f4 = 0;
    std::array<std::uint8_t, 12> raw{};
    std::string t1;
    std::string t2;

    // The file's size in bytes. Cannot overflow 64 bits (2^32 * 6 * 2^32 < 2^67 would, so it is checked):
    // nullopt when it does.
    std::optional<std::uint64_t> file_size() const;

    // Whether every field fits its wire width and its archive field; `problem` names the first one that does not.
    bool check_fits(std::string& problem) const;

    bool operator==(const HostFileAttributes&) const = default;
};

// The attribute block as the host sends it in a get reply and receives it in a put request: fixed-width decimal
// fields, the 12 raw bytes, then T1 and T2 as 3-digit lengths and characters.
void encode_attribute_block(const HostFileAttributes& attrs, std::string& out);

// Reads an attribute block starting at `pos`; on success `pos` is just past it. Refuses non-digits, a value that
// exceeds its field, a block cut short, and texts longer than their archive fields (they would have to be cut).
bool decode_attribute_block(std::string_view in, std::size_t& pos, HostFileAttributes& attrs, std::string& error);

}  // namespace kestra::archive
