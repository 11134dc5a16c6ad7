#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kestra::workspace {

inline constexpr const char* kModuleCannotOpen = "Cannot open file";
inline constexpr const char* kModuleShortHeader = "Cannot read old EXE header";
inline constexpr const char* kModuleNotExe = "Not an EXE header";
inline constexpr const char* kModuleNotWindows = "Not a Windows Program";

// A module name, or the message that takes its place.
struct ModuleNameResult {
    bool ok = false;
    std::string text;  // the name when ok, else one of the messages above
};

// Random access to the program's bytes: copies up to `out.size()` bytes from `offset` and returns how many were
// there. Reading past the end gives fewer, never an error.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::size_t read_at(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

// The name a 32-bit program goes by: the file-name part of `path` by the platform's rules, then anything up to a
// last "\" or ":" dropped, cut at its first dot, in upper case. Pay.Roll.EXE in any folder gives PAY.
std::string module_name_from_file_name(std::string_view path);

// The module name from the program's headers. `path` names the program for the 32-bit rule only.
ModuleNameResult read_module_name(ByteSource& bytes, std::string_view path);

// The same for a file; the file is closed on every path.
ModuleNameResult read_module_name(const std::string& path);

}  // namespace kestra::workspace
