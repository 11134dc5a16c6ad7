// Replies come from the host: a walk of reads chosen by the input must never leave the received bytes, and once
// a read runs short the reader stays failed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "configsvc/reply_reader.h"

using kestra::configsvc::ReplyReader;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first bytes (up to the first 0xFF) drive the walk; the rest is the reply, copied to an exact-size block
    // so any read past it is caught.
    std::size_t ops = 0;
    while (ops < size && data[ops] != 0xFF) ++ops;
    const std::size_t body_at = ops < size ? ops + 1 : size;
    const std::size_t length = size - body_at;
    char* body = new char[length == 0 ? 1 : length];
    for (std::size_t i = 0; i < length; ++i) body[i] = static_cast<char>(data[body_at + i]);

    ReplyReader r(body, length);
    bool was_failed = false;
    std::string text;
    for (std::size_t i = 0; i < ops; ++i) {
        const std::uint8_t op = data[i];
        const std::size_t before = r.position();
        switch (op % 6) {
            case 0: {
                const std::uint32_t v = r.number(op / 6 % 12);
                if (v > 999999999u) std::abort();
                break;
            }
            case 1: (void)r.number_wide(op / 6 % 22); break;
            case 2: (void)r.flag(); break;
            case 3: {
                const bool ok = r.text(text);
                if (ok && text.size() > 999) std::abort();
                break;
            }
            case 4: (void)r.skip(op / 6); break;
            case 5:
                if (op / 6 % 8 == 0) {
                    r.reset(body, length);
                    was_failed = false;
                }
                break;
        }
        if (r.position() > length || r.remaining() != length - r.position()) std::abort();
        if (r.rest().size() != r.remaining()) std::abort();
        if (was_failed && r.position() != before) std::abort();
        if (was_failed && !r.failed()) std::abort();
        was_failed = r.failed();
    }
    delete[] body;
    return 0;
}
