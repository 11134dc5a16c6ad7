#pragma once

namespace kestra::workspace {

enum class SelectedNode { none, root, file };

// What decides whether a command is enabled: the active connection window and what is selected in it.
struct CommandState {
    bool window = false;  // a connection window is active
    SelectedNode selected = SelectedNode::none;
    bool has_children = false;  // of the selected node
    bool collapsed = false;     // of the selected node
    bool modified = false;      // of the selected node's file
    bool root_has_children = false;
    bool clipboard_owner = false;     // this window put data on the clipboard
    bool clipboard_has_data = false;  // the clipboard holds configuration-file data or plain text
    bool allow_downloads = false;     // "allow downloads" of kestra.ini
};

// Whether the command is enabled in that state; false for an unknown id.
bool command_enabled(int id, const CommandState& state);

}  // namespace kestra::workspace
