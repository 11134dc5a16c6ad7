#pragma once

#include <cstddef>

#include "tavlink/translate_table.h"

namespace kestra::tavlink {

// Each message on the wire is a 4-character decimal length followed by that many data bytes, all translated.
constexpr std::size_t kFrameHeaderSize = 4;
constexpr std::size_t kMaxFrameLength = 9999;

// Writes the length as "%4.4d" through `table` into out[0..3]; false (out untouched) when length > 9999.
bool encode_frame_header(std::size_t length, const Table& table, char out[4]);

// Translates the 4 received bytes through `table` and reads them as a decimal number: leading white space is
// skipped and reading stops at the first non-digit, so a header of non-digits reads as 0.
std::size_t decode_frame_header(const char in[4], const Table& table);

// The translated header as text (for traces).
void translate_frame_header(const char in[4], const Table& table, char out[5]);

}  // namespace kestra::tavlink
