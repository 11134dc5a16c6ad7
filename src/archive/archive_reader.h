#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "archive/archive_header.h"
#include "archive/entry_header.h"

namespace kestra::archive {

constexpr const char* kCannotOpenArchive = "Cannot open archive file";
constexpr const char* kCannotReadArchive = "Cannot read archive file";

// One slot of an opened archive. An entry whose header, extra block or data does not hold up is kept in the list
// as unreadable, with the reason, so the others can still be listed and sent.
struct ArchiveEntry {
    std::size_t index = 0;
    std::uint32_t position = 0;  // of the entry header
    bool readable = false;
    std::string problem;
    EntryHeader header;      // meaningful when readable
    std::string extra;       // the extra block's bytes; empty in a version-1 archive
    std::uint64_t size = 0;  // bytes of file data after the entry header
};

// Opens an archive for listing and sending. Nothing in the file is trusted: the header must be whole and carry
// the magic and a count the table can hold, and every entry is checked against the file's real length.
class ArchiveReader {
public:
    bool open(const std::string& path, std::string& error);
    void close();

    bool is_open() const { return file_.is_open(); }
    const ArchiveHeader& header() const { return header_; }
    const std::vector<ArchiveEntry>& entries() const { return entries_; }
    std::uint64_t file_length() const { return length_; }

    // Whether entry `index` may be sent; an unreadable one is refused with its reason.
    bool check_sendable(std::size_t index, std::string& error) const;
    // Exactly out.size() bytes of the entry's data from `offset`; anything less is "Cannot read archive file".
    bool read_data(std::size_t index, std::uint64_t offset, std::span<std::uint8_t> out, std::string& error);

private:
    bool read_exact(std::uint64_t offset, void* data, std::size_t size);
    void load_entry(ArchiveEntry& entry);

    std::ifstream file_;
    ArchiveHeader header_;
    std::vector<ArchiveEntry> entries_;
    std::uint64_t length_ = 0;
};

}  // namespace kestra::archive
