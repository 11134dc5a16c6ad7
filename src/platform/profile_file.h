#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestra::platform {

// No settings file is anywhere near this; anything larger is not one, and reading it whole would only eat memory.
constexpr std::size_t kSettingsFileMax = 4u * 1024u * 1024u;

// Why `path` cannot be a settings file ("not a regular file", "larger than 4 MiB"); empty when it can be read as
// one or does not exist.
std::string settings_file_problem(const std::string& path);

// A parsed settings file with the semantics of the Windows private-profile functions: section and key names
// compare without regard to case (ASCII), values are trimmed and lose one pair of surrounding double quotes.
// Lines that are neither sections nor keys (comments, blanks) are kept so a rewrite changes only what it must.
class ProfileFile {
public:
    ProfileFile() = default;
    explicit ProfileFile(std::string path);

    // Loads the file; a missing file reads as empty. False only when the file exists and cannot be read, or is no
    // settings file at all (settings_file_problem).
    bool load();
    void parse(std::string_view text);
    // Writes the whole file atomically.
    bool save() const;
    std::string text() const;

    bool find(std::string_view section, std::string_view key, std::string& value) const;
    std::string get_string(std::string_view section, std::string_view key, std::string_view default_value) const;
    int get_int(std::string_view section, std::string_view key, int default_value) const;
    void set(std::string_view section, std::string_view key, std::string_view value);
    void remove_key(std::string_view section, std::string_view key);
    void remove_section(std::string_view section);
    bool has_section(std::string_view section) const;
    std::vector<std::string> keys(std::string_view section) const;

    const std::string& path() const { return path_; }

private:
    struct Line {
        std::string raw;      // the line as read, for lines we do not own
        std::string section;  // set for a section header
        std::string key;      // set for a key line
        std::string value;
        enum Kind { Other, Section, Key } kind = Other;
    };
    std::string path_;
    std::vector<Line> lines_;

    std::ptrdiff_t find_section(std::string_view section) const;
    std::size_t section_end(std::size_t header) const;
};

// The Windows profile functions, over a file name. Each call reads the file afresh, as Windows does.
// Copies the value (or the default) cut to size - 1 characters plus a terminator; returns the characters copied.
std::size_t get_private_profile_string(std::string_view section, std::string_view key, std::string_view default_value,
                                       char* buffer, std::size_t size, const std::string& file);
std::string get_private_profile_string(std::string_view section, std::string_view key, std::string_view default_value,
                                       const std::string& file);
// Leading digits only (an optional sign first); missing or empty -> default; not numeric -> 0.
int get_private_profile_int(std::string_view section, std::string_view key, int default_value,
                            const std::string& file);
// A null value removes the key; creates the file and the section when needed. False when the file cannot be
// written; the old file is then left whole.
bool write_private_profile_string(std::string_view section, std::string_view key, const char* value,
                                  const std::string& file);

// Reads a profile integer the way GetPrivateProfileInt converts text.
int profile_text_to_int(std::string_view text);

// Where kestra.ini lives: $KESTRA_INI, else $XDG_CONFIG_HOME/kestra/kestra.ini, else ~/.config/kestra/kestra.ini.
std::string settings_file_path();

}  // namespace kestra::platform
