#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace kestra::workspace {

// One item of a menu: a command, a separator (id 0), or a submenu with its items. A popup item may show a text of
// its own in place of the command's menu text.
struct MenuItem {
    int id = 0;
    std::string_view text;
    std::vector<MenuItem> items;

    bool separator() const { return id == 0 && items.empty(); }
    bool submenu() const { return !items.empty(); }
};

// The menu bar while no connection window is open: File, View and Help.
const std::vector<MenuItem>& menu_bar_without_window();
// The menu bar of the connection windows: File, Edit, Tree, View, Special, Window and Help.
const std::vector<MenuItem>& menu_bar_with_window();

// The popups of menu resource 103: "_SimplePopup_" (a tree node) and "_TablePopup_" (the list of tables or
// applications). An unknown name gives an empty list.
inline constexpr int kPopupResource = 103;
const std::vector<MenuItem>& popup_menu(std::string_view name);

}  // namespace kestra::workspace
