#include "archive/archive_reader.h"

#include <array>

namespace kestra::archive {

bool ArchiveReader::open(const std::string& path, std::string& error) {
    close();
    file_.open(path, std::ios::in | std::ios::binary);
    if (!file_.is_open()) {
        error = kCannotOpenArchive;
        return false;
    }
    file_.seekg(0, std::ios::end);
    const std::streamoff end = file_.tellg();
    if (end < 0) {
        close();
        error = kCannotOpenArchive;
        return false;
    }
    length_ = static_cast<std::uint64_t>(end);
    std::array<std::uint8_t, kArchiveHeaderSize> bytes{};
    if (length_ < kArchiveHeaderSize || !read_exact(0, bytes.data(), bytes.size()) ||
        !ArchiveHeader::decode(bytes, header_, error)) {
        close();
        error = kNotAnArchiveFile;
        return false;
    }
    entries_.resize(header_.count);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        entries_[i].index = i;
        entries_[i].position = header_.table[i];
        load_entry(entries_[i]);
    }
    return true;
}

void ArchiveReader::close() {
    if (file_.is_open()) file_.close();
    file_.clear();
    header_ = ArchiveHeader{};
    entries_.clear();
    length_ = 0;
}

void ArchiveReader::load_entry(ArchiveEntry& entry) {
    const std::uint64_t at = entry.position;
    const bool extra_block = header_.has_extra_blocks();
    const std::uint64_t first = kArchiveHeaderSize + (extra_block ? 3 : 0);
    if (at < first || at > length_ || length_ - at < kEntryHeaderSize) {
        entry.problem = "entry position lies outside the file";
        return;
    }
    std::array<std::uint8_t, kEntryHeaderSize> record{};
    if (!read_exact(at, record.data(), record.size())) {
        entry.problem = "entry header cannot be read";
        return;
    }
    if (!EntryHeader::decode(record, entry.header, entry.problem)) return;
    // A version-1 archive has nothing before the entry header, so nothing there is looked at.
    if (extra_block) {
        char digits[3];
        if (!read_exact(at - 3, digits, 3)) {
            entry.problem = "extra block cannot be read";
            return;
        }
        std::size_t length = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') {
                entry.problem = "extra block length is not three digits";
                return;
            }
            length = length * 10 + static_cast<std::size_t>(c - '0');
        }
        if (at - 3 - kArchiveHeaderSize < length) {
            entry.problem = "extra block does not fit before the entry";
            return;
        }
        entry.extra.resize(length);
        if (length != 0 && !read_exact(at - 3 - length, entry.extra.data(), length)) {
            entry.problem = "extra block cannot be read";
            return;
        }
    }
    // The header decoded, so the size did not overflow.
    entry.size = *entry.header.attributes.file_size();
    if (length_ - at - kEntryHeaderSize < entry.size) {
        entry.problem = "file data is incomplete";
        return;
    }
    entry.readable = true;
}

bool ArchiveReader::check_sendable(std::size_t index, std::string& error) const {
    if (index >= entries_.size()) {
        error = "No entry " + std::to_string(index + 1) + " in the archive";
        return false;
    }
    const ArchiveEntry& e = entries_[index];
    if (!e.readable) {
        error = "Entry " + std::to_string(index + 1) + " of the archive is unreadable: " + e.problem;
        return false;
    }
    return true;
}

bool ArchiveReader::read_data(std::size_t index, std::uint64_t offset, std::span<std::uint8_t> out,
                              std::string& error) {
    if (!check_sendable(index, error)) return false;
    const ArchiveEntry& e = entries_[index];
    if (offset > e.size || out.size() > e.size - offset ||
        !read_exact(e.position + kEntryHeaderSize + offset, out.data(), out.size())) {
        error = kCannotReadArchive;
        return false;
    }
    return true;
}

bool ArchiveReader::read_exact(std::uint64_t offset, void* data, std::size_t size) {
    if (!file_.is_open()) return false;
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(offset));
    if (!file_) return false;
    file_.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
    const bool whole = file_.gcount() == static_cast<std::streamsize>(size);
    file_.clear();
    return whole;
}

}  // namespace kestra::archive
