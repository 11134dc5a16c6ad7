#include "configsvc/body_writer.h"

#include <array>
#include <cstring>

namespace kestra::configsvc {
namespace {

constexpr std::size_t kMaxWidth = 20;
constexpr std::size_t kMaxText = 999;

// The decimal digits of a non-negative value, most significant first; returns how many.
std::size_t decimal_digits(std::int64_t value, std::array<char, kMaxWidth>& out) {
    std::array<char, kMaxWidth> reversed{};
    std::size_t count = 0;
    auto rest = static_cast<std::uint64_t>(value);
    do {
        reversed[count++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0 && count < kMaxWidth);
    for (std::size_t i = 0; i < count; ++i) out[i] = reversed[count - 1 - i];
    return count;
}

}  // namespace

BodyWriter::BodyWriter(char* buffer, std::size_t capacity)
    : buffer_(buffer), capacity_(buffer == nullptr ? 0 : capacity) {}

bool BodyWriter::fail(BodyError error) {
    if (error_ == BodyError::none) error_ = error;
    return false;
}

bool BodyWriter::put(std::string_view chars) {
    if (!ok()) return false;
    if (chars.size() > room()) return fail(BodyError::no_room);
    if (!chars.empty()) std::memcpy(buffer_ + length_, chars.data(), chars.size());
    length_ += chars.size();
    return true;
}

bool BodyWriter::number(std::int64_t value, std::size_t width) {
    if (!ok()) return false;
    if (width == 0 || width > kMaxWidth) return fail(BodyError::bad_width);
    if (value < 0) return fail(BodyError::negative_number);
    std::array<char, kMaxWidth> digits{};
    const std::size_t count = decimal_digits(value, digits);
    std::array<char, kMaxWidth> field{};
    if (count >= width) {
        // Wider than the field: the leading digits are kept.
        std::memcpy(field.data(), digits.data(), width);
    } else {
        std::memset(field.data(), '0', width - count);
        std::memcpy(field.data() + (width - count), digits.data(), count);
    }
    return put({field.data(), width});
}

bool BodyWriter::number_whole(std::int64_t value, std::size_t width) {
    if (!ok()) return false;
    if (width == 0 || width > kMaxWidth) return fail(BodyError::bad_width);
    if (value < 0) return fail(BodyError::negative_number);
    std::array<char, kMaxWidth> digits{};
    const std::size_t count = decimal_digits(value, digits);
    if (count >= width) return put({digits.data(), count});
    std::array<char, kMaxWidth> field{};
    std::memset(field.data(), '0', width - count);
    std::memcpy(field.data() + (width - count), digits.data(), count);
    return put({field.data(), width});
}

bool BodyWriter::flag(bool value) { return put(value ? "1" : "0"); }

bool BodyWriter::text(std::string_view value) {
    if (!ok()) return false;
    if (value.size() > kMaxText) return fail(BodyError::text_too_long);
    // Checked as a whole, so a refused text leaves no dangling length behind.
    if (3 + value.size() > room()) return fail(BodyError::no_room);
    return number(static_cast<std::int64_t>(value.size()), 3) && put(value);
}

bool BodyWriter::raw(std::string_view chars) { return put(chars); }

bool BodyWriter::byte(std::uint8_t value) {
    const char c = static_cast<char>(value);
    return put({&c, 1});
}

bool BodyWriter::stop() { return put("."); }

void BodyWriter::upper_case() { upper_case(0, length_); }

void BodyWriter::upper_case(std::size_t begin, std::size_t end) {
    if (end > length_) end = length_;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = buffer_[i];
        if (c >= 'a' && c <= 'z') buffer_[i] = static_cast<char>(c - 'a' + 'A');
    }
}

std::string_view body_error_text(BodyError error) {
    switch (error) {
        case BodyError::none: return "";
        case BodyError::no_room: return "Request too long for the host message";
        case BodyError::text_too_long: return "Text longer than 999 characters";
        case BodyError::negative_number: return "Negative number in request";
        case BodyError::bad_width: return "Invalid number width in request";
    }
    return "";
}

}  // namespace kestra::configsvc
