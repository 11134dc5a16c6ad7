// Connect scripts are files the user writes: every line must read within its 255 characters, classify, and
// substitute the user id and password without losing or inventing characters.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "hostlink/script_line.h"

namespace hl = kestra::hostlink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::FILE* f = ::fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (f == nullptr) return 0;
    std::string line;
    int lines = 0;
    while (hl::read_script_line(f, line)) {
        if (line.size() > hl::kScriptLineMax || line.find('\r') != std::string::npos ||
            line.find('\n') != std::string::npos)
            std::abort();
        if (++lines > 100000) std::abort();  // more lines than bytes means the reader does not move on

        (void)hl::is_script_section(line, "[connect]");
        const hl::ScriptCommand cmd = hl::parse_script_line(line);
        if (cmd.text.size() > line.size()) std::abort();
        if (cmd.kind == hl::ScriptCommandKind::Send && !cmd.has_text) std::abort();

        const hl::Substitution s = hl::substitute_script_text(cmd.text, "USER", "secret#password");
        // Every marker replaced once: the user id is as long as its marker minus 3, the password 6 longer.
        const std::size_t expected = cmd.text.size() - static_cast<std::size_t>(s.userid_count) * 3 +
                                     static_cast<std::size_t>(s.password_count) * 6;
        if (s.text.size() != expected) std::abort();
        if (s.password_count > 0 && s.masked.find("secret") != std::string::npos &&
            cmd.text.find("secret") == std::string::npos)
            std::abort();
    }
    if (lines > static_cast<int>(size)) std::abort();
    std::fclose(f);
    return 0;
}
