#include "configsvc/reply_reader.h"

namespace kestra::configsvc {
namespace {

constexpr std::size_t kNarrowDigits = 9;   // always fits 32 bits
constexpr std::size_t kWideDigits = 19;    // always fits 64 bits

}  // namespace

ReplyReader::ReplyReader(const char* data, std::size_t length) { reset(data, length); }

void ReplyReader::reset(const char* data, std::size_t length) {
    data_ = data == nullptr ? "" : data;
    length_ = data == nullptr ? 0 : length;
    position_ = 0;
    failed_ = false;
}

std::uint64_t ReplyReader::read_digits(std::size_t width, std::size_t max_digits) {
    if (failed_) return 0;
    const std::size_t available = remaining();
    const std::size_t span = width < available ? width : available;
    const char* field = data_ + position_;
    std::size_t i = 0;
    while (i < span && field[i] == ' ') ++i;
    std::uint64_t value = 0;
    std::size_t digits = 0;
    while (i < span && field[i] >= '0' && field[i] <= '9' && digits < max_digits) {
        value = value * 10 + static_cast<std::uint64_t>(field[i] - '0');
        ++i;
        ++digits;
    }
    position_ += span;
    if (span < width) failed_ = true;
    return value;
}

std::uint32_t ReplyReader::number(std::size_t width) {
    return static_cast<std::uint32_t>(read_digits(width, kNarrowDigits));
}

std::uint64_t ReplyReader::number_wide(std::size_t width) { return read_digits(width, kWideDigits); }

bool ReplyReader::flag() {
    if (failed_) return false;
    if (at_end()) {
        failed_ = true;
        return false;
    }
    return data_[position_++] == '1';
}

bool ReplyReader::text(std::string& out) {
    if (failed_) return false;
    const std::size_t start = position_;
    const std::size_t size = number(3);
    if (failed_ || size > remaining()) {
        position_ = start;
        failed_ = true;
        return false;
    }
    out.assign(data_ + position_, size);
    position_ += size;
    return true;
}

bool ReplyReader::skip(std::size_t count) {
    if (failed_) return false;
    if (count > remaining()) {
        failed_ = true;
        return false;
    }
    position_ += count;
    return true;
}

}  // namespace kestra::configsvc
