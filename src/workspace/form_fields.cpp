#include "workspace/form_fields.h"

namespace kestra::workspace {

std::string trim_blanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin])) ++begin;
    while (end > begin && blank(text[end - 1])) --end;
    return std::string(text.substr(begin, end - begin));
}

std::optional<FormRefusal> parse_form_integer(std::string_view text, std::int64_t min, std::int64_t max, int control,
                                              std::int64_t& out) {
    const std::string t = trim_blanks(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
    if (i == t.size()) return FormRefusal{control, kEnterInteger};
    // Digits beyond what any field holds are out of range, not overflow.
    constexpr std::int64_t kCeiling = std::int64_t{1} << 40;
    std::int64_t value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return FormRefusal{control, kEnterInteger};
        if (value < kCeiling) value = value * 10 + (t[i] - '0');
    }
    if (negative) value = -value;
    if (value < min || value > max)
        return FormRefusal{
            control, "Please enter an integer between " + std::to_string(min) + " and " + std::to_string(max) + "."};
    out = value;
    return std::nullopt;
}

std::optional<FormRefusal> check_typed_length(std::string_view text, std::string_view loaded, std::size_t max_bytes,
                                              int control) {
    if (text.size() <= max_bytes || text == loaded) return std::nullopt;
    return FormRefusal{control, "Please enter no more than " + std::to_string(max_bytes) + " characters."};
}

}  // namespace kestra::workspace
