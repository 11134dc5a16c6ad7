// Header fields are read byte by byte in little-endian order, never through a cast structure, so a short or hostile
// file cannot be read past its end and the host's byte order does not matter.
#include "workspace/module_name_reader.h"

#include <array>
#include <filesystem>
#include <fstream>

namespace kestra::workspace {

namespace {

constexpr std::size_t kOldHeaderSize = 64;
constexpr std::size_t kNewHeaderSize = 64;
constexpr std::size_t kRelocationField = 0x18;
constexpr std::size_t kNewHeaderField = 0x3C;
constexpr std::uint16_t kMinRelocationOffset = 0x40;
constexpr std::size_t kResidentNamesField = 0x26;  // in the new header
constexpr std::size_t kNameBytes = 16;             // the length byte and at most 15 characters

std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

ModuleNameResult failure(const char* message) {
    return {false, message};
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

class FileSource : public ByteSource {
  public:
    explicit FileSource(std::ifstream& in) : in_(in) {}
    std::size_t read_at(std::uint64_t offset, std::span<std::uint8_t> out) override {
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        if (!in_) return 0;
        in_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
        return static_cast<std::size_t>(in_.gcount());
    }

  private:
    std::ifstream& in_;
};

}  // namespace

std::string module_name_from_file_name(std::string_view path) {
    std::string name = std::filesystem::path(std::string(path)).filename().string();
    const auto sep = name.find_last_of("\\:");
    if (sep != std::string::npos) name.erase(0, sep + 1);
    const auto dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    for (char& c : name) c = upper(c);
    return name;
}

ModuleNameResult read_module_name(ByteSource& bytes, std::string_view path) {
    std::array<std::uint8_t, kOldHeaderSize> old_header{};
    if (bytes.read_at(0, old_header) < old_header.size()) return failure(kModuleShortHeader);
    if (old_header[0] != 'M' || old_header[1] != 'Z') return failure(kModuleNotExe);
    if (le16(old_header, kRelocationField) < kMinRelocationOffset) return failure(kModuleNotWindows);

    const std::uint64_t new_offset = le32(old_header, kNewHeaderField);
    std::array<std::uint8_t, kNewHeaderSize> new_header{};
    if (bytes.read_at(new_offset, new_header) < new_header.size()) return failure(kModuleNotWindows);

    if (new_header[0] == 'N' && new_header[1] == 'E') {
        const std::uint64_t names_offset = new_offset + le16(new_header, kResidentNamesField);
        std::array<std::uint8_t, kNameBytes> entry{};
        const std::size_t got = bytes.read_at(names_offset, entry);
        if (got < 2) return failure(kModuleNotWindows);
        // The length byte may claim more than was read: only the characters actually there are taken.
        std::size_t length = entry[0];
        if (length > got - 1) length = got - 1;
        std::string name;
        for (std::size_t i = 1; i <= length; ++i) {
            if (entry[i] < 33) break;
            name.push_back(static_cast<char>(entry[i]));
        }
        return {true, name};
    }
    if (new_header[0] == 'P' && new_header[1] == 'E') return {true, module_name_from_file_name(path)};
    return failure(kModuleNotWindows);
}

ModuleNameResult read_module_name(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return failure(kModuleCannotOpen);
    FileSource source(in);
    return read_module_name(source, path);
}

}  // namespace kestra::workspace
