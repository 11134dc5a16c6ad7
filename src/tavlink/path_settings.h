#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestra::tavlink {

// One configured path: a name the caller asks for, and where and how to connect.
struct PathEntry {
    std::string name;            // at most 31 characters
    std::string host;            // at most 63 characters
    std::uint16_t port = 2048;
    std::uint32_t buffer_size = 1920;
    std::string translate_file;  // empty: the built-in tables
};

constexpr std::size_t kMaxPaths = 16;
constexpr int kDefaultPort = 2048;
constexpr std::uint32_t kMinBufferSize = 1920;
constexpr std::uint32_t kMaxBufferSize = 8192;

// Buffer sizes outside the range the configuration dialog allows are forced into it.
std::uint32_t clamp_buffer_size(long value);
// A port outside 1..65535 falls back to `fallback` (itself 2048 when out of range).
std::uint16_t valid_port(long value, long fallback);

// The global port ("portno" of section "tcpip").
std::uint16_t read_global_port(const std::string& ini);
std::vector<PathEntry> read_paths(const std::string& ini, std::uint16_t global_port);
bool write_paths(const std::vector<PathEntry>& paths, const std::string& ini);

// Fills `buffer` with the names, each followed by a zero byte, and a final zero byte. A name is copied only while
// it, its zero byte and the final zero byte fit; the first that does not fit ends the list. False when the buffer
// cannot hold even the final zero byte.
bool format_connection_names(const std::vector<PathEntry>& paths, char* buffer, std::size_t size);

// Index of the first path whose name equals `name` without regard to case, or -1.
int find_path(const std::vector<PathEntry>& paths, const std::string& name);

}  // namespace kestra::tavlink
