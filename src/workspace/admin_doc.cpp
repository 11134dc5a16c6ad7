#include "workspace/admin_doc.h"

#include "workspace/window_placement.h"

namespace kestra::workspace {

CAdminDoc::CAdminDoc(std::unique_ptr<hostlink::CHostSession> session)
    : session_(session ? std::move(session) : std::make_unique<hostlink::CHostSession>()), client_(*session_) {}

CAdminDoc::~CAdminDoc() {
    close();
}

std::int16_t CAdminDoc::close() {
    if (closed_) return hostlink::kSuccess;
    closed_ = true;
    selected_ = nullptr;
    if (!session_->logged_in()) return hostlink::kSuccess;
    return session_->host_logout();
}

std::string CAdminDoc::title() const {
    return session_->host_version_text();
}

std::string CAdminDoc::placement_suffix() const {
    return workspace::placement_suffix(session_->connection_name(), session_->provider_name());
}

void CAdminDoc::set_selected(model::CServerNode* node) {
    selected_ = node != nullptr && root_.contains(node) ? node : nullptr;
}

std::string CAdminDoc::status_text() const {
    if (selected_ == nullptr || selected_->is_root()) return {};
    return selected_->config.description.str();
}

CommandState CAdminDoc::command_state(bool clipboard_has_data, bool allow_downloads) const {
    CommandState s;
    s.window = true;
    s.root_has_children = !root_.children().empty();
    s.clipboard_owner = clipboard.owner;
    s.clipboard_has_data = clipboard_has_data;
    s.allow_downloads = allow_downloads;
    if (selected_ != nullptr) {
        s.selected = selected_->is_root() ? SelectedNode::root : SelectedNode::file;
        s.has_children = !selected_->children().empty();
        s.collapsed = selected_->collapsed;
        s.modified = !selected_->is_root() && selected_->config.modified;
    }
    return s;
}

}  // namespace kestra::workspace
