#include "cli/escaping_output.h"

#include <cstdio>

namespace kestra::cli {

namespace {

bool passes(unsigned char u) {
    return (u >= 0x20 && u != 0x7F) || u == '\n' || u == '\f';
}

void write_escaped(std::ostream& out, unsigned char u) {
    switch (u) {
        case '\r':
            out << "\\r";
            return;
        case '\t':
            out << "\\t";
            return;
        default: {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", u);
            out << buf;
        }
    }
}

}  // namespace

EscapingStreambuf::int_type EscapingStreambuf::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
}

std::streamsize EscapingStreambuf::xsputn(const char* data, std::streamsize count) {
    std::streamsize run = 0;  // start of the bytes that pass unchanged
    for (std::streamsize i = 0; i < count; ++i) {
        const auto u = static_cast<unsigned char>(data[i]);
        if (passes(u)) continue;
        target_.write(data + run, i - run);
        write_escaped(target_, u);
        run = i + 1;
    }
    target_.write(data + run, count - run);
    return target_ ? count : 0;
}

int EscapingStreambuf::sync() {
    return target_.flush() ? 0 : -1;
}

}  // namespace kestra::cli
