// Request bodies are built from user texts of any length: nothing may land past the capacity (a canary follows the
// buffer), a refused element leaves the body as it was, and what is written is exactly the wire form.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "configsvc/body_writer.h"

using kestra::configsvc::BodyError;
using kestra::configsvc::BodyWriter;

namespace {

constexpr std::size_t kCanary = 32;
constexpr char kCanaryByte = '\x5A';

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
    bool empty() const { return pos >= size; }
    std::uint8_t byte() { return pos < size ? data[pos++] : 0; }
    std::uint64_t u64() {
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v = v << 8 | byte();
        return v;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{data, size};
    const std::size_t capacity = static_cast<std::size_t>(in.byte()) << 4 | (in.byte() & 0x0F);
    std::vector<char> block(capacity + kCanary, kCanaryByte);
    BodyWriter w(block.data(), capacity);
    std::string model;  // what the body must hold
    bool stopped = false;

    while (!in.empty()) {
        const std::uint8_t op = in.byte();
        const std::size_t before = w.length();
        std::string expect;  // the element's wire form
        bool refused = false;
        bool ok = false;
        switch (op % 7) {
            case 0:
            case 1: {
                const auto value = static_cast<std::int64_t>(in.u64() >> (in.byte() % 64));
                const std::size_t width = in.byte() % 24;
                const bool whole = op % 7 == 1;
                ok = whole ? w.number_whole(value, width) : w.number(value, width);
                if (width == 0 || width > 20 || value < 0) {
                    refused = true;
                } else {
                    const std::string digits = std::to_string(value);
                    if (digits.size() >= width)
                        expect = whole ? digits : digits.substr(0, width);
                    else
                        expect = std::string(width - digits.size(), '0') + digits;
                }
                break;
            }
            case 2: {
                const bool v = (in.byte() & 1) != 0;
                ok = w.flag(v);
                expect = v ? "1" : "0";
                break;
            }
            case 3: {
                std::size_t n = static_cast<std::size_t>(in.byte()) << 2 | (in.byte() & 3);
                std::string text;
                for (std::size_t i = 0; i < n; ++i) text += static_cast<char>('a' + i % 26);
                ok = w.text(text);
                if (n > 999) {
                    refused = true;
                } else {
                    char len[4];
                    std::snprintf(len, sizeof len, "%03zu", n);
                    expect = std::string(len) + text;
                }
                break;
            }
            case 4: {
                const std::size_t n = in.byte() % 64;
                std::string chars;
                for (std::size_t i = 0; i < n && !in.empty(); ++i) chars += static_cast<char>(in.byte());
                ok = w.raw(chars);
                expect = chars;
                break;
            }
            case 5: {
                const std::uint8_t b = in.byte();
                ok = w.byte(b);
                expect = std::string(1, static_cast<char>(b));
                break;
            }
            case 6:
                if ((op & 8) != 0) {
                    const std::size_t a = in.byte();
                    const std::size_t n = in.byte();
                    w.upper_case(a, a + n);
                    for (std::size_t i = a; i < model.size() && i < a + n; ++i)
                        if (model[i] >= 'a' && model[i] <= 'z') model[i] = static_cast<char>(model[i] - 32);
                    continue;
                }
                ok = w.stop();
                expect = ".";
                break;
        }
        if (std::memcmp(block.data() + capacity, std::string(kCanary, kCanaryByte).data(), kCanary) != 0) std::abort();
        if (w.length() > capacity || w.length() > w.capacity()) std::abort();
        const bool fits = !stopped && !refused && expect.size() <= capacity - before;
        if (ok != fits) std::abort();
        if (ok) {
            model += expect;
        } else {
            if (w.length() != before || w.ok()) std::abort();
            stopped = true;
        }
        if (w.view() != model) std::abort();
    }
    if (!w.ok() && kestra::configsvc::body_error_text(w.error()).empty()) std::abort();
    return 0;
}
