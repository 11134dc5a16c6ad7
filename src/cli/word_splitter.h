#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestra::cli {

// Splits one line into words as a POSIX shell does, without any expansion: blanks and tabs separate words; '...'
// keeps everything literally; "..." keeps everything but a backslash before $ ` " \ which stands for that
// character; outside quotes a backslash keeps the next character; '#' at the start of a word comments out the rest
// of the line. False (with error set) for an unterminated quote or a backslash at the end of the line.
bool split_words(std::string_view line, std::vector<std::string>& words, std::string& error);

}  // namespace kestra::cli
