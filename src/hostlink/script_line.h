#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kestra::hostlink {

constexpr std::size_t kScriptLineMax = 255;

// One line of a connect script file: LF ends it, CR bytes are dropped, at most 255 characters are kept and the
// rest of an over-long line is dropped with it (never run as a command of its own). Returns false at end of file.
bool read_script_line(std::FILE* file, std::string& line);

enum class ScriptCommandKind { End, Send, Receive, Timeout, Ignored };

struct ScriptCommand {
    ScriptCommandKind kind = ScriptCommandKind::End;
    std::string text;       // send text, or the expected receive text
    bool has_text = false;  // a receive with quotes; a send without any quote is ignored
    bool has_number = false;
    std::uint8_t timeout = 0;  // modulo 256
};

// Classifies a line by its leading keyword (letter case ignored). An empty line or any other keyword ends the
// section. A missing closing quote takes the text to the end of the line.
ScriptCommand parse_script_line(std::string_view line);

// True when `line` begins with the section header (letter case ignored), e.g. "[connect]".
bool is_script_section(std::string_view line, std::string_view header);

// "#userid" and "#password" (any letter case) replaced; every other "#" stays.
struct Substitution {
    std::string text;     // what is sent
    std::string masked;   // the same with the password as "********", for the trace
    int userid_count = 0;
    int password_count = 0;
};
Substitution substitute_script_text(std::string_view text, std::string_view user_id, std::string_view password);

}  // namespace kestra::hostlink
