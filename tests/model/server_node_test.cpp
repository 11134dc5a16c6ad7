#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/server_node.h"

namespace kestra::model {
namespace {

TEST(ServerNode, TheRootHasItsFixedName) {
    CServerNode root;
    EXPECT_EQ(root.name, "Kestra Configuration Files");
    EXPECT_TRUE(root.is_root());
    EXPECT_FALSE(root.collapsed);
    EXPECT_TRUE(root.children().empty());
    EXPECT_EQ(root.depth(), 0u);
}

TEST(ServerNode, ChildrenKeepTheirOrderAndParent) {
    CServerNode root;
    CServerNode* b = root.add_child("B", 2);
    CServerNode* a = root.add_child("A", 1);
    CServerNode* a1 = a->add_child("A1", 3);
    ASSERT_EQ(root.children().size(), 2u);
    EXPECT_EQ(root.children()[0].get(), b);
    EXPECT_EQ(a1->parent(), a);
    EXPECT_EQ(a1->depth(), 2u);
    EXPECT_EQ(a1->config.number, 3);
    EXPECT_TRUE(root.contains(a1));
    EXPECT_FALSE(b->contains(a1));
}

TEST(ServerNode, FindsByNumberAndExactNameInTreeOrder) {
    CServerNode root;
    CServerNode* a = root.add_child("(ADM)CFG ON PACK", 1);
    CServerNode* a1 = a->add_child("*CFG2 ON PACK", 2);
    root.add_child("*CFG2 ON PACK", 3);
    EXPECT_EQ(root.find_by_number(2), a1);
    EXPECT_EQ(root.find_by_name("*CFG2 ON PACK"), a1);
    EXPECT_EQ(root.find_by_name("*cfg2 on pack"), nullptr);
    EXPECT_EQ(root.find_by_number(0), nullptr);  // the root itself is not searched
    EXPECT_EQ(a->find_by_number(3), nullptr);

    std::vector<std::string> order;
    root.for_each_descendant([&](CServerNode& node) { order.push_back(node.name); });
    EXPECT_EQ(order, (std::vector<std::string>{"(ADM)CFG ON PACK", "*CFG2 ON PACK", "*CFG2 ON PACK"}));
}

TEST(ServerNode, MovingABranchKeepsItWhole) {
    CServerNode root;
    CServerNode* a = root.add_child("A", 1);
    CServerNode* b = root.add_child("B", 2);
    a->add_child("A1", 3);
    std::unique_ptr<CServerNode> taken = root.take_child(a);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->parent(), nullptr);
    EXPECT_EQ(b->add_child(std::move(taken)), a);
    EXPECT_EQ(a->parent(), b);
    EXPECT_EQ(root.find_by_number(3)->depth(), 3u);
    EXPECT_EQ(root.take_child(a), nullptr);  // not a direct child any more
}

TEST(ServerNode, ANodeCannotBecomeItsOwnDescendant) {
    CServerNode root;
    CServerNode* a = root.add_child("A", 1);
    std::unique_ptr<CServerNode> taken = root.take_child(a);
    CServerNode* a1 = taken->add_child("A1", 2);
    EXPECT_EQ(a1->add_child(std::move(taken)), nullptr);
    // Refused: the branch stays with the caller, whole.
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->children()[0].get(), a1);
    EXPECT_EQ(a1->parent(), taken.get());
    EXPECT_EQ(root.add_child(nullptr), nullptr);
}

TEST(ServerNode, ClearingEmptiesTheTree) {
    CServerNode root;
    root.add_child("A", 1)->add_child("A1", 2);
    root.clear_children();
    EXPECT_TRUE(root.children().empty());
    EXPECT_EQ(root.find_by_number(2), nullptr);
}

TEST(ServerNode, DeepTreesAreWalkedWithoutRecursion) {
    CServerNode root;
    CServerNode* node = &root;
    for (std::int32_t i = 1; i <= 64; ++i) node = node->add_child("N" + std::to_string(i), i);
    EXPECT_EQ(root.find_by_number(64), node);
    EXPECT_EQ(node->depth(), 64u);
}

}  // namespace
}  // namespace kestra::model
