#pragma once

#include <string>
#include <string_view>

#include "cli/command_registry.h"

namespace kestra::cli {

// A JSON string literal. Host texts are not guaranteed to be UTF-8, so every byte outside printable ASCII is
// escaped; the output is always valid JSON.
std::string json_string(std::string_view text);

// "kestra: MESSAGE" on standard error; the usage exit status.
int usage(CliContext& ctx, const std::string& message);

// ASCII a-z upper-cased, every other byte unchanged, as the host compares names.
std::string upper(std::string text);
// Leading and trailing blanks removed, as the dialogs trim what is typed.
std::string trim(const std::string& text);

// True when the text holds a control character (a byte below 0x20, or 0x7F). Such a text is never sent to the
// host: it could end a line of the host's own records or hide what it says.
bool has_control_character(std::string_view text);

// A host or archive text for a line of text output: each control character as \n, \r, \t, \f or \xNN, so a name
// can neither move the terminal's cursor nor start an output line of its own.
std::string shown(std::string_view text);

// What a command that changes something prints on success: nothing in text mode (the Unix habit); with --json
// one object, {"changed":"COMMAND"} followed by `members` (preformatted JSON members, e.g. "\"number\":6").
void print_changed(CliContext& ctx, std::string_view command, const std::string& members = {});

inline const char* json_bool(bool value) { return value ? "true" : "false"; }

// "on" / "off", the words the commands take.
inline const char* on_off(bool value) { return value ? "on" : "off"; }

}  // namespace kestra::cli
