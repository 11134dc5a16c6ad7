#include "cli/config_file_arg.h"

#include <ostream>
#include <sstream>

#include "cli/arg_parser.h"
#include "cli/host_command.h"
#include "configsvc/config_file_requests.h"
#include "hostlink/host_session.h"

namespace kestra::cli {

int read_config_tree(CliContext& ctx, hostlink::CHostSession& session, configsvc::CConfigClient& client,
                     model::CServerNode& root) {
    if (configsvc::get_config_list(client, root) != hostlink::kSuccess) return host_failure(ctx, session);
    return kExitOk;
}

model::CServerNode* resolve_config_file(CliContext& ctx, model::CServerNode& root, const std::string& file_arg,
                                        bool allow_root) {
    long long number = 0;
    model::CServerNode* node = nullptr;
    if (parse_number(file_arg, number, 0, 9999)) {
        if (number == 0 && allow_root) return &root;
        node = root.find_by_number(static_cast<std::int32_t>(number));
    } else {
        // Copies may give two files in different branches the same name: picking one would act on a file the user
        // may not have meant.
        std::size_t matches = 0;
        root.for_each_descendant([&](model::CServerNode& n) {
            if (n.name == file_arg) {
                if (matches++ == 0) node = &n;
            }
        });
        if (matches > 1) {
            ctx.err << "kestra: " << matches << " configuration files are named " << file_arg << "; give its number\n";
            return nullptr;
        }
    }
    if (node == nullptr) ctx.err << "kestra: no configuration file " << file_arg << "\n";
    return node;
}

int with_open_file(CliContext& ctx, hostlink::CHostSession& session, const std::string& file_arg, bool save,
                   const OpenFileBody& body, const OpenFileBody& before_save) {
    configsvc::CConfigClient client(session);
    model::CServerNode root;
    if (int status = read_config_tree(ctx, session, client, root); status != kExitOk) return status;
    model::CServerNode* node = resolve_config_file(ctx, root, file_arg);
    if (node == nullptr) return kExitFailure;

    std::uint32_t reference = 0;
    if (configsvc::open_config(client, static_cast<std::uint32_t>(node->config.number), reference) !=
        hostlink::kSuccess)
        return host_failure(ctx, session);
    node->config.file_reference = static_cast<std::int32_t>(reference);

    // What a changing command reports is held back until the file is saved: a failed save must not follow a
    // report of a change that did not last.
    std::ostringstream held;
    std::streambuf* const shown_to = save ? ctx.out.rdbuf(held.rdbuf()) : nullptr;
    int status = body ? body(client, node->config, reference) : kExitOk;
    if (status == kExitOk && save) {
        if (before_save) status = before_save(client, node->config, reference);
        if (status == kExitOk) {
            if (configsvc::save_config(client, reference) == hostlink::kSuccess)
                node->config.modified = false;
            else
                status = kExitFailure;
        }
    }
    // Closed whatever happened above: an open file left behind would stay locked on the host.
    if (configsvc::close_config(client, reference) != hostlink::kSuccess && status == kExitOk)
        status = kExitFailure;
    if (save) {
        ctx.out.rdbuf(shown_to);
        if (status == kExitOk) ctx.out << held.str();
    }
    print_diagnostics(ctx, session);
    return status;
}

}  // namespace kestra::cli
