#include "hostlink/control_sequences.h"

namespace kestra::hostlink {

namespace {

constexpr unsigned char kEsc = 0x1B;

int hex_value(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool is_control(unsigned char c) {
    return c < 0x20 || c > 0x7F;
}

}  // namespace

std::size_t strip_control_sequences(const char* data, std::size_t length) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    std::size_t at = 0;
    while (at < length && is_control(p[at])) {
        if (p[at] != kEsc) {
            ++at;
            continue;
        }
        if (at + 1 >= length) return length;
        const unsigned char what = p[at + 1];
        std::size_t skip = 2;
        switch (what) {
            case ' ':
            case '$':
            case '-':
            case '_':
                skip = 3;
                break;
            case '"':
                skip = 4;
                break;
            case '^':
                skip = 6;
                break;
            case 'R': {
                const std::size_t r = at + 1;
                const std::size_t digits = (r + 1 < length && p[r + 1] == 'A') ? r + 6 : r + 2;
                if (digits + 2 > length) return length;
                const int hi = hex_value(p[digits]);
                const int lo = hex_value(p[digits + 1]);
                if (hi < 0 || lo < 0) return length;
                skip = digits + 2 + static_cast<std::size_t>(hi * 16 + lo) - at;
                break;
            }
            default:
                break;
        }
        if (skip > length - at) return length;
        at += skip;
    }
    return at;
}

}  // namespace kestra::hostlink
