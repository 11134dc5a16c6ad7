#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "configsvc/config_client.h"
#include "configsvc/pending_unload_list.h"
#include "hostlink/host_session.h"
#include "model/server_node.h"
#include "workspace/command_enabling.h"
#include "workspace/print_job.h"

namespace kestra::workspace {

// The tree's font as the document keeps it: a Windows LOGFONT's fields that matter here.
struct TreeFont {
    std::int32_t height = -8;
    std::uint8_t out_precision = 4;
    std::uint8_t clip_precision = 0;
    std::uint8_t quality = 2;
    std::uint8_t pitch_and_family = 0x22;
    std::string face = "Arial";
    std::int32_t point_size = 9;  // the 32-bit value kept with it
};

// The document of one host connection: the one owner of its logged-in session, the configuration client over it,
// the tree of configuration files, the tables waiting to be unloaded, and what this window put on the clipboard.
class CAdminDoc {
  public:
    // Name of the private clipboard format of configuration files.
    static constexpr std::string_view kClipboardFormat = "Kestra Admin";

    // Takes a logged-in session.
    explicit CAdminDoc(std::unique_ptr<hostlink::CHostSession> session);
    // Closes the connection if close() was not called.
    ~CAdminDoc();
    CAdminDoc(const CAdminDoc&) = delete;
    CAdminDoc& operator=(const CAdminDoc&) = delete;

    hostlink::CHostSession& session() { return *session_; }
    const hostlink::CHostSession& session() const { return *session_; }
    configsvc::CConfigClient& client() { return client_; }
    model::CServerNode& root() { return root_; }
    const model::CServerNode& root() const { return root_; }
    configsvc::CPendingUnloadList& pending_unloads() { return pending_unloads_; }

    // Logs out when the session is logged in; 0, or the logout's failure code with diagnostics queued. Later
    // calls do nothing.
    std::int16_t close();
    bool closed() const { return closed_; }

    // The connection window's title: the host's version text.
    std::string title() const;
    // What the placement keys of this connection end with: connection name and provider name, upper case.
    std::string placement_suffix() const;

    // The selected tree node; nullptr when none. Must be the root or lie below it.
    model::CServerNode* selected() const { return selected_; }
    void set_selected(model::CServerNode* node);
    // The text of the status bar's file pane: the selected file's description, empty for the root or none.
    std::string status_text() const;

    // The configuration number of the last Copy or Cut, and whether this window put data on the clipboard.
    struct ClipboardState {
        std::int32_t number = 0;
        bool owner = false;
    };
    ClipboardState clipboard;

    TreeFont tree_font;

    // The page file and Print Options of the report commands.
    PrintState print;

    // The enabling inputs as this window sees them.
    CommandState command_state(bool clipboard_has_data, bool allow_downloads) const;

  private:
    std::unique_ptr<hostlink::CHostSession> session_;
    configsvc::CConfigClient client_;
    model::CServerNode root_;
    configsvc::CPendingUnloadList pending_unloads_;
    model::CServerNode* selected_ = nullptr;
    bool closed_ = false;
};

}  // namespace kestra::workspace
