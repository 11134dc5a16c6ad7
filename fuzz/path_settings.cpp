// The provider's paths come from kestra.ini, which users edit by hand: any file must give at most 16 paths with
// names, hosts, ports and buffer sizes inside their limits, and writing them back must read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_temp_file.h"
#include "tavlink/path_settings.h"

namespace tl = kestra::tavlink;

namespace {

std::string trim(std::string s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '"'; };
    while (!s.empty() && blank(s.back())) s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && blank(s[i])) ++i;
    return s.substr(i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string ini = kestra::fuzz::write_temp_file(data, size);
    if (ini.empty()) return 0;
    const std::uint16_t port = tl::read_global_port(ini);
    if (port == 0) std::abort();
    const std::vector<tl::PathEntry> paths = tl::read_paths(ini, port);
    if (paths.size() > tl::kMaxPaths) std::abort();
    for (const tl::PathEntry& p : paths) {
        if (p.name.size() > 31 || p.host.size() > 63 || p.translate_file.size() > 254) std::abort();
        if (p.port == 0 || p.buffer_size < tl::kMinBufferSize || p.buffer_size > tl::kMaxBufferSize) std::abort();
    }

    // The names list never runs past the caller's buffer.
    const std::size_t room = size % 80;
    std::vector<char> names(room + 16, '\x5A');
    const bool listed = tl::format_connection_names(paths, names.data(), room);
    if (listed != (room > 0)) std::abort();
    for (std::size_t i = room; i < names.size(); ++i)
        if (names[i] != '\x5A') std::abort();
    if (!paths.empty() && tl::find_path(paths, paths.front().name) < 0) std::abort();

    if (!tl::write_paths(paths, ini)) return 0;
    const std::vector<tl::PathEntry> back = tl::read_paths(ini, port);
    if (back.size() != paths.size()) std::abort();
    for (std::size_t i = 0; i < back.size(); ++i) {
        // Values lose their outer blanks and one pair of quotes when read, as profile values always do.
        if (trim(back[i].host) != trim(paths[i].host) || back[i].port != paths[i].port ||
            back[i].buffer_size != paths[i].buffer_size ||
            trim(back[i].translate_file) != trim(paths[i].translate_file))
            std::abort();
    }
    return 0;
}
