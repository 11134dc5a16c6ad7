#include "tavlink/frame.h"

#include <cstdio>

namespace kestra::tavlink {

bool encode_frame_header(std::size_t length, const Table& table, char out[4]) {
    if (length > kMaxFrameLength) return false;
    char digits[5];
    std::snprintf(digits, sizeof digits, "%4.4u", static_cast<unsigned>(length));
    translate(table, digits, out, kFrameHeaderSize);
    return true;
}

void translate_frame_header(const char in[4], const Table& table, char out[5]) {
    translate(table, in, out, kFrameHeaderSize);
    out[kFrameHeaderSize] = '\0';
}

std::size_t decode_frame_header(const char in[4], const Table& table) {
    char text[5];
    translate_frame_header(in, table, text);
    std::size_t i = 0;
    while (i < kFrameHeaderSize &&
           (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' || text[i] == '\v' ||
            text[i] == '\f'))
        ++i;
    std::size_t n = 0;
    for (; i < kFrameHeaderSize && text[i] >= '0' && text[i] <= '9'; ++i) n = n * 10 + static_cast<std::size_t>(text[i] - '0');
    return n;
}

}  // namespace kestra::tavlink
