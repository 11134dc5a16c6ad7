#include "hostlink/reply_cursor.h"

#include "hostlink/host_number.h"

namespace kestra::hostlink {

std::uint32_t ReplyCursor::number(std::size_t width) {
    const std::uint32_t value = get_number(data_ + at_, width, remaining());
    at_ += width < remaining() ? width : remaining();
    return value;
}

bool ReplyCursor::text(std::string& out) {
    out.clear();
    if (remaining() < 3) {
        at_ = length_;
        return false;
    }
    const std::size_t length = number(3);
    return raw(length, out);
}

bool ReplyCursor::raw(std::size_t count, std::string& out) {
    out.clear();
    if (count > remaining()) {
        at_ = length_;
        return false;
    }
    out.assign(data_ + at_, count);
    at_ += count;
    return true;
}

bool ReplyCursor::skip(std::size_t count) {
    if (count > remaining()) {
        at_ = length_;
        return false;
    }
    at_ += count;
    return true;
}

}  // namespace kestra::hostlink
