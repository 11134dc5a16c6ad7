#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "cli/command_registry.h"
#include "configsvc/config_client.h"
#include "model/server_node.h"

namespace kestra::hostlink {
class CHostSession;
}

namespace kestra::cli {

// Reads the tree of configuration files into `root`. kExitOk, or kExitFailure after printing the diagnostics.
int read_config_tree(CliContext& ctx, hostlink::CHostSession& session, configsvc::CConfigClient& client,
                     model::CServerNode& root);

// The node a FILE argument names: a configuration file number, or a file's exact name. With `allow_root`, "0"
// names the root (a parent argument). nullptr, after a message on ctx.err, when the tree has no such file.
model::CServerNode* resolve_config_file(CliContext& ctx, model::CServerNode& root, const std::string& file_arg,
                                        bool allow_root = false);

using OpenFileBody =
    std::function<int(configsvc::CConfigClient&, model::CConfigFile&, std::uint32_t file_reference)>;

// Lists the files, resolves FILE, opens it (18), runs `body`; when the body returned kExitOk and `save` is set,
// runs `before_save` (if any; e.g. unloading pending tables with their changes) and, when that succeeded too,
// saves (40); the file is always closed (19) once opened. Diagnostics are printed. Returns the body's status, or
// kExitFailure when the list, open, save or close failed. With `save`, what the body prints (a changing command's
// report) is shown only when everything, the save and the close included, succeeded.
int with_open_file(CliContext& ctx, hostlink::CHostSession& session, const std::string& file_arg, bool save,
                   const OpenFileBody& body, const OpenFileBody& before_save = {});

}  // namespace kestra::cli
