#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/server_node.h"

namespace kestra::workspace {

class CAdminDoc;

inline constexpr const char* kIllegalFunction = "Illegal Function!";

// What the configuration view shows of the selected file; the numbers are the view's own.
enum class ViewMode { limits = 0, applications = 1, tables = 2, global = 3 };

enum class LineGlyph { none, table, join };

struct ViewLine {
    std::string text;
    bool update_allowed = false;  // drawn in red
    LineGlyph glyph = LineGlyph::none;
};

struct ViewButtons {
    bool add = false;  // New
    bool remove = false;  // Delete
    bool edit = false;
};

// The logic of the configuration view: the caption and lines of its four modes, which buttons a selection
// enables, and Delete and Update Allowed on the selected entries.
class CConfigViewModel {
public:
    model::CServerNode* node() const { return node_; }
    // The root and no node show nothing.
    void set_node(model::CServerNode* node) { node_ = node; }
    // Drops the node when it lies in the branch.
    void forget_branch(const model::CServerNode& branch);

    ViewMode mode() const { return mode_; }
    void set_mode(ViewMode mode) { mode_ = mode; }

    // "Tables:", "Applications:", "Limits:" or "Global:".
    std::string caption() const;
    std::vector<ViewLine> lines() const;
    // With `selected` entries selected in the list.
    ViewButtons buttons(std::size_t selected) const;
    // A file (not the root) is shown.
    bool showing_file() const { return node_ != nullptr && !node_->is_root(); }
    // New and Delete are refused in limits and global mode.
    bool entries_mode() const { return mode_ == ViewMode::tables || mode_ == ViewMode::applications; }

    // Deletes the entries at those list indices with one request; the model keeps only what the host removed.
    // Failures are shown; a batch that failed part-way is read again from the host. False when nothing was
    // removed. The file becomes modified when anything was.
    bool delete_entries(CAdminDoc& doc, std::vector<std::size_t> indices);
    // Inverts the update-allowed flag of each entry after its load (tables) or fetch (applications) succeeded,
    // then sends the changed list. A failing entry is shown and skipped.
    bool toggle_update_allowed(CAdminDoc& doc, std::vector<std::size_t> indices);

private:
    model::CServerNode* node_ = nullptr;
    ViewMode mode_ = ViewMode::tables;
};

}  // namespace kestra::workspace
