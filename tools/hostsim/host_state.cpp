#include "host_state.h"

#include <cctype>

namespace kestra::hostsim {

std::int64_t host_file_size(const FileAttributes& attributes) {
    const std::int64_t factor = attributes.frame_size == 8 ? 1 : 6;
    return attributes.record_size * attributes.record_count * factor;
}

std::uint8_t host_file_byte(const HostFile& file, std::int64_t i) {
    if (file.contents) {
        return static_cast<std::uint8_t>((*file.contents)[static_cast<std::size_t>(i)]);
    }
    // A cheap mix of seed and position: reproducible, and not a trivially repeating pattern.
    auto x = static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15ULL + static_cast<std::uint64_t>(file.generated_seed);
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 32;
    return static_cast<std::uint8_t>(x & 0xFFU);
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
