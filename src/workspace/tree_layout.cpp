#include "workspace/tree_layout.h"

#include <algorithm>

namespace kestra::workspace {

using model::CServerNode;

NodeGlyph node_glyph(const CServerNode& node) {
    const bool children = !node.children().empty();
    if (node.is_root()) {
        if (!node.collapsed) return NodeGlyph::expanded;
        return children ? NodeGlyph::collapsed : NodeGlyph::collapsed_empty;
    }
    if (!children) return NodeGlyph::leaf;
    return node.collapsed ? NodeGlyph::collapsed : NodeGlyph::expanded;
}

namespace {

void collect(CServerNode& node, std::vector<CServerNode*>& out) {
    out.push_back(&node);
    if (node.collapsed) return;
    for (const auto& child : node.children()) collect(*child, out);
}

}  // namespace

std::vector<CServerNode*> visible_nodes(CServerNode& root) {
    std::vector<CServerNode*> out;
    collect(root, out);
    return out;
}

int TreeLayout::row_of(const CServerNode* node) const {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].node == node) return static_cast<int>(i);
    return -1;
}

CServerNode* TreeLayout::node_at(int x, int y) const {
    if (row_height <= 0 || y < 0) return nullptr;
    const std::size_t i = static_cast<std::size_t>(y / row_height);
    if (i >= rows.size()) return nullptr;
    const TreeRow& r = rows[i];
    if (x < r.x || x >= r.x + r.width || y >= r.y + r.height) return nullptr;
    return r.node;
}

TreeLayout layout_tree(CServerNode& root, const std::function<int(std::string_view)>& text_width, int text_height) {
    TreeLayout layout;
    const int height = std::max(text_height, kGlyphSize);
    layout.row_height = height + kRowGap;
    const std::vector<CServerNode*> nodes = visible_nodes(root);
    layout.rows.reserve(nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        TreeRow row;
        row.node = nodes[i];
        row.x = static_cast<int>(nodes[i]->depth()) * kLevelIndent;
        row.y = static_cast<int>(i) * layout.row_height;
        row.width = text_width(nodes[i]->name) + kBoxExtra;
        row.height = height;
        row.glyph = node_glyph(*nodes[i]);
        layout.width = std::max(layout.width, row.x + row.width);
        layout.rows.push_back(row);
    }
    layout.height = static_cast<int>(nodes.size()) * layout.row_height;
    // Connectors: a short horizontal line to each child, and one vertical line from the parent down to the last.
    for (const TreeRow& parent : layout.rows) {
        if (parent.node->collapsed || parent.node->children().empty()) continue;
        const int x = parent.x + kConnectorOffset;
        int last_y = parent.y + parent.height;
        for (const auto& child : parent.node->children()) {
            const int r = layout.row_of(child.get());
            if (r < 0) continue;
            const TreeRow& c = layout.rows[static_cast<std::size_t>(r)];
            const int mid = c.y + c.height / 2;
            layout.lines.push_back({x, mid, x + kConnectorLength - 1, mid});
            last_y = mid;
        }
        layout.lines.push_back({x, parent.y + parent.height, x, last_y});
    }
    return layout;
}

CServerNode* move_selection(CServerNode& root, const CServerNode* selected, TreeMove move) {
    const std::vector<CServerNode*> nodes = visible_nodes(root);
    const auto it = std::find(nodes.begin(), nodes.end(), selected);
    if (it == nodes.end()) return &root;
    const long at = it - nodes.begin();
    const long last = static_cast<long>(nodes.size()) - 1;
    long to = at;
    switch (move) {
        case TreeMove::up:
            to = at - 1;
            break;
        case TreeMove::down:
            to = at + 1;
            break;
        case TreeMove::page_up:
            to = at - kPageRows;
            break;
        case TreeMove::page_down:
            to = at + kPageRows;
            break;
        case TreeMove::home:
            to = 0;
            break;
        case TreeMove::end:
            to = last;
            break;
    }
    return nodes[static_cast<std::size_t>(std::clamp(to, 0L, last))];
}

void expand_one_level(CServerNode& node) { node.collapsed = false; }

namespace {

void set_branch(CServerNode& node, bool collapsed) {
    if (!node.children().empty() || node.is_root()) node.collapsed = collapsed;
    node.for_each_descendant([collapsed](CServerNode& n) {
        if (!n.children().empty()) n.collapsed = collapsed;
    });
}

}  // namespace

void expand_branch(CServerNode& node) { set_branch(node, false); }

void collapse_branch(CServerNode& node) { set_branch(node, true); }

void toggle_node(CServerNode& node) {
    if (node.children().empty()) return;
    if (node.collapsed)
        expand_one_level(node);
    else
        collapse_branch(node);
}

}  // namespace kestra::workspace
