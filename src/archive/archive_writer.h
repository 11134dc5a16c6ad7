#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "archive/archive_header.h"
#include "archive/entry_header.h"

namespace kestra::archive {

constexpr std::size_t kMaxExtraBlockLength = 999;

constexpr const char* kCannotCreateArchive = "Cannot create archive file";
constexpr const char* kCannotWriteArchive = "Cannot write archive file";
constexpr const char* kArchiveFull = "Archive is full (4096 files)";
constexpr const char* kErrorWritingHeader = "Error writing archive header";

// Builds a new archive as files arrive. A transfer feeds it one file at a time: begin_entry with the host's
// attributes and extra block, append_data with each chunk, then commit_entry once the whole file is in (or
// abandon_entry). Only committed files get a table slot; an abandoned file leaves its bytes but no slot, so the
// archive stays valid. The slot and count are also updated in place at each commit, so the file on disk is a
// valid archive of every file committed so far even if save() is never reached.
class ArchiveWriter {
public:
    ArchiveWriter();
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    // Creates (or empties) the file and writes an empty header, so entries start at offset 16390.
    bool create(const std::string& path, std::string& error);

    // Whether another file can be taken; checked before a transfer sends its first request for one.
    bool check_room(std::string& error) const;

    // Checks everything about the file before writing a byte of it: room in the table, name, texts and extra
    // block within their fields, a size that neither overflows nor takes the archive past 4 GiB. Then writes the
    // extra block and the entry header. An entry still open is abandoned first.
    bool begin_entry(const EntryHeader& header, std::string_view extra, std::string& error);
    // Appends file bytes; refuses more than are still due.
    bool append_data(std::span<const std::uint8_t> bytes, std::string& error);
    // Gives the finished file its slot; refused while bytes are still due.
    bool commit_entry(std::string& error);
    // Ends the open entry without a slot; its bytes stay in the file.
    void abandon_entry();

    // Rewrites the whole header and closes the file ("Error writing archive header" when that fails).
    bool save(std::string& error);
    // Closes without rewriting the header.
    void close();

    bool is_open() const { return file_ != nullptr; }
    bool in_entry() const { return in_entry_; }
    std::size_t count() const { return header_.count; }
    const ArchiveHeader& header() const { return header_; }
    std::uint64_t end_position() const { return end_; }
    std::uint64_t entry_size() const { return entry_size_; }
    std::uint64_t bytes_received() const { return received_; }
    std::uint64_t bytes_due() const { return entry_size_ - received_; }

    // Makes every write that would reach past `limit` bytes of the file fail, as a full disk would.
    void fail_writes_beyond_for_test(std::uint64_t limit) { write_limit_ = limit; }

private:
    bool write_at_end(const void* data, std::size_t size);
    bool write_at(std::uint64_t offset, const void* data, std::size_t size);
    void resync_end();

    std::unique_ptr<std::fstream> file_;
    std::unique_ptr<char[]> buffer_;
    ArchiveHeader header_;
    std::uint64_t end_ = 0;
    bool at_end_ = true;  // the stream's put position is end_
    bool in_entry_ = false;
    std::uint64_t entry_position_ = 0;  // where the open entry's header lies
    std::uint64_t entry_size_ = 0;
    std::uint64_t received_ = 0;
    std::uint64_t write_limit_ = UINT64_MAX;
};

}  // namespace kestra::archive
