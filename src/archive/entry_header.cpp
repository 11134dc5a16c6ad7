#include "archive/entry_header.h"

#include <cstring>

#include "archive/little_endian.h"

namespace kestra::archive {

namespace {

constexpr std::size_t kNameAt = 0;
constexpr std::size_t kNameField = 255;
constexpr std::size_t kA1At = 255;
constexpr std::size_t kA2At = 259;
constexpr std::size_t kA3At = 263;
constexpr std::size_t kFrameSizeAt = 267;
constexpr std::size_t kRecordSizeAt = 269;
constexpr std::size_t kA4At = 273;
constexpr std::size_t kA5At = 277;
constexpr std::size_t kA6At = 281;
constexpr std::size_t kRecordCountAt = 285;
constexpr std::size_t kF1At = 289;
constexpr std::size_t kF2At = 290;
constexpr std::size_t kF3At = 291;
constexpr std::size_t kF4At = 293;
constexpr std::size_t kRawAt = 295;
constexpr std::size_t kT1At = 307;
constexpr std::size_t kT1Field = 32;
constexpr std::size_t kT2At = 339;
constexpr std::size_t kT2Field = 128;
static_assert(kT2At + kT2Field == kEntryHeaderSize);

void put_text(std::uint8_t* at, std::size_t field, const std::string& text) {
    std::memset(at, 0, field);
    std::memcpy(at, text.data(), text.size() < field ? text.size() : field - 1);
}

// The text up to its terminator; false when the field holds none.
bool get_text(const std::uint8_t* at, std::size_t field, std::string& text) {
    const void* end = std::memchr(at, 0, field);
    if (end == nullptr) return false;
    text.assign(reinterpret_cast<const char*>(at), static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - at));
    return true;
}

}  // namespace

bool check_host_file_name(std::string_view name, std::string& problem) {
    if (name.empty()) {
        problem = "Host file name is empty";
        return false;
    }
    if (name.size() > kMaxHostFileNameLength) {
        problem = "Host file name is longer than " + std::to_string(kMaxHostFileNameLength) + " characters";
        return false;
    }
    if (name.find('\0') != std::string_view::npos) {
        problem = "Host file name contains a NUL character";
        return false;
    }
    return true;
}

bool EntryHeader::check_fits(std::string& problem) const {
    return check_host_file_name(name, problem) && attributes.check_fits(problem);
}

void EntryHeader::encode(std::array<std::uint8_t, kEntryHeaderSize>& out) const {
    std::uint8_t* p = out.data();
    const HostFileAttributes& a = attributes;
    put_text(p + kNameAt, kNameField, name);
    put_u32(p + kA1At, a.a1);
    put_u32(p + kA2At, a.a2);
    put_u32(p + kA3At, a.a3);
    put_u16(p + kFrameSizeAt, a.frame_size);
    put_u32(p + kRecordSizeAt, a.record_size);
    put_u32(p + kA4At, a.a4);
    put_u32(p + kA5At, a.a5);
    put_u32(p + kA6At, a.a6);
    put_u32(p + kRecordCountAt, a.record_count);
    p[kF1At] = a.f1;
    p[kF2At] = a.f2;
    put_u16(p + kF3At, a.f3);
    put_u16(p + kF4At, a.f4);
    std::memcpy(p + kRawAt, a.raw.data(), a.raw.size());
    put_text(p + kT1At, kT1Field, a.t1);
    put_text(p + kT2At, kT2Field, a.t2);
}

bool EntryHeader::decode(const std::array<std::uint8_t, kEntryHeaderSize>& in, EntryHeader& header,
                         std::string& problem) {
    const std::uint8_t* p = in.data();
    EntryHeader h;
    HostFileAttributes& a = h.attributes;
    if (!get_text(p + kNameAt, kNameField, h.name)) {
        problem = "host file name is not terminated";
        return false;
    }
    if (h.name.empty()) {
        problem = "host file name is empty";
        return false;
    }
    if (!get_text(p + kT1At, kT1Field, a.t1)) {
        problem = "attribute T1 is not terminated";
        return false;
    }
    if (!get_text(p + kT2At, kT2Field, a.t2)) {
        problem = "attribute T2 is not terminated";
        return false;
    }
    a.a1 = get_u32(p + kA1At);
    a.a2 = get_u32(p + kA2At);
    a.a3 = get_u32(p + kA3At);
    a.frame_size = get_u16(p + kFrameSizeAt);
    a.record_size = get_u32(p + kRecordSizeAt);
    a.a4 = get_u32(p + kA4At);
    a.a5 = get_u32(p + kA5At);
    a.a6 = get_u32(p + kA6At);
    a.record_count = get_u32(p + kRecordCountAt);
    a.f1 = p[kF1At];
    a.f2 = p[kF2At];
    a.f3 = get_u16(p + kF3At);
    a.f4 = get_u16(p + kF4At);
    std::memcpy(a.raw.data(), p + kRawAt, a.raw.size());
    std::string why;
    if (!a.check_fits(why)) {
        problem = why;
        return false;
    }
    header = std::move(h);
    return true;
}

}  // namespace kestra::archive
