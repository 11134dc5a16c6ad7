#pragma once

#include <string>
#include <string_view>

namespace kestra::cli {

// A JSON string literal. Host texts are not guaranteed to be UTF-8, so every byte outside printable ASCII is
// escaped; the output is always valid JSON.
std::string json_string(std::string_view text);

// "on" / "off", the words the commands take.
inline const char* on_off(bool value) { return value ? "on" : "off"; }

}  // namespace kestra::cli
