#pragma once

#include <cstddef>
#include <string>

namespace kestra::app {

// Prints a date with the long or the short "intl" picture of the application object. The text is cut to fit
// `size` (terminator included); returns the characters written. A month outside 1..12 or a weekday outside 0..6
// (Sunday = 0) prints as a number where the picture asks for its name.
std::size_t format_date(int day, int month, int weekday, int year, bool long_picture, char* out, std::size_t size);
std::string format_date(int day, int month, int weekday, int year, bool long_picture);

// The same with an explicit picture.
std::string format_date_picture(const std::string& picture, int day, int month, int weekday, int year);

}  // namespace kestra::app
