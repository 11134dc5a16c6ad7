#include "app/date_format.h"

#include <cstdio>
#include <cstring>

#include "app/admin_app.h"

namespace kestra::app {

namespace {

const char* const kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

std::string number(const char* format, int value) {
    char text[24];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A name, or its first three letters; the value as a number when it has no name.
std::string name_or_number(const char* const* names, int first, int count, int value, std::size_t letters) {
    if (value < first || value >= first + count) return number("%d", value);
    std::string name = names[value - first];
    if (letters == 3) name.resize(3);
    return name;
}

std::size_t run_length(const std::string& picture, std::size_t at, char lower, char upper) {
    std::size_t n = 0;
    while (at + n < picture.size() && (picture[at + n] == lower || picture[at + n] == upper)) ++n;
    return n;
}

}  // namespace

std::string format_date_picture(const std::string& picture, int day, int month, int weekday, int year) {
    std::string out;
    std::size_t i = 0;
    while (i < picture.size()) {
        const char c = picture[i];
        if (c == '"') {
            const std::size_t close = picture.find('"', i + 1);
            const std::size_t end = close == std::string::npos ? picture.size() : close;
            out.append(picture, i + 1, end - i - 1);
            i = close == std::string::npos ? end : end + 1;
        } else if (c == '\'') {
            ++i;
        } else if (c == 'd' || c == 'D') {
            const std::size_t n = run_length(picture, i, 'd', 'D');
            if (n == 1)
                out += number("%d", day);
            else if (n == 2)
                out += number("%2.2d", day);
            else
                out += name_or_number(kWeekdays, 0, 7, weekday, n);
            i += n;
        } else if (c == 'm' || c == 'M') {
            const std::size_t n = run_length(picture, i, 'm', 'M');
            if (n == 1)
                out += number("%d", month);
            else if (n == 2)
                out += number("%2.2d", month);
            else
                out += name_or_number(kMonths, 1, 12, month, n);
            i += n;
        } else if (c == 'y' || c == 'Y') {
            const std::size_t n = run_length(picture, i, 'y', 'Y');
            out += n >= 3 ? number("%4.4d", year) : number("%2.2d", year % 100);
            i += n;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string format_date(int day, int month, int weekday, int year, bool long_picture) {
    const CAdminApp& app = admin_app();
    return format_date_picture(long_picture ? app.long_date_picture : app.short_date_picture, day, month, weekday,
                               year);
}

std::size_t format_date(int day, int month, int weekday, int year, bool long_picture, char* out, std::size_t size) {
    if (out == nullptr || size == 0) return 0;
    const std::string text = format_date(day, month, weekday, year, long_picture);
    const std::size_t n = text.size() < size ? text.size() : size - 1;
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return n;
}

}  // namespace kestra::app
