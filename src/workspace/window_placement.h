#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestra::workspace {

struct PlacementRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int64_t width() const { return std::int64_t{right} - left; }
    std::int64_t height() const { return std::int64_t{bottom} - top; }
    bool intersects(const PlacementRect& other) const;
    friend bool operator==(const PlacementRect&, const PlacementRect&) = default;
};

// A window's saved placement, the fields of a Windows window placement in their order.
struct WindowPlacement {
    static constexpr std::uint32_t kRestoreToMaximized = 2;  // flags
    static constexpr std::uint32_t kShowNormal = 1;          // show commands
    static constexpr std::uint32_t kShowMinimized = 2;
    static constexpr std::uint32_t kShowMaximized = 3;

    std::uint32_t flags = 0;
    std::uint32_t show_command = kShowNormal;
    std::int32_t min_x = -1;
    std::int32_t min_y = -1;
    std::int32_t max_x = -1;
    std::int32_t max_y = -1;
    PlacementRect normal;

    bool maximized() const { return show_command == kShowMaximized; }
    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// One splitter pane's saved sizes: current width and height, least width and height.
struct SplitterPos {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t min_width = 0;
    std::int32_t min_height = 0;
    friend bool operator==(const SplitterPos&, const SplitterPos&) = default;
};

// Keys of section "admin".
inline constexpr std::string_view kAdminSection = "admin";
inline constexpr std::string_view kWindowPosKey = "WindowPos";
std::string open_pos_key(std::string_view suffix);
// pane 1 or 2
std::string split_pos_key(int pane, std::string_view suffix);
// A connection's keys end with its connection name and then its provider name, the whole in upper case (ASCII).
std::string placement_suffix(std::string_view connection_name, std::string_view provider_name);

// "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d". A saved value is taken only when it is exactly ten numbers separated by commas,
// each an optional sign and digits within 32 bits (the first two unsigned), with nothing after the last, and its
// normal rectangle is not empty or inverted. Anything else is nullopt and the window keeps its default placement.
std::optional<WindowPlacement> parse_placement(std::string_view text);
std::string format_placement(const WindowPlacement& placement);

// "%d,%d,%d,%d", likewise exactly four numbers; negative sizes read as 0.
std::optional<SplitterPos> parse_splitter(std::string_view text);
std::string format_splitter(const SplitterPos& pos);

// A normal rectangle that lies on none of the screens moves onto the first (primary) one, keeping its size where it
// fits there; a rectangle on some screen stays as it is. No screens: unchanged.
PlacementRect fit_to_screens(const PlacementRect& rect, std::span<const PlacementRect> screens);

// Reading and writing the keys of section "admin" of the settings file. Writing nullopt removes the key.
std::optional<WindowPlacement> read_placement(const std::string& ini_path, std::string_view key);
bool write_placement(const std::string& ini_path, std::string_view key, const std::optional<WindowPlacement>& value);
std::optional<SplitterPos> read_splitter(const std::string& ini_path, std::string_view key);
bool write_splitter(const std::string& ini_path, std::string_view key, const std::optional<SplitterPos>& value);

}  // namespace kestra::workspace
