#include "workspace/window_placement.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

#include "platform/profile_file.h"

namespace kestra::workspace {

namespace {

// Splits exactly `N` comma-separated numbers; each is an optional sign and at least one digit, within the bounds.
template <std::size_t N>
bool parse_numbers(std::string_view text, std::array<std::int64_t, N>& out, std::size_t unsigned_count) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0) {
            if (at >= text.size() || text[at] != ',') return false;
            ++at;
        }
        bool negative = false;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            negative = text[at] == '-';
            ++at;
        }
        const std::size_t digits = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
        if (at == digits || at - digits > 10) return false;  // no digits, or surely beyond 32 bits
        std::uint64_t magnitude = 0;
        std::from_chars(text.data() + digits, text.data() + at, magnitude);
        const bool is_unsigned = i < unsigned_count;
        if (is_unsigned) {
            if (negative || magnitude > std::numeric_limits<std::uint32_t>::max()) return false;
            out[i] = static_cast<std::int64_t>(magnitude);
        } else {
            const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
            if (magnitude > limit) return false;
            out[i] = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
        }
    }
    return at == text.size();
}

std::int32_t i32(std::int64_t v) {
    return static_cast<std::int32_t>(v);
}

std::string upper_ascii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

bool PlacementRect::intersects(const PlacementRect& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
}

std::string open_pos_key(std::string_view suffix) {
    return "OpenPos" + std::string(suffix);
}

std::string split_pos_key(int pane, std::string_view suffix) {
    return "SplitPos" + std::to_string(pane) + std::string(suffix);
}

std::string placement_suffix(std::string_view connection_name, std::string_view provider_name) {
    return upper_ascii(std::string(connection_name) + std::string(provider_name));
}

std::optional<WindowPlacement> parse_placement(std::string_view text) {
    std::array<std::int64_t, 10> n{};
    if (!parse_numbers(text, n, 2)) return std::nullopt;
    WindowPlacement p;
    p.flags = static_cast<std::uint32_t>(n[0]);
    p.show_command = static_cast<std::uint32_t>(n[1]);
    p.min_x = i32(n[2]);
    p.min_y = i32(n[3]);
    p.max_x = i32(n[4]);
    p.max_y = i32(n[5]);
    p.normal = {i32(n[6]), i32(n[7]), i32(n[8]), i32(n[9])};
    if (p.normal.right <= p.normal.left || p.normal.bottom <= p.normal.top) return std::nullopt;
    return p;
}

std::string format_placement(const WindowPlacement& p) {
    return std::to_string(p.flags) + "," + std::to_string(p.show_command) + "," + std::to_string(p.min_x) + "," +
           std::to_string(p.min_y) + "," + std::to_string(p.max_x) + "," + std::to_string(p.max_y) + "," +
           std::to_string(p.normal.left) + "," + std::to_string(p.normal.top) + "," + std::to_string(p.normal.right) +
           "," + std::to_string(p.normal.bottom);
}

std::optional<SplitterPos> parse_splitter(std::string_view text) {
    std::array<std::int64_t, 4> n{};
    if (!parse_numbers(text, n, 0)) return std::nullopt;
    auto clamp = [](std::int64_t v) { return i32(std::max<std::int64_t>(v, 0)); };
    return SplitterPos{clamp(n[0]), clamp(n[1]), clamp(n[2]), clamp(n[3])};
}

std::string format_splitter(const SplitterPos& s) {
    return std::to_string(s.width) + "," + std::to_string(s.height) + "," + std::to_string(s.min_width) + "," +
           std::to_string(s.min_height);
}

PlacementRect fit_to_screens(const PlacementRect& rect, std::span<const PlacementRect> screens) {
    if (screens.empty()) return rect;
    for (const PlacementRect& s : screens)
        if (rect.intersects(s)) return rect;
    const PlacementRect& primary = screens.front();
    const std::int64_t width = std::min(rect.width(), primary.width());
    const std::int64_t height = std::min(rect.height(), primary.height());
    return {primary.left, primary.top, i32(primary.left + width), i32(primary.top + height)};
}

std::optional<WindowPlacement> read_placement(const std::string& ini_path, std::string_view key) {
    return parse_placement(platform::get_private_profile_string(kAdminSection, key, "", ini_path));
}

bool write_placement(const std::string& ini_path, std::string_view key, const std::optional<WindowPlacement>& value) {
    const std::string text = value ? format_placement(*value) : std::string();
    return platform::write_private_profile_string(kAdminSection, key, value ? text.c_str() : nullptr, ini_path);
}

std::optional<SplitterPos> read_splitter(const std::string& ini_path, std::string_view key) {
    return parse_splitter(platform::get_private_profile_string(kAdminSection, key, "", ini_path));
}

bool write_splitter(const std::string& ini_path, std::string_view key, const std::optional<SplitterPos>& value) {
    const std::string text = value ? format_splitter(*value) : std::string();
    return platform::write_private_profile_string(kAdminSection, key, value ? text.c_str() : nullptr, ini_path);
}

}  // namespace kestra::workspace
