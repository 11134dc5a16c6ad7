#pragma once

#include <span>
#include <string_view>

namespace kestra::workspace {

// Who answers a command. Commands of a connection window (document, frame, view) have no one to answer them
// while no connection window is active, and so show disabled then.
enum class CommandRoute {
    app,         // the application object
    main_frame,  // the main window
    document,    // the active connection's document
    frame,       // the connection window, which hands it to its tree view
    view,        // a view of the connection window
    none,        // nothing stands behind it
};

// When a command is enabled, beyond having someone to answer it.
enum class EnableRule {
    always,
    never,
    file_selected,              // a node other than the root
    file_unmodified,            // ... that is not modified
    file_modified,              // ... that is modified
    file_childless,             // ... that has no children
    file_childless_unmodified,  // ... with no children and not modified
    paste,                      // a node selected, this window copied, the clipboard holds configuration data
    children_collapsed,         // the selected node has children and is collapsed
    children,                   // the selected node has children
    children_expanded,          // the selected node has children and is not collapsed
    root_children,              // the root has children
    downloads_allowed,          // "allow downloads" is set
};

struct CommandInfo {
    int id;
    // Menu text; after a tab, the key shown for it. Empty for commands reached only by keys.
    std::string_view text;
    CommandRoute route;
    EnableRule rule;
    // Keys bound to it, comma-separated, in portable key-sequence text ("Ctrl+N,Shift+Del").
    std::string_view keys;
};

// Every command of the program, in menu order.
std::span<const CommandInfo> command_table();
// Nullptr for an id the program does not know.
const CommandInfo* find_command(int id);

// The menu text without the key shown after its tab.
std::string_view menu_label(const CommandInfo& command);

}  // namespace kestra::workspace
