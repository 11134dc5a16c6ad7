#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kestra::archive {

constexpr std::size_t kArchiveHeaderSize = 16390;
constexpr std::size_t kMaxArchiveFiles = 4096;
constexpr std::uint16_t kArchiveVersion = 2;
// Entry positions are 32-bit, so no byte of an archive may lie at or beyond 4 GiB.
constexpr std::uint64_t kMaxArchiveSize = std::uint64_t{1} << 32;

constexpr const char* kNotAnArchiveFile = "Not an archive file";

// The fixed header at offset 0: magic "DC", version, file count and the table of entry positions.
struct ArchiveHeader {
    std::uint16_t version = kArchiveVersion;
    std::uint16_t count = 0;
    std::array<std::uint32_t, kMaxArchiveFiles> table{};

    // Entries carry an extra block in front of their entry header.
    bool has_extra_blocks() const { return version > 1; }

    void encode(std::array<std::uint8_t, kArchiveHeaderSize>& out) const;

    // Refuses a wrong magic and a count the table cannot hold ("Not an archive file").
    static bool decode(const std::array<std::uint8_t, kArchiveHeaderSize>& in, ArchiveHeader& header,
                       std::string& error);
};

}  // namespace kestra::archive
