#include "hostlink/host_number.h"

#include <cstdio>
#include <cstring>

namespace kestra::hostlink {

void put_number(char* at, long long value, std::size_t width) {
    char digits[32];
    const int n = std::snprintf(digits, sizeof digits, "%lld", value);
    const std::size_t len = n < 0 ? 0 : static_cast<std::size_t>(n);
    if (len >= width) {
        std::memcpy(at, digits, width);
        return;
    }
    std::memset(at, '0', width - len);
    std::memcpy(at + (width - len), digits, len);
}

std::uint32_t get_number(const char* at, std::size_t width, std::size_t available) {
    const std::size_t limit = width < available ? width : available;
    std::size_t i = 0;
    while (i < limit && at[i] == ' ') ++i;
    std::uint32_t value = 0;
    for (; i < limit; ++i) {
        const auto c = static_cast<unsigned char>(at[i]);
        if (c < '0' || c > '9') break;
        // Widths on the wire are at most 5 digits; saturate rather than wrap for anything wider.
        if (value > (UINT32_MAX - 9) / 10) return UINT32_MAX;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace kestra::hostlink
