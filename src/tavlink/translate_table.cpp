#include "tavlink/translate_table.h"

#include <cstring>
#include <fstream>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define KESTRA_TAVLINK_VBMI 1
#endif

namespace kestra::tavlink {

namespace {

constexpr Table kBuiltinPcToHost = {
    0x00, 0x01, 0x02, 0x03, 0x37, 0x2D, 0x2E, 0x2F, 0x16, 0x05, 0x25, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x3C, 0x3D, 0x32, 0x26, 0x18, 0x19, 0x3F, 0x27, 0x1C, 0x1D, 0x1E, 0x1F,
    0x40, 0x4F, 0x7F, 0x7B, 0x5B, 0x6C, 0x50, 0x7D, 0x4D, 0x5D, 0x5C, 0x4E, 0x6B, 0x60, 0x4B, 0x61,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x7A, 0x5E, 0x4C, 0x7E, 0x6E, 0x6F,
    0x7C, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6,
    0xD7, 0xD8, 0xD9, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0x4A, 0xE0, 0x5A, 0x5F, 0x6D,
    0x79, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96,
    0x97, 0x98, 0x99, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xC0, 0x6A, 0xD0, 0xA1, 0x07,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x15, 0x06, 0x17, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x09, 0x0A, 0x1B,
    0x30, 0x31, 0x1A, 0x33, 0x34, 0x35, 0x36, 0x08, 0x38, 0x39, 0x3A, 0x3B, 0x04, 0x14, 0x3E, 0xE1,
    0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57,
    0x58, 0x59, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75,
    0x76, 0x77, 0x78, 0x80, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E,
    0x9F, 0xA0, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7,
    0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xDA, 0xDB,
    0xDC, 0xDD, 0xDE, 0xDF, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
};

constexpr std::size_t kMaxLine = 254;
constexpr const char* kPrefix = "Tavlink32x1: ";

void emit(const TraceFn& trace, const std::string& text) {
    if (trace) trace(kPrefix + text);
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// Reads an unsigned number with a C-style base prefix; false when there are no digits or it exceeds 255.
bool parse_byte(const std::string& s, std::size_t& pos, std::uint8_t& value) {
    int base = 10;
    if (pos < s.size() && s[pos] == '0') {
        if (pos + 1 < s.size() && (s[pos + 1] == 'x' || s[pos + 1] == 'X')) {
            base = 16;
            pos += 2;
            if (pos >= s.size() || digit_value(s[pos]) >= 16) return false;
        } else {
            base = 8;
        }
    }
    std::size_t start = pos;
    unsigned long v = 0;
    while (pos < s.size() && digit_value(s[pos]) < base) {
        v = v * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit_value(s[pos]));
        if (v > 255) v = 256;  // saturate: only "too big" matters
        ++pos;
    }
    if (pos == start) return false;
    if (v > 255) return false;
    value = static_cast<std::uint8_t>(v);
    return true;
}

void skip_blanks(const std::string& s, std::size_t& pos) {
    while (pos < s.size() && is_blank(s[pos])) ++pos;
}

}  // namespace

Table identity_table() {
    Table t{};
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<std::uint8_t>(i);
    return t;
}

TranslateTables builtin_tables() {
    return TranslateTables{kBuiltinPcToHost, inverse_table(kBuiltinPcToHost)};
}

TranslateTables identity_tables() { return TranslateTables{identity_table(), identity_table()}; }

Table inverse_table(const Table& t) {
    Table inv = identity_table();
    std::array<bool, 256> set{};
    for (std::size_t b = 0; b < t.size(); ++b) {
        if (!set[t[b]]) {
            inv[t[b]] = static_cast<std::uint8_t>(b);
            set[t[b]] = true;
        }
    }
    return inv;
}

bool parse_translate_entry(const std::string& line, std::uint8_t& from, std::uint8_t& to) {
    std::size_t pos = 0;
    skip_blanks(line, pos);
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    if (!parse_byte(line, pos, a)) return false;
    skip_blanks(line, pos);
    if (pos >= line.size() || line[pos] != '=') return false;
    ++pos;
    skip_blanks(line, pos);
    if (!parse_byte(line, pos, b)) return false;
    from = a;
    to = b;
    return true;
}

int load_translate_file(const std::string& path, TranslateTables& tables, const TraceFn& trace) {
    std::ifstream in(path);
    if (!in) {
        emit(trace, "can't open translatetable file " + path);
        return 1;
    }
    tables = identity_tables();
    Table* current = nullptr;
    std::string raw;
    while (std::getline(in, raw)) {
        if (raw.size() > kMaxLine) raw.resize(kMaxLine);
        // Files written on the PC end their lines with CR LF.
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        std::size_t pos = 0;
        skip_blanks(raw, pos);
        std::string line = raw.substr(pos);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.compare(1, 11, "PCTOASERIES") == 0) {
                emit(trace, "PcToASeries");
                current = &tables.pc_to_host;
            } else if (line.compare(1, 11, "ASERIESTOPC") == 0) {
                emit(trace, "ASeriesToPc");
                current = &tables.host_to_pc;
            } else {
                emit(trace, "unknown section in translate table file " + line);
                return 1;
            }
            continue;
        }
        emit(trace, "process translatetable line " + line);
        std::size_t eq = line.find('=');
        if (eq != std::string::npos) {
            std::size_t rest = eq + 1;
            skip_blanks(line, rest);
            emit(trace, "look at " + line.substr(rest));
        }
        if (current == nullptr) {
            // No table to put it in yet.
            emit(trace, "translatetable line before any section ignored " + line);
            continue;
        }
        std::uint8_t from = 0;
        std::uint8_t to = 0;
        if (parse_translate_entry(line, from, to)) (*current)[from] = to;
    }
    return 0;
}

namespace {

void translate_scalar(const Table& table, const unsigned char* src, unsigned char* dst, std::size_t n) {
    std::size_t i = 0;
    // Unrolled so the lookups of one group are independent of each other.
    for (; i + 8 <= n; i += 8) {
        unsigned char b0 = table[src[i]], b1 = table[src[i + 1]], b2 = table[src[i + 2]], b3 = table[src[i + 3]];
        unsigned char b4 = table[src[i + 4]], b5 = table[src[i + 5]], b6 = table[src[i + 6]],
                      b7 = table[src[i + 7]];
        dst[i] = b0;
        dst[i + 1] = b1;
        dst[i + 2] = b2;
        dst[i + 3] = b3;
        dst[i + 4] = b4;
        dst[i + 5] = b5;
        dst[i + 6] = b6;
        dst[i + 7] = b7;
    }
    for (; i < n; ++i) dst[i] = table[src[i]];
}

#ifdef KESTRA_TAVLINK_VBMI
// 64 bytes at a time: two 128-entry byte permutes, the top bit of each byte choosing between them.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void translate_vbmi(const Table& table,
                                                                             const unsigned char* src,
                                                                             unsigned char* dst, std::size_t n) {
    const __m512i t0 = _mm512_loadu_si512(table.data());
    const __m512i t1 = _mm512_loadu_si512(table.data() + 64);
    const __m512i t2 = _mm512_loadu_si512(table.data() + 128);
    const __m512i t3 = _mm512_loadu_si512(table.data() + 192);
    std::size_t i = 0;
    for (; i + 128 <= n; i += 128) {
        __m512i v = _mm512_loadu_si512(src + i);
        __m512i w = _mm512_loadu_si512(src + i + 64);
        __m512i vl = _mm512_permutex2var_epi8(t0, v, t1);
        __m512i wl = _mm512_permutex2var_epi8(t0, w, t1);
        __m512i vh = _mm512_permutex2var_epi8(t2, v, t3);
        __m512i wh = _mm512_permutex2var_epi8(t2, w, t3);
        _mm512_storeu_si512(dst + i, _mm512_mask_blend_epi8(_mm512_movepi8_mask(v), vl, vh));
        _mm512_storeu_si512(dst + i + 64, _mm512_mask_blend_epi8(_mm512_movepi8_mask(w), wl, wh));
    }
    for (; i + 64 <= n; i += 64) {
        __m512i v = _mm512_loadu_si512(src + i);
        __m512i low = _mm512_permutex2var_epi8(t0, v, t1);
        __m512i high = _mm512_permutex2var_epi8(t2, v, t3);
        __mmask64 top = _mm512_movepi8_mask(v);
        _mm512_storeu_si512(dst + i, _mm512_mask_blend_epi8(top, low, high));
    }
    translate_scalar(table, src + i, dst + i, n - i);
}

bool has_vbmi() {
    static const bool yes = __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw");
    return yes;
}
#endif

}  // namespace

void translate(const Table& table, const char* in, char* out, std::size_t n) {
    const auto* src = reinterpret_cast<const unsigned char*>(in);
    auto* dst = reinterpret_cast<unsigned char*>(out);
#ifdef KESTRA_TAVLINK_VBMI
    if (n >= 64 && has_vbmi()) {
        translate_vbmi(table, src, dst, n);
        return;
    }
#endif
    translate_scalar(table, src, dst, n);
}

void translate_in_place(const Table& table, char* data, std::size_t n) { translate(table, data, data, n); }

}  // namespace kestra::tavlink
