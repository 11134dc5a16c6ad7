#include "tavlink/path_settings.h"

#include <cstring>
#include <string_view>

#include "platform/profile_file.h"

namespace kestra::tavlink {

namespace {

constexpr const char* kSection = "tcpip";

std::string key(const char* word, std::size_t i) { return word + std::to_string(i); }

std::string read_text(const std::string& ini, const std::string& k, const std::string& def, std::size_t size) {
    std::vector<char> buf(size);
    platform::get_private_profile_string(kSection, k, def, buf.data(), buf.size(), ini);
    return std::string(buf.data());
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::uint32_t clamp_buffer_size(long value) {
    if (value < static_cast<long>(kMinBufferSize)) return kMinBufferSize;
    if (value > static_cast<long>(kMaxBufferSize)) return kMaxBufferSize;
    return static_cast<std::uint32_t>(value);
}

std::uint16_t valid_port(long value, long fallback) {
    if (value >= 1 && value <= 65535) return static_cast<std::uint16_t>(value);
    if (fallback >= 1 && fallback <= 65535) return static_cast<std::uint16_t>(fallback);
    return static_cast<std::uint16_t>(kDefaultPort);
}

std::uint16_t read_global_port(const std::string& ini) {
    return valid_port(platform::get_private_profile_int(kSection, "portno", kDefaultPort, ini), kDefaultPort);
}

std::vector<PathEntry> read_paths(const std::string& ini, std::uint16_t global_port) {
    int count = platform::get_private_profile_int(kSection, "paths", 0, ini);
    if (count < 0) count = 0;
    if (count > static_cast<int>(kMaxPaths)) count = static_cast<int>(kMaxPaths);
    std::vector<PathEntry> paths;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        PathEntry p;
        p.name = read_text(ini, key("path", i), "Path" + std::to_string(i), 32);
        p.host = read_text(ini, key("host", i), "", 64);
        p.translate_file = read_text(ini, key("translatefilename", i), "", 255);
        p.buffer_size = clamp_buffer_size(
            platform::get_private_profile_int(kSection, key("maxbuffersize", i), static_cast<int>(kMinBufferSize), ini));
        p.port = valid_port(platform::get_private_profile_int(kSection, key("portno", i), global_port, ini), global_port);
        paths.push_back(std::move(p));
    }
    return paths;
}

bool write_paths(const std::vector<PathEntry>& paths, const std::string& ini) {
    platform::ProfileFile file(ini);
    if (!file.load()) return false;
    file.set(kSection, "paths", std::to_string(paths.size()));
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const PathEntry& p = paths[i];
        file.set(kSection, key("path", i), p.name);
        file.set(kSection, key("host", i), p.host);
        file.set(kSection, key("translatefilename", i), p.translate_file);
        file.set(kSection, key("maxbuffersize", i), std::to_string(p.buffer_size));
        file.set(kSection, key("portno", i), std::to_string(p.port));
    }
    return file.save();
}

bool format_connection_names(const std::vector<PathEntry>& paths, char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0) return false;
    std::size_t used = 0;
    for (const PathEntry& p : paths) {
        if (p.name.empty()) break;
        std::size_t need = p.name.size() + 1;
        if (used + need + 1 > size) break;
        std::memcpy(buffer + used, p.name.c_str(), need);
        used += need;
    }
    buffer[used] = '\0';
    return true;
}

int find_path(const std::vector<PathEntry>& paths, const std::string& name) {
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& n = paths[i].name;
        if (n.size() != name.size()) continue;
        bool same = true;
        for (std::size_t k = 0; k < n.size() && same; ++k) same = lower(n[k]) == lower(name[k]);
        if (same) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace kestra::tavlink
