#include "body_codec.h"

#include <algorithm>

namespace kestra::hostsim {

bool BodyReader::fail(const std::string& what) {
    if (ok_) {
        ok_ = false;
        error_ = what + " at offset " + std::to_string(pos_);
    }
    return false;
}

bool BodyReader::number(std::size_t width, std::int64_t& out) {
    if (!ok_) return false;
    if (body_.size() - pos_ < width) return fail("number cut short");
    std::int64_t value = 0;
    bool seen_digit = false;
    for (std::size_t i = 0; i < width; ++i) {
        const char c = body_[pos_ + i];
        if (c == ' ' && !seen_digit) continue;
        if (c < '0' || c > '9') return fail("non-digit in number");
        seen_digit = true;
        value = value * 10 + (c - '0');
    }
    if (!seen_digit) return fail("empty number");
    pos_ += width;
    out = value;
    return true;
}

bool BodyReader::number(std::size_t width, int& out) {
    std::int64_t value = 0;
    if (width > 9) return fail("number too wide");
    if (!number(width, value)) return false;
    out = static_cast<int>(value);
    return true;
}

bool BodyReader::flag(bool& out) {
    if (!ok_) return false;
    if (pos_ >= body_.size()) return fail("flag missing");
    const char c = body_[pos_];
    if (c != '0' && c != '1') return fail("flag is neither 0 nor 1");
    out = c == '1';
    ++pos_;
    return true;
}

bool BodyReader::text(std::string& out) {
    int length = 0;
    if (!number(3, length)) return false;
    if (body_.size() - pos_ < static_cast<std::size_t>(length)) return fail("text runs past the body");
    out.assign(body_.substr(pos_, static_cast<std::size_t>(length)));
    pos_ += static_cast<std::size_t>(length);
    return true;
}

bool BodyReader::raw(std::size_t count, std::string& out) {
    if (!ok_) return false;
    if (body_.size() - pos_ < count) return fail("body cut short");
    out.assign(body_.substr(pos_, count));
    pos_ += count;
    return true;
}

bool BodyReader::raw_until(char stop, std::string& out) {
    if (!ok_) return false;
    const auto found = body_.find(stop, pos_);
    if (found == std::string_view::npos) return fail(std::string("missing \"") + stop + "\"");
    out.assign(body_.substr(pos_, found - pos_));
    pos_ = found + 1;
    return true;
}

bool BodyReader::dot() {
    if (!ok_) return false;
    if (pos_ >= body_.size() || body_[pos_] != '.') return fail("missing \".\"");
    ++pos_;
    return true;
}

BodyWriter& BodyWriter::number(std::int64_t value, std::size_t width) {
    std::int64_t limit = 1;
    for (std::size_t i = 0; i < width && limit < (std::int64_t{1} << 60); ++i) limit *= 10;
    value = std::clamp<std::int64_t>(value, 0, limit - 1);
    std::string digits = std::to_string(value);
    if (digits.size() < width) data_.append(width - digits.size(), '0');
    data_ += digits;
    return *this;
}

BodyWriter& BodyWriter::flag(bool value) {
    data_.push_back(value ? '1' : '0');
    return *this;
}

BodyWriter& BodyWriter::text(std::string_view value) {
    if (value.size() > 999) value = value.substr(0, 999);
    number(static_cast<std::int64_t>(value.size()), 3);
    data_.append(value);
    return *this;
}

BodyWriter& BodyWriter::raw(std::string_view value) {
    data_.append(value);
    return *this;
}

BodyWriter& BodyWriter::ch(char c) {
    data_.push_back(c);
    return *this;
}

}  // namespace kestra::hostsim
