#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/server_node.h"

namespace kestra::workspace {

class CAdminDoc;

inline constexpr const char* kUnsupportedOperation = "An unsupported operation was attempted.";
inline constexpr const char* kSaveChangesPrompt = "Save changes to Client Configuration File";
inline constexpr const char* kDeletePrompt = "Delete Client Configuration File";

// A window that shows the tree or the selected file. Told before nodes go, so it never holds a freed one.
class TreeListener {
public:
    virtual ~TreeListener() = default;
    // The branch (the node and everything below it) is about to leave the tree, or stops being selected because
    // it could not be opened: drop every pointer into it.
    virtual void forget_branch(const model::CServerNode& branch) = 0;
    // The selection, the tree's shape or a node's state changed.
    virtual void tree_changed() = 0;
};

// What the windows of one connection do to its tree of configuration files: the selection change with its save
// prompt, opening and closing files on the host, Save, and the file commands. Every request failure is shown
// (the session's queued errors in one box) and leaves the tree as it was, except where stated.
class CTreeController {
public:
    explicit CTreeController(CAdminDoc& doc);
    CTreeController(const CTreeController&) = delete;
    CTreeController& operator=(const CTreeController&) = delete;

    CAdminDoc& doc() { return doc_; }
    void add_listener(TreeListener* listener);
    void remove_listener(TreeListener* listener);

    // Reads the list of files into the tree and selects the root. 0, or the list's failure (shown; what was read
    // stays).
    std::int16_t load_tree();

    // Makes `node` the selection: the file left is saved (asked, or unasked with "auto save config"), its tables
    // unloaded without save and the file closed; the new file is opened and its tables, applications, global
    // options and limits read. False when the old selection stays: Cancel at the prompt, or a failed save.
    // `closing`: the window is closing, so the prompt offers Yes and No only and a failed save asks again.
    // A file the host refuses to open is dropped from the selection; the user may remove it from the list.
    bool select(model::CServerNode* node, bool closing = false);
    // Leaves the selected file as a selection change does (prompt, save, unload, close) and selects nothing.
    // False when the user cancelled or the save failed; the selection then stays.
    bool leave(bool closing);

    // Unloads every loaded table with save and sends the save request; the modified flag is cleared only when
    // both succeeded. 0 or the first failure, with its diagnostics queued (not shown).
    std::int16_t save_file(model::CServerNode& node);
    // The Save command on the selected file; failures are shown.
    bool save_selected();

    // The file commands on the selected node. A command that needs a node while none is selected reports
    // kUnsupportedOperation. Names are checked by the dialogs before they get here.
    bool add_file(const std::string& name);
    bool rename_file(const std::string& name);
    // With `keep_on_host` (Ctrl held) the delete request's flag is clear.
    bool delete_file(bool keep_on_host);
    bool copy_file();
    bool cut_file();
    bool paste_file(const std::string& name);
    // Moves a node of this tree below `target` (a drop with the move effect): the target is selected first (its
    // Cancel cancels the drop), then the move request is sent; the node moves only when the host accepted it.
    bool move_file(model::CServerNode& dragged, model::CServerNode& target);

    // The copy of the node this window last copied or cut, which Paste adds; nullptr when none.
    const model::CServerNode* kept() const { return kept_.get(); }

private:
    void forget(const model::CServerNode& branch);
    void changed();
    void show_errors();
    void close_file(model::CServerNode& node);
    void open_file(model::CServerNode& node);
    // Selects the node with that number again (opening it), or the root when it is gone.
    void reselect(std::int32_t number);
    model::CServerNode* selected_file(bool childless);

    CAdminDoc& doc_;
    std::vector<TreeListener*> listeners_;
    std::unique_ptr<model::CServerNode> kept_;
};

// A copy of the branch: names, numbers, collapsed flags and children (no file contents).
std::unique_ptr<model::CServerNode> copy_branch(const model::CServerNode& node);

enum class DropEffect { none, copy, move };

// The effect of dropping over `target` of the tree under `target_root`. `dragged` is the node being dragged when
// it is one of this program's, else nullptr (data from elsewhere). Nothing may be dropped where no node is, on the
// dragged node or inside its branch. Ctrl asks for a copy, Alt or Shift for a move; otherwise a node of this tree
// moves and anything else is copied. A move needs the dragged node in the target's own tree (the move request
// names both files on one connection), so a node of another window is only ever copied.
DropEffect drop_effect(const model::CServerNode* dragged, const model::CServerNode* target,
                       const model::CServerNode& target_root, bool ctrl, bool alt_or_shift);

}  // namespace kestra::workspace
