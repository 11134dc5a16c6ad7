#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/config_file.h"

namespace kestra::model {

// One node of a connection's tree of configuration files; the root is a node too, with no file behind it.
class CServerNode {
public:
    static constexpr std::string_view kRootName = "Kestra Configuration Files";

    // A root node.
    CServerNode();
    // A configuration-file node.
    CServerNode(std::string_view node_name, std::int32_t number);
    CServerNode(const CServerNode&) = delete;
    CServerNode& operator=(const CServerNode&) = delete;
    virtual ~CServerNode() = default;

    bool is_root() const { return parent_ == nullptr; }
    CServerNode* parent() const { return parent_; }
    const std::vector<std::unique_ptr<CServerNode>>& children() const { return children_; }
    std::size_t depth() const;

    // Appends a child as the last one and returns it. A node that holds this one is refused (nullptr) and stays
    // with the caller.
    CServerNode* add_child(std::unique_ptr<CServerNode>&& child);
    CServerNode* add_child(std::string_view node_name, std::int32_t number);
    // Detaches a direct child and hands it over; nullptr when it is not a child of this node.
    std::unique_ptr<CServerNode> take_child(const CServerNode* child);
    void clear_children();

    // True when `node` is this node or lies below it.
    bool contains(const CServerNode* node) const;
    // Depth-first, in tree order, this node excluded; nullptr when none.
    CServerNode* find_by_number(std::int32_t number) const;
    CServerNode* find_by_name(std::string_view node_name) const;
    // Visits the nodes below this one in tree order; `visit` must not add or remove nodes.
    void for_each_descendant(const std::function<void(CServerNode&)>& visit) const;

    std::string name;
    CConfigFile config;
    bool collapsed = false;

private:
    CServerNode* parent_ = nullptr;
    std::vector<std::unique_ptr<CServerNode>> children_;
};

}  // namespace kestra::model
