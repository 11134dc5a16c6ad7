#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestra::app {

// A trace line holds at most this many characters before its CR LF.
constexpr std::size_t kTraceLineMax = 253;

// Formats like printf into a bounded line, cut at kTraceLineMax characters.
std::string trace_format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Appends the text and CR LF to the file, opening and closing it for this one line so the trace survives a crash.
// When the file can be neither opened nor created, says "Cannot append to trace file" and carries on.
// Returns false in that case.
bool append_trace_line(const std::string& file_name, std::string_view text);

// Append to the program trace or the script trace file. Callers test the trace flag first; these write whatever
// the flag says so a line is never lost by a caller that already decided to trace.
void write_trace(std::string_view text);
void write_script_trace(std::string_view text);

// True when the program trace or the script trace is on.
bool tracing();
bool script_tracing();

}  // namespace kestra::app
