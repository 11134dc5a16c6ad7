#include "host_state.h"

#include <cctype>

namespace kestra::hostsim {

std::int64_t host_file_size(const FileAttributes& attributes) {
    const std::int64_t factor = attributes.frame_size == 8 ? 1 : 6;
    return attributes.record_size * attributes.record_count * factor;
}

namespace {

// A cheap mix of seed and position: reproducible, and not a trivially repeating pattern.
inline std::uint8_t generated_byte(std::int64_t seed, std::int64_t i) {
    auto x = static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15ULL + static_cast<std::uint64_t>(seed);
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 32;
    return static_cast<std::uint8_t>(x & 0xFFU);
}

}  // namespace

std::uint8_t host_file_byte(const HostFile& file, std::int64_t i) {
    if (file.contents) {
        return static_cast<std::uint8_t>((*file.contents)[static_cast<std::size_t>(i)]);
    }
    return generated_byte(file.generated_seed, i);
}

void host_file_bytes(const HostFile& file, std::int64_t from, std::size_t n, std::uint8_t* out) {
    if (file.contents) {
        const char* bytes = file.contents->data() + from;
        for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(bytes[i]);
        return;
    }
    for (std::size_t i = 0; i < n; ++i) out[i] = generated_byte(file.generated_seed, from + static_cast<std::int64_t>(i));
}

bool equals_ignore_case(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string to_upper_ascii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

const HostUser* find_user(const HostState& state, const std::string& name) {
    for (const auto& user : state.users) {
        if (equals_ignore_case(user.name, name)) return &user;
    }
    return nullptr;
}

}  // namespace kestra::hostsim
