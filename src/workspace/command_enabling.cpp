#include "workspace/command_enabling.h"

#include "workspace/command_table.h"

namespace kestra::workspace {

bool command_enabled(int id, const CommandState& s) {
    const CommandInfo* command = find_command(id);
    if (command == nullptr) return false;
    switch (command->route) {
        case CommandRoute::none:
            return false;
        case CommandRoute::document:
        case CommandRoute::frame:
        case CommandRoute::view:
            if (!s.window) return false;
            break;
        case CommandRoute::app:
        case CommandRoute::main_frame:
            break;
    }
    const bool file = s.selected == SelectedNode::file;
    switch (command->rule) {
        case EnableRule::always:
            return true;
        case EnableRule::never:
            return false;
        case EnableRule::file_selected:
            return file;
        case EnableRule::file_unmodified:
            return file && !s.modified;
        case EnableRule::file_modified:
            return file && s.modified;
        case EnableRule::file_childless:
            return file && !s.has_children;
        case EnableRule::file_childless_unmodified:
            return file && !s.has_children && !s.modified;
        case EnableRule::paste:
            return s.selected != SelectedNode::none && s.clipboard_owner && s.clipboard_has_data;
        case EnableRule::children_collapsed:
            return s.selected != SelectedNode::none && s.has_children && s.collapsed;
        case EnableRule::children:
            return s.selected != SelectedNode::none && s.has_children;
        case EnableRule::children_expanded:
            return s.selected != SelectedNode::none && s.has_children && !s.collapsed;
        case EnableRule::root_children:
            return s.root_has_children;
        case EnableRule::downloads_allowed:
            return s.allow_downloads;
    }
    return false;
}

}  // namespace kestra::workspace
