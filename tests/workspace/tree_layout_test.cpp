// The tree's glyphs, layout, keyboard moves and expand and collapse commands.
#include "workspace/tree_layout.h"

#include <gtest/gtest.h>

namespace ws = kestra::workspace;
using kestra::model::CServerNode;

namespace {

// A: B (C), D; E
struct Tree {
    CServerNode root;
    CServerNode* a = root.add_child("A", 1);
    CServerNode* b = a->add_child("B", 2);
    CServerNode* c = b->add_child("C", 3);
    CServerNode* d = a->add_child("D", 4);
    CServerNode* e = root.add_child("E", 5);
};

int width_of(std::string_view text) { return static_cast<int>(text.size()) * 6; }

TEST(TreeGlyphs, FollowChildrenCollapsedAndTheRoot) {
    Tree t;
    EXPECT_EQ(ws::node_glyph(t.root), ws::NodeGlyph::expanded);
    EXPECT_EQ(ws::node_glyph(*t.a), ws::NodeGlyph::expanded);
    EXPECT_EQ(ws::node_glyph(*t.e), ws::NodeGlyph::leaf);
    t.e->collapsed = true;  // a collapsed leaf is still a leaf
    EXPECT_EQ(ws::node_glyph(*t.e), ws::NodeGlyph::leaf);
    t.a->collapsed = true;
    EXPECT_EQ(ws::node_glyph(*t.a), ws::NodeGlyph::collapsed);
    t.root.collapsed = true;
    EXPECT_EQ(ws::node_glyph(t.root), ws::NodeGlyph::collapsed);

    CServerNode empty;
    EXPECT_EQ(ws::node_glyph(empty), ws::NodeGlyph::expanded);  // an empty list shows the root alone, open
    empty.collapsed = true;
    EXPECT_EQ(ws::node_glyph(empty), ws::NodeGlyph::collapsed_empty);
}

TEST(TreeLayout, SkipsCollapsedBranchesAndFindsNodesByTheirBoxes) {
    Tree t;
    t.b->collapsed = true;
    const ws::TreeLayout layout = ws::layout_tree(t.root, width_of, 14);
    ASSERT_EQ(layout.rows.size(), 5u);  // C is hidden
    EXPECT_EQ(layout.row_of(t.c), -1);
    EXPECT_EQ(layout.row_of(t.e), 4);
    EXPECT_EQ(layout.row_height, 18);  // the glyph's 16 plus 2: rows never overlap
    const ws::TreeRow& d = layout.rows[3];
    EXPECT_EQ(d.node, t.d);
    EXPECT_EQ(d.x, 40);
    EXPECT_EQ(d.width, 6 + 28);
    EXPECT_EQ(layout.node_at(d.x + 1, d.y + 1), t.d);
    EXPECT_EQ(layout.node_at(d.x + d.width + 1, d.y + 1), nullptr);  // right of the box: empty space
    EXPECT_EQ(layout.node_at(0, layout.height + 5), nullptr);
    EXPECT_EQ(layout.node_at(-1, -1), nullptr);
    // A's vertical connector runs from A down to D's connector, not beyond.
    const ws::TreeRow& a = layout.rows[1];
    bool found = false;
    for (const ws::TreeLine& l : layout.lines)
        if (l.x1 == a.x + 7 && l.x2 == l.x1 && l.y1 == a.y + a.height) found = l.y2 == d.y + d.height / 2;
    EXPECT_TRUE(found);
}

TEST(TreeKeys, MovesStopAtEitherEnd) {
    CServerNode root;
    std::vector<CServerNode*> nodes{&root};
    for (int i = 1; i <= 14; ++i) nodes.push_back(root.add_child("N" + std::to_string(i), i));
    EXPECT_EQ(ws::move_selection(root, nodes[0], ws::TreeMove::up), nodes[0]);
    EXPECT_EQ(ws::move_selection(root, nodes[0], ws::TreeMove::down), nodes[1]);
    EXPECT_EQ(ws::move_selection(root, nodes[2], ws::TreeMove::page_down), nodes[12]);
    EXPECT_EQ(ws::move_selection(root, nodes[12], ws::TreeMove::page_down), nodes[14]);  // clamped
    EXPECT_EQ(ws::move_selection(root, nodes[5], ws::TreeMove::page_up), nodes[0]);
    EXPECT_EQ(ws::move_selection(root, nodes[14], ws::TreeMove::down), nodes[14]);
    EXPECT_EQ(ws::move_selection(root, nodes[7], ws::TreeMove::home), nodes[0]);
    EXPECT_EQ(ws::move_selection(root, nodes[0], ws::TreeMove::end), nodes[14]);
    EXPECT_EQ(ws::move_selection(root, nullptr, ws::TreeMove::down), &root);
}

TEST(TreeKeys, HiddenNodesAreSkipped) {
    Tree t;
    t.a->collapsed = true;
    EXPECT_EQ(ws::move_selection(t.root, t.a, ws::TreeMove::down), t.e);
    EXPECT_EQ(ws::move_selection(t.root, t.c, ws::TreeMove::down), &t.root);  // a hidden selection starts over
}

TEST(TreeCommands, ExpandOneLevelKeepsTheChildrensState) {
    Tree t;
    ws::collapse_branch(*t.a);
    EXPECT_TRUE(t.a->collapsed);
    EXPECT_TRUE(t.b->collapsed);
    EXPECT_FALSE(t.d->collapsed);  // no children: not touched
    ws::expand_one_level(*t.a);
    EXPECT_FALSE(t.a->collapsed);
    EXPECT_TRUE(t.b->collapsed);
    ws::expand_branch(t.root);
    EXPECT_FALSE(t.b->collapsed);
}

TEST(TreeCommands, EnterCollapsesAnOpenBranchAndOpensOneLevelOfAClosedOne) {
    Tree t;
    ws::toggle_node(*t.a);
    EXPECT_TRUE(t.a->collapsed);
    EXPECT_TRUE(t.b->collapsed);
    ws::toggle_node(*t.a);
    EXPECT_FALSE(t.a->collapsed);
    EXPECT_TRUE(t.b->collapsed);
    ws::toggle_node(*t.e);  // a leaf: nothing
    EXPECT_FALSE(t.e->collapsed);
}

}  // namespace
