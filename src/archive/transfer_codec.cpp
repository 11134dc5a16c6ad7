#include "archive/transfer_codec.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <limits>

#include "archive/archive_header.h"
#include "archive/entry_header.h"

namespace kestra::archive {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// Bitwise, not short-circuit: a branch here defeats the vectorising of hex_decode.
bool is_hex_digit(std::uint8_t c) {
    return (static_cast<std::uint8_t>(c - '0') < 10) | (static_cast<std::uint8_t>((c | 0x20) - 'a') < 6);
}

// The value of a digit that is_hex_digit accepts: letters (0x41-0x46, 0x61-0x66) have bit 6 set and 1-6 below.
std::uint8_t digit_value(std::uint8_t c) { return static_cast<std::uint8_t>((c & 0x0F) + 9 * ((c >> 6) & 1)); }

// floor(10 * r / s) and 10 * r mod s for r < s, by repeated modular addition so nothing overflows.
std::uint64_t next_decimal_digit(std::uint64_t& r, std::uint64_t s) {
    std::uint64_t q = 0;
    std::uint64_t t = 0;
    for (int i = 0; i < 10; ++i) {
        if (t >= s - r) {
            t -= s - r;
            ++q;
        } else {
            t += r;
        }
    }
    r = t;
    return q;
}

void append_length(std::string& out, std::size_t length) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03zu", length % 1000);
    out += digits;
}

}  // namespace

void hex_encode(std::span<const std::uint8_t> bytes, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + 2 * bytes.size());
    char* p = out.data() + start;
    for (std::uint8_t b : bytes) {
        *p++ = kHexDigits[b >> 4];
        *p++ = kHexDigits[b & 0x0Fu];
    }
}

// Arithmetic rather than a lookup or branches, so the compiler can work on many digits at once: a 16 MiB get
// decodes 32 million of them. Any bad digit is caught at the end, and the bytes written meanwhile are dropped.
bool hex_decode(std::string_view digits, std::vector<std::uint8_t>& out) {
    if (digits.size() % 2 != 0) return false;
    const std::size_t start = out.size();
    const std::size_t n = digits.size() / 2;
    out.resize(start + n);
    const auto* in = reinterpret_cast<const std::uint8_t*>(digits.data());
    std::uint8_t* p = out.data() + start;
    std::uint8_t bad = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t hi = in[2 * i];
        const std::uint8_t lo = in[2 * i + 1];
        // Integer and, not &&, so both digits are tested without a branch.
        bad |= static_cast<std::uint8_t>(1u ^ (static_cast<unsigned>(is_hex_digit(hi)) & static_cast<unsigned>(is_hex_digit(lo))));
        p[i] = static_cast<std::uint8_t>((digit_value(hi) << 4) | digit_value(lo));
    }
    if (bad != 0) {
        out.resize(start);
        return false;
    }
    return true;
}

std::size_t put_chunk_size(std::size_t data_limit) { return data_limit == 0 ? 0 : (data_limit - 1) / 2; }

int progress_percent(std::uint64_t done, std::uint64_t size) {
    if (size == 0 || done >= size) return 100;
    if (done <= std::numeric_limits<std::uint64_t>::max() / 100) return static_cast<int>(done * 100 / size);
    std::uint64_t r = done;
    const std::uint64_t tens = next_decimal_digit(r, size);
    const std::uint64_t units = next_decimal_digit(r, size);
    return static_cast<int>(tens * 10 + units);
}

bool is_invalid_command_refusal(std::string_view reply_text) {
    return reply_text.find("[Kestra]INVALID COMMAND") != std::string_view::npos;
}

std::string encode_get_first_body(std::string_view host_file_name) {
    std::string body = "0";
    append_length(body, host_file_name.size());
    body += host_file_name;
    return body;
}

bool decode_get_first_reply(std::string_view reply, bool with_extra_block, std::string& extra,
                            HostFileAttributes& attrs, std::string& error) {
    std::size_t pos = 0;
    std::string block;
    if (with_extra_block) {
        std::size_t length = 0;
        if (reply.size() < 3) {
            error = "Host reply too short for the extra block";
            return false;
        }
        for (std::size_t i = 0; i < 3; ++i) {
            const char c = reply[i];
            if (c < '0' || c > '9') {
                error = "Bad extra block length in host reply";
                return false;
            }
            length = length * 10 + static_cast<std::size_t>(c - '0');
        }
        if (reply.size() - 3 < length) {
            error = "Host reply too short for the extra block";
            return false;
        }
        block.assign(reply.substr(3, length));
        pos = 3 + length;
    }
    HostFileAttributes a;
    if (!decode_attribute_block(reply, pos, a, error)) return false;
    extra = std::move(block);
    attrs = std::move(a);
    return true;
}

bool decode_get_data_reply(std::string_view reply, std::uint64_t due, std::vector<std::uint8_t>& out) {
    out.clear();
    if (due == 0) return true;
    if (reply.empty()) return false;
    if (reply.size() % 2 != 0) return false;
    // Only the bytes still due are decoded; digits past them are the host's excess and are dropped.
    if (reply.size() / 2 > due) reply = reply.substr(0, static_cast<std::size_t>(due) * 2);
    return hex_decode(reply, out);
}

std::string encode_put_first_body(std::string_view host_file_name, const HostFileAttributes& attrs,
                                  std::string_view extra, bool with_extra_block) {
    std::string body = encode_get_first_body(host_file_name);
    encode_attribute_block(attrs, body);
    if (with_extra_block) {
        append_length(body, extra.size());
        body += extra;
    }
    return body;
}

std::string encode_put_data_body(std::span<const std::uint8_t> chunk) {
    std::string body;
    body.reserve(1 + 2 * chunk.size());
    body += '0';
    hex_encode(chunk, body);
    return body;
}

bool read_list_file(const std::string& path, std::vector<std::string>& names, std::string& error) {
    // A folder opens as a stream on some systems and then fails (or throws) on the first read; it is no list.
    std::error_code ec;
    std::ifstream in;
    if (!std::filesystem::is_directory(path, ec)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        error = "Cannot open list file " + path;
        return false;
    }
    // A line longer than this cannot be a host file name; it is kept long enough to be refused as one.
    constexpr std::size_t kLongestLine = 1024;
    constexpr std::size_t kMostNames = kMaxArchiveFiles + 1;
    names.clear();
    std::string line;
    auto take = [&] {
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first != std::string::npos) {
            const std::size_t last = line.find_last_not_of(" \t\r");
            names.push_back(line.substr(first, last - first + 1));
        }
        line.clear();
    };
    std::streambuf* buf = in.rdbuf();
    try {
        for (int c = buf->sbumpc(); c != std::char_traits<char>::eof() && names.size() < kMostNames;
             c = buf->sbumpc()) {
            if (c == '\n') {
                take();
            } else if (line.size() <= kLongestLine) {
                line += static_cast<char>(c);
            }
        }
    } catch (const std::exception&) {
        // A read error (a device, a vanished file) is reported like a file that cannot be opened.
        names.clear();
        error = "Cannot open list file " + path;
        return false;
    }
    if (names.size() < kMostNames) take();
    return true;
}

}  // namespace kestra::archive
