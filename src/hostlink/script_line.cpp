#include "hostlink/script_line.h"

namespace kestra::hostlink {

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != lower(prefix[i])) return false;
    return true;
}

// The text between the first double quote and the next one (or the end of the line).
bool quoted_text(std::string_view rest, std::string& out) {
    std::size_t open = rest.find('"');
    if (open == std::string_view::npos) return false;
    std::size_t close = rest.find('"', open + 1);
    out = std::string(rest.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1));
    return true;
}

}  // namespace

bool read_script_line(std::FILE* file, std::string& line) {
    line.clear();
    int c = 0;
    bool any = false;
    while ((c = std::fgetc(file)) != EOF) {
        any = true;
        if (c == '\n') return true;
        if (c == '\r') continue;
        if (line.size() < kScriptLineMax) line.push_back(static_cast<char>(c));
    }
    return any;
}

bool is_script_section(std::string_view line, std::string_view header) { return starts_with_nocase(line, header); }

ScriptCommand parse_script_line(std::string_view line) {
    ScriptCommand cmd;
    if (starts_with_nocase(line, "send")) {
        cmd.kind = ScriptCommandKind::Send;
        cmd.has_text = quoted_text(line.substr(4), cmd.text);
        if (!cmd.has_text) cmd.kind = ScriptCommandKind::Ignored;
    } else if (starts_with_nocase(line, "receive")) {
        cmd.kind = ScriptCommandKind::Receive;
        cmd.has_text = quoted_text(line.substr(7), cmd.text);
    } else if (starts_with_nocase(line, "timeout")) {
        cmd.kind = ScriptCommandKind::Timeout;
        std::size_t i = 7;
        while (i < line.size() && (line[i] < '0' || line[i] > '9')) ++i;
        if (i < line.size()) {
            unsigned value = 0;
            for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
                value = (value * 10 + static_cast<unsigned>(line[i] - '0')) % 256u;
            cmd.has_number = true;
            cmd.timeout = static_cast<std::uint8_t>(value);
        }
    }
    return cmd;
}

Substitution substitute_script_text(std::string_view text, std::string_view user_id, std::string_view password) {
    Substitution s;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '#' && starts_with_nocase(text.substr(i), "#userid")) {
            s.text += user_id;
            s.masked += user_id;
            ++s.userid_count;
            i += 7;
        } else if (text[i] == '#' && starts_with_nocase(text.substr(i), "#password")) {
            s.text += password;
            s.masked += "********";
            ++s.password_count;
            i += 9;
        } else {
            s.text += text[i];
            s.masked += text[i];
            ++i;
        }
    }
    return s;
}

}  // namespace kestra::hostlink
