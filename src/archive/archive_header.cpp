#include "archive/archive_header.h"

#include "archive/little_endian.h"

namespace kestra::archive {

namespace {
constexpr std::size_t kVersionAt = 2;
constexpr std::size_t kCountAt = 4;
constexpr std::size_t kTableAt = 6;
static_assert(kTableAt + 4 * kMaxArchiveFiles == kArchiveHeaderSize);
}  // namespace

void ArchiveHeader::encode(std::array<std::uint8_t, kArchiveHeaderSize>& out) const {
    out[0] = 'D';
    out[1] = 'C';
    put_u16(out.data() + kVersionAt, version);
    put_u16(out.data() + kCountAt, count);
    for (std::size_t i = 0; i < kMaxArchiveFiles; ++i) put_u32(out.data() + kTableAt + 4 * i, table[i]);
}

bool ArchiveHeader::decode(const std::array<std::uint8_t, kArchiveHeaderSize>& in, ArchiveHeader& header,
                           std::string& error) {
    if (in[0] != 'D' || in[1] != 'C') {
        error = kNotAnArchiveFile;
        return false;
    }
    ArchiveHeader h;
    h.version = get_u16(in.data() + kVersionAt);
    h.count = get_u16(in.data() + kCountAt);
    if (h.count > kMaxArchiveFiles) {
        error = kNotAnArchiveFile;
        return false;
    }
    for (std::size_t i = 0; i < kMaxArchiveFiles; ++i) h.table[i] = get_u32(in.data() + kTableAt + 4 * i);
    header = h;
    return true;
}

}  // namespace kestra::archive
