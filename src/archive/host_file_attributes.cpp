#include "archive/host_file_attributes.h"

#include <cstdio>
#include <limits>

namespace kestra::archive {

namespace {

void append_number(std::string& out, std::uint64_t value, int width) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%0*llu", width, static_cast<unsigned long long>(value));
    out += buf;
}

// A fixed-width run of decimal digits; its value may still exceed the field it is meant for.
bool read_digits(std::string_view in, std::size_t& pos, std::size_t width, std::uint64_t& value) {
    if (in.size() - pos < width) return false;
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < width; ++i) {
        char c = in[pos + i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    pos += width;
    value = v;
    return true;
}

template <typename T>
bool read_field(std::string_view in, std::size_t& pos, std::size_t width, const char* name, T& field,
                std::string& error) {
    std::uint64_t v = 0;
    if (!read_digits(in, pos, width, v)) {
        error = std::string("Bad file attribute ") + name + " in host reply";
        return false;
    }
    if (v > std::numeric_limits<T>::max()) {
        error = std::string("File attribute ") + name + " exceeds its field";
        return false;
    }
    field = static_cast<T>(v);
    return true;
}

bool read_text(std::string_view in, std::size_t& pos, const char* name, std::size_t limit, std::string& text,
               std::string& error) {
    std::uint64_t len = 0;
    if (!read_digits(in, pos, 3, len) || in.size() - pos < len) {
        error = std::string("Bad file attribute ") + name + " in host reply";
        return false;
    }
    if (len > limit) {
        error = std::string("File attribute ") + name + " is longer than " + std::to_string(limit) + " characters";
        return false;
    }
    std::string_view value = in.substr(pos, static_cast<std::size_t>(len));
    if (value.find('\0') != std::string_view::npos) {
        error = std::string("File attribute ") + name + " contains a NUL character";
        return false;
    }
    text.assign(value);
    pos += static_cast<std::size_t>(len);
    return true;
}

}  // namespace

std::optional<std::uint64_t> HostFileAttributes::file_size() const {
    std::uint64_t unit = record_size;
    if (frame_size != 8) unit *= 6;  // at most 6 * (2^32 - 1): fits
    std::uint64_t count = record_count;
    if (count != 0 && unit > std::numeric_limits<std::uint64_t>::max() / count) return std::nullopt;
    return unit * count;
}

bool HostFileAttributes::check_fits(std::string& problem) const {
    // The 1-digit wire fields are the only ones an archive field can hold more than.
    const struct {
        const char* name;
        unsigned value;
    } digits[] = {{"F1", f1}, {"F2", f2}, {"F3", f3}, {"F4", f4}};
    for (const auto& d : digits) {
        if (d.value > 9) {
            problem = std::string("File attribute ") + d.name + " exceeds its field";
            return false;
        }
    }
    const struct {
        const char* name;
        const std::string& text;
        std::size_t limit;
    } texts[] = {{"T1", t1, kMaxT1Length}, {"T2", t2, kMaxT2Length}};
    for (const auto& t : texts) {
        if (t.text.size() > t.limit) {
            problem = std::string("File attribute ") + t.name + " is longer than " + std::to_string(t.limit) +
                      " characters";
            return false;
        }
        if (t.text.find('\0') != std::string::npos) {
            problem = std::string("File attribute ") + t.name + " contains a NUL character";
            return false;
        }
    }
    if (!file_size()) {
        problem = "File size overflows";
        return false;
    }
    return true;
}

void encode_attribute_block(const HostFileAttributes& a, std::string& out) {
    append_number(out, a.a1, 10);
    append_number(out, a.a2, 10);
    append_number(out, a.a3, 10);
    append_number(out, a.frame_size, 5);
    append_number(out, a.record_size, 10);
    append_number(out, a.a4, 10);
    append_number(out, a.a5, 10);
    append_number(out, a.a6, 10);
    append_number(out, a.record_count, 10);
    append_number(out, a.f1, 1);
    append_number(out, a.f2, 1);
    append_number(out, a.f3, 1);
    append_number(out, a.f4, 1);
    for (std::uint8_t b : a.raw) out += static_cast<char>(b);
    append_number(out, a.t1.size(), 3);
    out += a.t1;
    append_number(out, a.t2.size(), 3);
    out += a.t2;
}

bool decode_attribute_block(std::string_view in, std::size_t& pos, HostFileAttributes& attrs, std::string& error) {
    if (pos > in.size()) {
        error = "Host reply too short for the file attributes";
        return false;
    }
    HostFileAttributes a;
    std::size_t p = pos;
    std::uint8_t f1 = 0;
    std::uint8_t f2 = 0;
    if (!read_field(in, p, 10, "A1", a.a1, error) || !read_field(in, p, 10, "A2", a.a2, error) ||
        !read_field(in, p, 10, "A3", a.a3, error) || !read_field(in, p, 5, "frame size", a.frame_size, error) ||
        !read_field(in, p, 10, "record size", a.record_size, error) || !read_field(in, p, 10, "A4", a.a4, error) ||
        !read_field(in, p, 10, "A5", a.a5, error) || !read_field(in, p, 10, "A6", a.a6, error) ||
        !read_field(in, p, 10, "record count", a.record_count, error) || !read_field(in, p, 1, "F1", f1, error) ||
        !read_field(in, p, 1, "F2", f2, error) || !read_field(in, p, 1, "F3", a.f3, error) ||
        !read_field(in, p, 1, "F4", a.f4, error))
        return false;
    a.f1 = f1;
    a.f2 = f2;
    if (in.size() - p < a.raw.size()) {
        error = "Host reply too short for the file attributes";
        return false;
    }
    for (std::size_t i = 0; i < a.raw.size(); ++i) a.raw[i] = static_cast<std::uint8_t>(in[p + i]);
    p += a.raw.size();
    if (!read_text(in, p, "T1", kMaxT1Length, a.t1, error) || !read_text(in, p, "T2", kMaxT2Length, a.t2, error))
        return false;
    if (!a.file_size()) {
        error = "File size overflows";
        return false;
    }
    attrs = std::move(a);
    pos = p;
    return true;
}

}  // namespace kestra::archive
