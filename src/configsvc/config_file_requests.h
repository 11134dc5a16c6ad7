#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "configsvc/config_client.h"
#include "configsvc/pending_unload_list.h"
#include "model/server_node.h"

namespace kestra::configsvc {

// Requests on the configuration-file list. Each returns 0, or the non-zero code of the failure with the reason
// queued on the client's session. Outputs are written only on success.

inline constexpr const char* kConfigListFailure = "Cannot get config file list";
inline constexpr const char* kConfigListReceiveError = "Receive error getting config file names";
inline constexpr const char* kConfigDeleteFailure = "Cannot delete config file from list";
inline constexpr const char* kConfigCopyFailure = "Cannot copy config file in list";

// The deepest level a list entry may have; the per-level table of current nodes holds this many plus the root.
inline constexpr std::size_t kMaxConfigTreeDepth = 64;

// Request 13: empties the tree under `root` and rebuilds it from the host's list. An entry deeper than the tree
// allows, or whose level has no current node, ends the list with the receive error; what was read stays, and -1
// is returned, as for any receive error. Every table of the old tree still waiting in `pending` is unloaded
// without save first, so the list never points at a destroyed record.
std::int16_t get_config_list(CConfigClient& client, CPendingUnloadList& pending, model::CServerNode& root);
// The same for a tree no pending list can point into (a tree built for one command).
std::int16_t get_config_list(CConfigClient& client, model::CServerNode& root);

// Request 18.
std::int16_t open_config(CConfigClient& client, std::uint32_t number, std::uint32_t& file_reference);
// Request 19.
std::int16_t close_config(CConfigClient& client, std::uint32_t file_reference);
// Request 40.
std::int16_t save_config(CConfigClient& client, std::uint32_t file_reference);
// Request 14; the name goes in upper case.
std::int16_t add_config(CConfigClient& client, std::string_view name, std::uint32_t parent_number,
                        std::uint32_t& new_number);
// Request 17; the name goes in upper case.
std::int16_t rename_config(CConfigClient& client, std::uint32_t number, std::string_view name);
// Request 15.
std::int16_t delete_config(CConfigClient& client, std::uint32_t number, bool delete_flag);
// Request 16.
std::int16_t move_config(CConfigClient& client, std::uint32_t number, std::uint32_t new_parent_number);
// Request 46.
std::int16_t copy_config(CConfigClient& client, std::uint32_t number, std::uint32_t& clipboard_number);
// Request 47, with the cut flag "0".
std::int16_t cut_config(CConfigClient& client, std::uint32_t number, std::uint32_t& clipboard_number);
// Request 48; only the name is upper-cased.
std::int16_t paste_config(CConfigClient& client, std::uint32_t clipboard_number, std::string_view name,
                          std::uint32_t parent_number, std::uint32_t& new_number);
// Request 42: the command text as typed; the host's response text on success.
std::int16_t send_environment_command(CConfigClient& client, std::string_view command, std::string& response);

}  // namespace kestra::configsvc
