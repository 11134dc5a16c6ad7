#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "model/server_node.h"

namespace kestra::workspace {

// The tree view's metrics, in logical pixels.
inline constexpr int kGlyphSize = 16;
inline constexpr int kBoxExtra = 28;       // a box is its text's width plus this
inline constexpr int kTextInset = 4;       // the name is inset this much inside the room the glyph leaves
inline constexpr int kRowGap = 2;          // rows follow each other at the text height plus this
inline constexpr int kLevelIndent = 20;
inline constexpr int kConnectorOffset = 7;  // a child's connector starts this far right of its parent's left edge
inline constexpr int kConnectorLength = 13;
inline constexpr int kPageRows = 10;

enum class NodeGlyph { expanded, collapsed, collapsed_empty, leaf };

// The glyph drawn before a node: expanded for the root or a node with children that is not collapsed, collapsed
// for a collapsed node with children, collapsed-and-empty for a collapsed root without children, else a leaf.
NodeGlyph node_glyph(const model::CServerNode& node);

// The nodes shown, in tree order from the root; a collapsed node's descendants are left out.
std::vector<model::CServerNode*> visible_nodes(model::CServerNode& root);

struct TreeRow {
    model::CServerNode* node = nullptr;
    int x = 0, y = 0, width = 0, height = 0;  // the node's box
    NodeGlyph glyph = NodeGlyph::leaf;
};

struct TreeLine {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// Where each visible node is drawn and the connector lines between them.
struct TreeLayout {
    std::vector<TreeRow> rows;
    std::vector<TreeLine> lines;
    int row_height = 0;  // text height plus the gap: the scroll step
    int width = 0;       // what the scroll area must cover
    int height = 0;

    // The row of a node; -1 when it is not shown.
    int row_of(const model::CServerNode* node) const;
    // The node whose box holds the point; nullptr for empty space.
    model::CServerNode* node_at(int x, int y) const;
};

// Lays the visible nodes out: text_width gives a name's width, text_height the height of a line of text (at least
// the glyph's, so glyphs never overlap).
TreeLayout layout_tree(model::CServerNode& root, const std::function<int(std::string_view)>& text_width,
                       int text_height);

enum class TreeMove { up, down, page_up, page_down, home, end };

// The node a key moves the selection to, among the visible nodes; the move stops at either end. With nothing
// selected (or the selection hidden) every move lands on the root.
model::CServerNode* move_selection(model::CServerNode& root, const model::CServerNode* selected, TreeMove move);

// The tree commands: Expand One Level clears `collapsed` on the node only; Expand Branch clears it on the node and
// every descendant with children; Collapse Branch sets it on them; Expand All is Expand Branch from the root.
void expand_one_level(model::CServerNode& node);
void expand_branch(model::CServerNode& node);
void collapse_branch(model::CServerNode& node);
// Enter and double click: a node with children collapses its branch when expanded, else opens one level.
void toggle_node(model::CServerNode& node);

}  // namespace kestra::workspace
