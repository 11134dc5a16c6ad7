#include "archive/archive_writer.h"

#include <array>
#include <cstdio>
#include <vector>

namespace kestra::archive {

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

ArchiveWriter::ArchiveWriter() = default;

ArchiveWriter::~ArchiveWriter() { close(); }

bool ArchiveWriter::create(const std::string& path, std::string& error) {
    close();
    header_ = ArchiveHeader{};
    end_ = 0;
    at_end_ = true;
    in_entry_ = false;
    auto file = std::make_unique<std::fstream>();
    buffer_ = std::make_unique<char[]>(kBufferSize);
    file->rdbuf()->pubsetbuf(buffer_.get(), kBufferSize);
    file->open(path, std::ios::in | std::ios::out | std::ios::binary | std::ios::trunc);
    if (!file->is_open()) {
        error = kCannotCreateArchive;
        return false;
    }
    file_ = std::move(file);
    std::array<std::uint8_t, kArchiveHeaderSize> bytes{};
    header_.encode(bytes);
    if (!write_at_end(bytes.data(), bytes.size()) || !file_->flush()) {
        close();
        error = kCannotCreateArchive;
        return false;
    }
    return true;
}

bool ArchiveWriter::check_room(std::string& error) const {
    if (!is_open()) {
        error = kCannotWriteArchive;
        return false;
    }
    if (header_.count >= kMaxArchiveFiles) {
        error = kArchiveFull;
        return false;
    }
    return true;
}

bool ArchiveWriter::begin_entry(const EntryHeader& header, std::string_view extra, std::string& error) {
    if (in_entry_) abandon_entry();
    if (!check_room(error)) return false;
    std::string problem;
    if (!header.check_fits(problem)) {
        error = problem;
        return false;
    }
    if (extra.size() > kMaxExtraBlockLength) {
        error = "Extra block is longer than " + std::to_string(kMaxExtraBlockLength) + " bytes";
        return false;
    }
    // check_fits has made sure the size does not overflow; neither can the sum, all terms being below 2^62.
    const std::uint64_t size = *header.attributes.file_size();
    const std::uint64_t position = end_ + extra.size() + 3;
    if (size > kMaxArchiveSize || position + kEntryHeaderSize + size > kMaxArchiveSize) {
        error = "Archive file would pass 4 GiB";
        return false;
    }

    std::vector<std::uint8_t> bytes(extra.begin(), extra.end());
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03zu", extra.size());
    bytes.insert(bytes.end(), digits, digits + 3);
    std::array<std::uint8_t, kEntryHeaderSize> record{};
    header.encode(record);
    bytes.insert(bytes.end(), record.begin(), record.end());
    if (!write_at_end(bytes.data(), bytes.size())) {
        error = kCannotWriteArchive;
        return false;
    }
    in_entry_ = true;
    entry_position_ = position;
    entry_size_ = size;
    received_ = 0;
    return true;
}

bool ArchiveWriter::append_data(std::span<const std::uint8_t> bytes, std::string& error) {
    if (!in_entry_) {
        error = kCannotWriteArchive;
        return false;
    }
    if (bytes.size() > bytes_due()) {
        error = "More data than the file's size";
        return false;
    }
    if (bytes.empty()) return true;
    if (!write_at_end(bytes.data(), bytes.size())) {
        abandon_entry();
        error = kCannotWriteArchive;
        return false;
    }
    received_ += bytes.size();
    return true;
}

bool ArchiveWriter::commit_entry(std::string& error) {
    if (!in_entry_ || received_ != entry_size_) {
        error = "File data incomplete";
        return false;
    }
    const std::size_t slot = header_.count;
    const auto position = static_cast<std::uint32_t>(entry_position_);
    std::uint8_t bytes[4];
    for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>((position >> (8 * i)) & 0xFFu);
    const auto new_count = static_cast<std::uint16_t>(slot + 1);
    const std::uint8_t count_bytes[2] = {static_cast<std::uint8_t>(new_count & 0xFFu),
                                         static_cast<std::uint8_t>(new_count >> 8)};
    // The slot goes down before the count, so a count on disk never names a slot that is not there.
    if (!write_at(6 + 4 * slot, bytes, 4) || !write_at(4, count_bytes, 2) || !file_->flush()) {
        abandon_entry();
        error = kCannotWriteArchive;
        return false;
    }
    header_.table[slot] = position;
    header_.count = new_count;
    in_entry_ = false;
    return true;
}

void ArchiveWriter::abandon_entry() {
    in_entry_ = false;
    entry_size_ = 0;
    received_ = 0;
}

bool ArchiveWriter::save(std::string& error) {
    if (!is_open()) {
        error = kErrorWritingHeader;
        return false;
    }
    if (in_entry_) abandon_entry();
    std::array<std::uint8_t, kArchiveHeaderSize> bytes{};
    header_.encode(bytes);
    bool ok = write_at(0, bytes.data(), bytes.size()) && file_->flush();
    file_->close();
    ok = ok && !file_->fail();
    file_.reset();
    if (!ok) error = kErrorWritingHeader;
    return ok;
}

void ArchiveWriter::close() {
    in_entry_ = false;
    if (file_) {
        file_->close();
        file_.reset();
    }
}

bool ArchiveWriter::write_at_end(const void* data, std::size_t size) {
    if (write_limit_ < end_ || size > write_limit_ - end_) {
        resync_end();
        return false;
    }
    // Seeking flushes the stream's buffer, so only seek after the header was touched.
    if (!at_end_) {
        file_->seekp(static_cast<std::streamoff>(end_));
        at_end_ = true;
    }
    file_->write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!*file_) {
        resync_end();
        return false;
    }
    end_ += size;
    return true;
}

bool ArchiveWriter::write_at(std::uint64_t offset, const void* data, std::size_t size) {
    if (write_limit_ < offset || size > write_limit_ - offset) return false;
    at_end_ = false;
    file_->seekp(static_cast<std::streamoff>(offset));
    file_->write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!*file_) {
        resync_end();
        return false;
    }
    return true;
}

// After a failed write the file may hold part of it; later entries start at whatever end there now is.
void ArchiveWriter::resync_end() {
    file_->clear();
    file_->flush();
    file_->clear();
    file_->seekp(0, std::ios::end);
    const std::streamoff at = file_->tellp();
    if (at >= 0) end_ = static_cast<std::uint64_t>(at);
    file_->clear();
    at_end_ = true;
}

}  // namespace kestra::archive
