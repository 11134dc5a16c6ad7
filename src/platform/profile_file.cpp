#include "platform/profile_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/atomic_file.h"

namespace kestra::platform {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// A setting is one line: whatever follows a line feed in a stored text would be read back as lines of their own
// (other keys, even other sections), so it is not written. A carriage return alone ends no line when read.
std::string_view one_line(std::string_view s) { return s.substr(0, s.find('\n')); }

std::string_view unquote(std::string_view v) {
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') return v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

std::string settings_file_problem(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    if (!S_ISREG(st.st_mode)) return "not a regular file";
    if (static_cast<std::uintmax_t>(st.st_size) > kSettingsFileMax) return "larger than 4 MiB";
    return {};
}

bool ProfileFile::load() {
    lines_.clear();
    if (!settings_file_problem(path_).empty()) return false;
    std::string text;
    if (!read_whole_file(path_, text)) {
        // A file that is not there reads as empty, as the Windows functions treat it.
        return ::access(path_.c_str(), F_OK) != 0;
    }
    parse(text);
    return true;
}

void ProfileFile::parse(std::string_view text) {
    lines_.clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        std::string_view raw = text.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos);
        pos = (eol == std::string_view::npos) ? text.size() : eol + 1;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);

        Line line;
        line.raw = std::string(raw);
        std::string_view t = trim(raw);
        if (!t.empty() && t.front() == '[') {
            std::size_t close = t.find(']');
            line.kind = Line::Section;
            line.section = std::string(trim(t.substr(1, close == std::string_view::npos ? t.size() - 1 : close - 1)));
        } else if (!t.empty() && t.front() != ';') {
            std::size_t eq = t.find('=');
            if (eq != std::string_view::npos) {
                line.kind = Line::Key;
                line.key = std::string(trim(t.substr(0, eq)));
                line.value = std::string(trim(t.substr(eq + 1)));
            }
        }
        lines_.push_back(std::move(line));
    }
}

std::string ProfileFile::text() const {
    std::string out;
    for (const Line& line : lines_) {
        out += line.raw;
        out += '\n';
    }
    return out;
}

bool ProfileFile::save() const { return write_file_atomically(path_, text()); }

std::ptrdiff_t ProfileFile::find_section(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Line::Section && same_name(lines_[i].section, section))
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::size_t ProfileFile::section_end(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Line::Section) ++i;
    return i;
}

bool ProfileFile::has_section(std::string_view section) const { return find_section(section) >= 0; }

bool ProfileFile::find(std::string_view section, std::string_view key, std::string& value) const {
    std::ptrdiff_t header = find_section(section);
    if (header < 0) return false;
    std::size_t end = section_end(static_cast<std::size_t>(header));
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
        if (lines_[i].kind == Line::Key && same_name(lines_[i].key, key)) {
            value = std::string(unquote(lines_[i].value));
            return true;
        }
    }
    return false;
}

std::string ProfileFile::get_string(std::string_view section, std::string_view key,
                                    std::string_view default_value) const {
    std::string value;
    if (find(section, key, value)) return value;
    return std::string(default_value);
}

int ProfileFile::get_int(std::string_view section, std::string_view key, int default_value) const {
    std::string value;
    if (!find(section, key, value) || value.empty()) return default_value;
    return profile_text_to_int(value);
}

std::vector<std::string> ProfileFile::keys(std::string_view section) const {
    std::vector<std::string> out;
    std::ptrdiff_t header = find_section(section);
    if (header < 0) return out;
    std::size_t end = section_end(static_cast<std::size_t>(header));
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i)
        if (lines_[i].kind == Line::Key) out.push_back(lines_[i].key);
    return out;
}

void ProfileFile::set(std::string_view section, std::string_view key, std::string_view value) {
    section = one_line(section);
    key = one_line(key);
    value = one_line(value);
    Line line;
    line.kind = Line::Key;
    line.key = std::string(key);
    line.value = std::string(value);
    line.raw = line.key + "=" + line.value;

    std::ptrdiff_t header = find_section(section);
    if (header < 0) {
        Line head;
        head.kind = Line::Section;
        head.section = std::string(section);
        head.raw = "[" + head.section + "]";
        lines_.push_back(std::move(head));
        lines_.push_back(std::move(line));
        return;
    }
    std::size_t end = section_end(static_cast<std::size_t>(header));
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
        if (lines_[i].kind == Line::Key && same_name(lines_[i].key, key)) {
            line.key = lines_[i].key;  // keep the spelling already in the file
            line.raw = line.key + "=" + line.value;
            lines_[i] = std::move(line);
            return;
        }
    }
    // New keys go after the section's last key, before trailing blank lines.
    std::size_t at = end;
    while (at > static_cast<std::size_t>(header) + 1 && trim(lines_[at - 1].raw).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void ProfileFile::remove_key(std::string_view section, std::string_view key) {
    std::ptrdiff_t header = find_section(section);
    if (header < 0) return;
    std::size_t end = section_end(static_cast<std::size_t>(header));
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
        if (lines_[i].kind == Line::Key && same_name(lines_[i].key, key)) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

void ProfileFile::remove_section(std::string_view section) {
    std::ptrdiff_t header = find_section(section);
    if (header < 0) return;
    std::size_t end = section_end(static_cast<std::size_t>(header));
    lines_.erase(lines_.begin() + header, lines_.begin() + static_cast<std::ptrdiff_t>(end));
}

int profile_text_to_int(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i++] - '0');
        if (value > INT_MAX) value = INT_MAX;  // saturate rather than overflow on a hand-edited value
    }
    return static_cast<int>(negative ? -value : value);
}

std::size_t get_private_profile_string(std::string_view section, std::string_view key, std::string_view default_value,
                                       char* buffer, std::size_t size, const std::string& file) {
    if (buffer == nullptr || size == 0) return 0;
    std::string value = get_private_profile_string(section, key, default_value, file);
    std::size_t n = std::min(value.size(), size - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return n;
}

std::string get_private_profile_string(std::string_view section, std::string_view key, std::string_view default_value,
                                       const std::string& file) {
    ProfileFile profile(file);
    profile.load();
    return profile.get_string(section, key, default_value);
}

int get_private_profile_int(std::string_view section, std::string_view key, int default_value,
                            const std::string& file) {
    ProfileFile profile(file);
    profile.load();
    return profile.get_int(section, key, default_value);
}

bool write_private_profile_string(std::string_view section, std::string_view key, const char* value,
                                  const std::string& file) {
    ProfileFile profile(file);
    if (!profile.load()) return false;  // never overwrite a file we could not read
    if (value == nullptr)
        profile.remove_key(section, key);
    else
        profile.set(section, key, value);
    return profile.save();
}

std::string settings_file_path() {
    if (const char* ini = std::getenv("KESTRA_INI"); ini != nullptr && *ini != '\0') return ini;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0')
        return std::string(xdg) + "/kestra/kestra.ini";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config/kestra/kestra.ini";
}

}  // namespace kestra::platform
