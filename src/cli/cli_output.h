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

inline const char* json_bool(bool value) { return value ? "true" : "false"; }

// "on" / "off", the words the commands take.
inline const char* on_off(bool value) { return value ? "on" : "off"; }

}  // namespace kestra::cli
