#pragma once

#include <string>
#include <string_view>

namespace kestra::platform {

// Reads a whole file; false when it cannot be opened or read.
bool read_whole_file(const std::string& path, std::string& contents);

// Writes a temporary file beside `path` and renames it over the original, so a crash or a full disk mid-write
// never leaves a half-written file where a whole one was. Creates missing parent folders.
bool write_file_atomically(const std::string& path, std::string_view contents);

// Test seam: when set, the next atomic write stops after the temporary file was written, as if the process had
// died before the rename.
void interrupt_next_atomic_write_for_test();

}  // namespace kestra::platform
