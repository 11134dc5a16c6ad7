// Archives and list files are picked by the user and may be truncated or hand-made: opening must list what holds
// up, refuse the rest with a reason, and never read outside an entry.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/transfer_codec.h"
#include "fuzz_temp_file.h"

namespace ar = kestra::archive;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = kestra::fuzz::write_temp_file(data, size);
    if (path.empty()) return 0;

    {
        std::vector<std::string> names;
        std::string error;
        if (!ar::read_list_file(path, names, error) && error.empty()) std::abort();
    }

    ar::ArchiveReader reader;
    std::string error;
    if (!reader.open(path, error)) {
        if (error.empty() || reader.is_open() || !reader.entries().empty()) std::abort();
        return 0;
    }
    if (reader.file_length() != size) std::abort();
    const auto& entries = reader.entries();
    if (entries.size() != reader.header().count || entries.size() > ar::kMaxArchiveFiles) std::abort();

    std::vector<std::uint8_t> buffer;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ar::ArchiveEntry& e = entries[i];
        std::string why;
        const bool sendable = reader.check_sendable(i, why);
        if (sendable != e.readable || (!sendable && why.empty())) std::abort();
        if (!e.readable) {
            if (e.problem.empty()) std::abort();
            continue;
        }
        // A readable entry lies wholly inside the file.
        if (e.position + ar::kEntryHeaderSize + e.size > size) std::abort();
        buffer.assign(static_cast<std::size_t>(e.size), 0);
        if (!reader.read_data(i, 0, buffer, why)) std::abort();
        // Nothing past the entry's data.
        std::uint8_t one[1];
        if (reader.read_data(i, e.size, one, why)) std::abort();
        std::uint8_t two[2];
        if (e.size > 0 && reader.read_data(i, e.size - 1, two, why)) std::abort();
        // What was read back re-encodes to the same record.
        std::array<std::uint8_t, ar::kEntryHeaderSize> record{};
        std::string problem;
        if (e.header.check_fits(problem)) {
            e.header.encode(record);
            ar::EntryHeader back;
            if (!ar::EntryHeader::decode(record, back, problem) || !(back == e.header)) std::abort();
        }
    }
    if (reader.check_sendable(entries.size(), error)) std::abort();
    std::uint8_t one[1];
    if (reader.read_data(entries.size(), 0, one, error)) std::abort();
    return 0;
}
