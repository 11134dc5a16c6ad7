#pragma once

#include <string>
#include <string_view>

namespace kestra::hostlink {

// User id, password and chargecode each hold at most this many characters.
constexpr std::size_t kLoginFieldMax = 18;

// Byte i (counting from 1) becomes its exclusive-or with i, over the stored length (at most 18), so a byte equal
// to its position survives as a zero. Applying it again restores the text.
std::string scramble_password(std::string_view text);

}  // namespace kestra::hostlink
