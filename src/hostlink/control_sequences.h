#pragma once

#include <cstddef>

namespace kestra::hostlink {

// Terminal control traffic the host line may carry ahead of a message: bytes below 0x20 or above 0x7F and the
// escape sequences that begin with them. Returns how many leading bytes to skip; a sequence that runs past the
// end, or a count that is not hexadecimal, skips everything.
std::size_t strip_control_sequences(const char* data, std::size_t length);

}  // namespace kestra::hostlink
