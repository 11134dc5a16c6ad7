#pragma once

#include <cstddef>
#include <cstdint>

namespace kestra::hostlink {

// Writes the value as "%d" padded with "0" on the left to exactly `width` characters; a value with more digits
// keeps only its leading digits. No terminator is written.
void put_number(char* at, long long value, std::size_t width);

// Reads a number of at most `width` characters, never more than `available`: leading blanks count inside the
// width, then digits until the width is used or a non-digit comes. The end of the data reads as a non-digit.
std::uint32_t get_number(const char* at, std::size_t width, std::size_t available);

}  // namespace kestra::hostlink
