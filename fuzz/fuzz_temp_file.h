#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestra::fuzz {

// One scratch file per fuzzer process, rewritten for every input, for readers that only take a path.
// Returns the path, or "" when the file cannot be written (the input is then skipped).
std::string write_temp_file(const std::uint8_t* data, std::size_t size);

}  // namespace kestra::fuzz
