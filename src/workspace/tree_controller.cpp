#include "workspace/tree_controller.h"

#include <algorithm>

#include "app/admin_app.h"
#include "app/ui_hooks.h"
#include "app/wait_cursor.h"
#include "configsvc/config_file_requests.h"
#include "configsvc/options_requests.h"
#include "configsvc/table_requests.h"
#include "hostlink/host_session.h"
#include "workspace/admin_doc.h"

namespace kestra::workspace {

using model::CServerNode;

namespace {

constexpr std::int16_t kOk = hostlink::kSuccess;

std::uint32_t number_of(const CServerNode& node) {
    return node.is_root() ? 0u : static_cast<std::uint32_t>(std::max(node.config.number, 0));
}

std::uint32_t reference_of(const CServerNode& node) {
    return static_cast<std::uint32_t>(std::max(node.config.file_reference, 0));
}

}  // namespace

std::unique_ptr<CServerNode> copy_branch(const CServerNode& node) {
    auto copy = std::make_unique<CServerNode>(node.name, node.config.number);
    copy->collapsed = node.collapsed;
    for (const auto& child : node.children()) copy->add_child(copy_branch(*child));
    return copy;
}

DropEffect drop_effect(const CServerNode* dragged, const CServerNode* target, const CServerNode& target_root,
                       bool ctrl, bool alt_or_shift) {
    if (target == nullptr || !target_root.contains(target)) return DropEffect::none;
    const bool ours = dragged != nullptr && target_root.contains(dragged);
    if (ours && dragged->contains(target)) return DropEffect::none;
    if (!ours || ctrl) return DropEffect::copy;
    // Alt or Shift asks for the move that a node of this tree gets anyway.
    (void)alt_or_shift;
    return DropEffect::move;
}

CTreeController::CTreeController(CAdminDoc& doc) : doc_(doc) {}

void CTreeController::add_listener(TreeListener* listener) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) listeners_.push_back(listener);
}

void CTreeController::remove_listener(TreeListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void CTreeController::forget(const CServerNode& branch) {
    if (doc_.selected() != nullptr && branch.contains(doc_.selected())) doc_.set_selected(nullptr);
    for (TreeListener* l : listeners_) l->forget_branch(branch);
}

void CTreeController::changed() {
    for (TreeListener* l : listeners_) l->tree_changed();
}

void CTreeController::show_errors() { doc_.session().show_errors(); }

std::int16_t CTreeController::load_tree() {
    forget(doc_.root());
    const std::int16_t rc = configsvc::get_config_list(doc_.client(), doc_.root());
    if (rc != kOk) show_errors();
    select(&doc_.root());
    changed();
    return rc;
}

std::int16_t CTreeController::save_file(CServerNode& node) {
    std::int16_t rc = configsvc::unload_all_tables(doc_.client(), doc_.pending_unloads(), true);
    const std::int16_t saved = configsvc::save_config(doc_.client(), reference_of(node));
    if (rc == kOk) rc = saved;
    if (rc == kOk) node.config.modified = false;
    return rc;
}

bool CTreeController::save_selected() {
    CServerNode* node = doc_.selected();
    if (node == nullptr || node->is_root()) {
        app::message_box(kUnsupportedOperation);
        return false;
    }
    const bool ok = save_file(*node) == kOk;
    if (!ok) show_errors();
    changed();
    return ok;
}

void CTreeController::close_file(CServerNode& node) {
    configsvc::unload_all_tables(doc_.client(), doc_.pending_unloads(), false);
    configsvc::close_config(doc_.client(), reference_of(node));
    // A file that did not close is closed by the host with the session; nothing here depends on it.
    doc_.session().clear_errors();
}

bool CTreeController::leave(bool closing) {
    CServerNode* old = doc_.selected();
    if (old == nullptr) return true;
    if (old->is_root()) {
        doc_.set_selected(nullptr);
        return true;
    }
    while (old->config.modified) {
        bool save = app::admin_app().auto_save_config != 0;
        if (!save) {
            const auto answer =
                app::message_box(std::string(kSaveChangesPrompt) + " " + old->name, {}, app::MessageIcon::Question,
                                 closing ? app::MessageButtons::YesNo : app::MessageButtons::YesNoCancel);
            if (answer == app::MessageResult::Cancel) return false;
            save = answer == app::MessageResult::Yes;
        }
        if (!save) break;
        if (save_file(*old) == kOk) break;
        show_errors();
        // While the window closes the question comes again, so No can still let it go.
        if (!closing || app::admin_app().auto_save_config != 0) return false;
    }
    app::WaitCursor busy;
    close_file(*old);
    doc_.set_selected(nullptr);
    return true;
}

bool CTreeController::select(CServerNode* node, bool closing) {
    if (node == nullptr || node == doc_.selected() || !doc_.root().contains(node)) return true;
    if (!leave(closing)) return false;
    app::WaitCursor busy;
    doc_.set_selected(node);
    changed();
    if (node->is_root()) {
        node->config.tables.clear();
        node->config.applications.clear();
        return true;
    }
    open_file(*node);
    changed();
    return true;
}

void CTreeController::open_file(CServerNode& node) {
    configsvc::CConfigClient& client = doc_.client();
    node.config.modified = false;
    std::uint32_t reference = 0;
    if (configsvc::open_config(client, number_of(node), reference) != kOk) {
        const bool refused = client.last_refused();
        forget(node);
        changed();
        show_errors();
        // Only a file the host itself refused is offered for removal; a broken link says nothing about the file.
        if (!refused) return;
        if (app::message_box("Remove " + node.name + " from the list?", {}, app::MessageIcon::Question,
                             app::MessageButtons::YesNo) != app::MessageResult::Yes)
            return;
        if (configsvc::delete_config(client, number_of(node), false) != kOk) {
            show_errors();
            return;
        }
        CServerNode* parent = node.parent();
        if (parent != nullptr) parent->take_child(&node);
        changed();
        return;
    }
    node.config.file_reference = static_cast<std::int32_t>(reference);
    model::CConfigFile& file = node.config;
    bool failed = configsvc::get_table_list(client, doc_.pending_unloads(), file) != kOk;
    failed = configsvc::get_app_list(client, file) != kOk || failed;
    failed = configsvc::get_global(client, file) != kOk || failed;
    failed = configsvc::get_limits(client, file) != kOk || failed;
    if (failed) show_errors();
}

void CTreeController::reselect(std::int32_t number) {
    CServerNode* node = doc_.root().find_by_number(number);
    select(node != nullptr ? node : &doc_.root());
    changed();
}

CServerNode* CTreeController::selected_file(bool childless) {
    CServerNode* node = doc_.selected();
    if (node == nullptr || node->is_root() || (childless && !node->children().empty())) {
        app::message_box(kUnsupportedOperation);
        return nullptr;
    }
    return node;
}

bool CTreeController::add_file(const std::string& name) {
    CServerNode* parent = doc_.selected();
    if (parent == nullptr) {
        app::message_box(kUnsupportedOperation);
        return false;
    }
    std::uint32_t number = 0;
    if (configsvc::add_config(doc_.client(), name, number_of(*parent), number) != kOk) {
        show_errors();
        return false;
    }
    CServerNode* child = parent->add_child(name, static_cast<std::int32_t>(number));
    parent->collapsed = false;
    changed();
    select(child);
    return true;
}

bool CTreeController::rename_file(const std::string& name) {
    CServerNode* node = selected_file(false);
    if (node == nullptr) return false;
    if (configsvc::rename_config(doc_.client(), number_of(*node), name) != kOk) {
        show_errors();
        return false;
    }
    node->name = name;
    const std::int32_t number = node->config.number;
    {
        app::WaitCursor busy;
        close_file(*node);
        forget(doc_.root());
        // The list is read into a tree of its own, so a failure keeps the tree there was.
        CServerNode fresh;
        if (configsvc::get_config_list(doc_.client(), fresh) != kOk) {
            show_errors();
        } else {
            doc_.root().clear_children();
            while (!fresh.children().empty())
                doc_.root().add_child(fresh.take_child(fresh.children().front().get()));
        }
    }
    changed();
    reselect(number);
    return true;
}

bool CTreeController::delete_file(bool keep_on_host) {
    CServerNode* node = selected_file(true);
    if (node == nullptr) return false;
    if (app::admin_app().confirm_config_delete != 0 &&
        app::message_box(std::string(kDeletePrompt) + " " + node->name, {}, app::MessageIcon::Question,
                         app::MessageButtons::YesNo) != app::MessageResult::Yes)
        return false;
    const std::int32_t number = node->config.number;
    {
        app::WaitCursor busy;
        close_file(*node);
        doc_.set_selected(nullptr);
        changed();
        if (configsvc::delete_config(doc_.client(), number_of(*node), !keep_on_host) == kOk) {
            forget(*node);
            if (CServerNode* parent = node->parent()) parent->take_child(node);
            changed();
            return true;
        }
    }
    show_errors();
    reselect(number);
    return false;
}

bool CTreeController::copy_file() {
    CServerNode* node = doc_.selected();
    if (node == nullptr || node->is_root() || !node->children().empty() || node->config.modified) {
        app::message_box(kUnsupportedOperation);
        return false;
    }
    std::uint32_t clip = 0;
    if (configsvc::copy_config(doc_.client(), number_of(*node), clip) != kOk) {
        show_errors();
        return false;
    }
    kept_ = copy_branch(*node);
    doc_.clipboard = {static_cast<std::int32_t>(clip), true};
    changed();
    return true;
}

bool CTreeController::cut_file() {
    CServerNode* node = selected_file(true);
    if (node == nullptr) return false;
    if (!leave(false)) return false;
    changed();
    const std::int32_t number = node->config.number;
    std::uint32_t clip = 0;
    if (configsvc::cut_config(doc_.client(), number_of(*node), clip) != kOk) {
        show_errors();
        reselect(number);
        return false;
    }
    kept_ = copy_branch(*node);
    doc_.clipboard = {static_cast<std::int32_t>(clip), true};
    forget(*node);
    if (CServerNode* parent = node->parent()) parent->take_child(node);
    changed();
    return true;
}

bool CTreeController::paste_file(const std::string& name) {
    CServerNode* parent = doc_.selected();
    if (parent == nullptr || !kept_ || !doc_.clipboard.owner) {
        app::message_box(kUnsupportedOperation);
        return false;
    }
    const auto clip = static_cast<std::uint32_t>(std::max(doc_.clipboard.number, 0));
    std::uint32_t number = 0;
    if (configsvc::paste_config(doc_.client(), clip, name, number_of(*parent), number) != kOk) {
        show_errors();
        return false;
    }
    auto copy = copy_branch(*kept_);
    copy->name = name;
    copy->config.number = static_cast<std::int32_t>(number);
    copy->config.file_reference = static_cast<std::int32_t>(clip);
    parent->add_child(std::move(copy));
    parent->collapsed = false;
    changed();
    return true;
}

bool CTreeController::move_file(CServerNode& dragged, CServerNode& target) {
    if (drop_effect(&dragged, &target, doc_.root(), false, false) != DropEffect::move || dragged.is_root())
        return false;
    if (!select(&target)) return false;
    // Selecting may have removed either node (a refused open); nothing is sent then.
    if (!doc_.root().contains(&dragged) || !doc_.root().contains(&target)) return false;
    if (configsvc::move_config(doc_.client(), number_of(dragged), number_of(target)) != kOk) {
        show_errors();
        return false;
    }
    CServerNode* parent = dragged.parent();
    if (parent == nullptr) return false;
    target.add_child(parent->take_child(&dragged));
    target.collapsed = false;
    changed();
    return true;
}

}  // namespace kestra::workspace
