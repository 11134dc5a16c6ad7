#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "archive/host_file_attributes.h"

namespace kestra::archive {

constexpr std::size_t kEntryHeaderSize = 467;
constexpr std::size_t kMaxHostFileNameLength = 254;  // the 255-byte name field keeps its terminator

// Whether a name can be archived (and asked for) whole: not empty, at most 254 characters, no NUL.
bool check_host_file_name(std::string_view name, std::string& problem);

// The fixed record in front of each archived file's bytes.
struct EntryHeader {
    std::string name;  // host file name as the user asked for it
    HostFileAttributes attributes;

    // Whether the record can be written whole without cutting anything; `problem` says why not.
    bool check_fits(std::string& problem) const;

    // Lays the record out; call check_fits first (texts that do not fit would be cut).
    void encode(std::array<std::uint8_t, kEntryHeaderSize>& out) const;

    // Reads a record from the file, distrusting it: every text must end inside its field and every attribute
    // must fit its wire width, or the record is refused with the reason in `problem`.
    static bool decode(const std::array<std::uint8_t, kEntryHeaderSize>& in, EntryHeader& header,
                       std::string& problem);

    bool operator==(const EntryHeader&) const = default;
};

}  // namespace kestra::archive
