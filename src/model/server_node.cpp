#include "model/server_node.h"

#include <algorithm>

namespace kestra::model {

CServerNode::CServerNode() : name(kRootName) {}

CServerNode::CServerNode(std::string_view node_name, std::int32_t number) : name(node_name) {
    config.number = number;
}

std::size_t CServerNode::depth() const {
    std::size_t levels = 0;
    for (const CServerNode* node = parent_; node != nullptr; node = node->parent_) ++levels;
    return levels;
}

CServerNode* CServerNode::add_child(std::unique_ptr<CServerNode>&& child) {
    if (!child || child->contains(this)) return nullptr;
    child->parent_ = this;
    children_.push_back(std::move(child));
    return children_.back().get();
}

CServerNode* CServerNode::add_child(std::string_view node_name, std::int32_t number) {
    return add_child(std::make_unique<CServerNode>(node_name, number));
}

std::unique_ptr<CServerNode> CServerNode::take_child(const CServerNode* child) {
    const auto it = std::find_if(children_.begin(), children_.end(),
                                 [child](const std::unique_ptr<CServerNode>& c) { return c.get() == child; });
    if (it == children_.end()) return nullptr;
    std::unique_ptr<CServerNode> taken = std::move(*it);
    children_.erase(it);
    taken->parent_ = nullptr;
    return taken;
}

void CServerNode::clear_children() { children_.clear(); }

bool CServerNode::contains(const CServerNode* node) const {
    for (; node != nullptr; node = node->parent_) {
        if (node == this) return true;
    }
    return false;
}

CServerNode* CServerNode::find_by_number(std::int32_t number) const {
    CServerNode* found = nullptr;
    for_each_descendant([&](CServerNode& node) {
        if (found == nullptr && node.config.number == number) found = &node;
    });
    return found;
}

CServerNode* CServerNode::find_by_name(std::string_view node_name) const {
    CServerNode* found = nullptr;
    for_each_descendant([&](CServerNode& node) {
        if (found == nullptr && node.name == node_name) found = &node;
    });
    return found;
}

void CServerNode::for_each_descendant(const std::function<void(CServerNode&)>& visit) const {
    // An explicit stack: a tree built from a hostile list must not exhaust the call stack.
    std::vector<const std::vector<std::unique_ptr<CServerNode>>*> lists{&children_};
    std::vector<std::size_t> positions{0};
    while (!lists.empty()) {
        const auto& list = *lists.back();
        std::size_t& pos = positions.back();
        if (pos >= list.size()) {
            lists.pop_back();
            positions.pop_back();
            continue;
        }
        CServerNode& node = *list[pos++];
        visit(node);
        lists.push_back(&node.children_);
        positions.push_back(0);
    }
}

}  // namespace kestra::model
