// Commands on the tree of configuration files: list, add, rename, delete, move, copy, save, and the environment
// command.
#include <functional>
#include <ostream>

#include "cli/arg_parser.h"
#include "cli/cli_output.h"
#include "cli/config_file_arg.h"
#include "cli/host_command.h"
#include "configsvc/config_file_names.h"
#include "configsvc/config_file_requests.h"
#include "hostlink/host_session.h"

namespace kestra::cli {

namespace {

using configsvc::CConfigClient;
using model::CServerNode;

// Takes the options the caller asked for, then exactly `count` positionals.
bool positionals(CliContext& ctx, ArgParser& parser, std::size_t count, const char* command,
                 std::vector<std::string>& out, int& status) {
    if (!parser.finish(out)) {
        status = usage(ctx, parser.error());
        return false;
    }
    if (out.size() != count) {
        status = usage(ctx, std::string(command) + (out.size() < count ? ": missing arguments" : ": too many arguments"));
        return false;
    }
    return true;
}

// As the dialogs' name field does: the name the host will hold is upper case, so it is checked that way. What the
// name itself breaks is found before the login (exit 2); a duplicate only once the tree is read (exit 1).
int refuse_name(CliContext& ctx, const char* message, int status) {
    ctx.err << "kestra: " << message << "\n";
    return status;
}

// The name checks that need no tree; nullptr when the name passes them.
const char* name_problem(std::string name, configsvc::NameUse use) {
    const CServerNode empty;
    return configsvc::check_config_file_name(name, empty, use);
}

std::string file_members(std::uint32_t number, const std::string& name) {
    return "\"number\":" + std::to_string(number) + ",\"name\":" + json_string(name);
}

std::uint32_t number_of(const CServerNode& node) {
    return node.is_root() ? 0u : static_cast<std::uint32_t>(node.config.number);
}

void print_tree_lines(CliContext& ctx, const CServerNode& root) {
    root.for_each_descendant([&](CServerNode& node) {
        ctx.out << std::string(2 * (node.depth() - 1), ' ') << node.config.number << " " << shown(node.name) << "\n";
    });
}

void print_tree_json(CliContext& ctx, const CServerNode& node) {
    if (node.is_root())
        ctx.out << "{\"name\":" << json_string(node.name);
    else
        ctx.out << "{\"number\":" << node.config.number << ",\"name\":" << json_string(node.name);
    ctx.out << ",\"children\":[";
    bool first = true;
    for (const auto& child : node.children()) {
        if (!first) ctx.out << ",";
        first = false;
        print_tree_json(ctx, *child);  // depth is bounded by the list reader
    }
    ctx.out << "]}";
}

// Logs in, reads the configuration-file tree and runs the command on it.
int with_tree(CliContext& ctx,
              const std::function<int(hostlink::CHostSession&, CConfigClient&, CServerNode&)>& run) {
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        CConfigClient client(session);
        CServerNode root;
        if (int s = read_config_tree(ctx, session, client, root); s != kExitOk) return s;
        return run(session, client, root);
    });
}

int run_files(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> rest;
    int status = kExitOk;
    if (!positionals(ctx, parser, 0, "files", rest, status)) return status;
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        CConfigClient client(session);
        CServerNode root;
        const bool ok = configsvc::get_config_list(client, root) == hostlink::kSuccess;
        // What arrived before a receive error is still shown; the exit status tells it was cut short.
        if (ctx.options.json) {
            print_tree_json(ctx, root);
            ctx.out << "\n";
        } else {
            print_tree_lines(ctx, root);
        }
        return ok ? kExitOk : host_failure(ctx, session);
    });
}

int run_add_file(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const std::optional<std::string> parent_arg = parser.value("parent");
    std::vector<std::string> rest;
    int status = kExitOk;
    if (!positionals(ctx, parser, 1, "add-file", rest, status)) return status;
    if (const char* refusal = name_problem(upper(rest[0]), configsvc::NameUse::add))
        return refuse_name(ctx, refusal, kExitUsage);
    return with_tree(ctx, [&](hostlink::CHostSession& session, CConfigClient& client, CServerNode& root) {
        CServerNode* parent = parent_arg ? resolve_config_file(ctx, root, *parent_arg, true) : &root;
        if (parent == nullptr) return kExitFailure;
        std::string name = upper(rest[0]);
        if (const char* refusal = configsvc::check_config_file_name(name, root, configsvc::NameUse::add))
            return refuse_name(ctx, refusal, kExitFailure);
        std::uint32_t number = 0;
        if (configsvc::add_config(client, name, number_of(*parent), number) != hostlink::kSuccess)
            return host_failure(ctx, session);
        print_changed(ctx, "add-file", file_members(number, name));
        return kExitOk;
    });
}

int run_rename_file(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> rest;
    int status = kExitOk;
    if (!positionals(ctx, parser, 2, "rename-file", rest, status)) return status;
    if (const char* refusal = name_problem(upper(rest[1]), configsvc::NameUse::rename))
        return refuse_name(ctx, refusal, kExitUsage);
    return with_tree(ctx, [&](hostlink::CHostSession& session, CConfigClient& client, CServerNode& root) {
        CServerNode* node = resolve_config_file(ctx, root, rest[0]);
        if (node == nullptr) return kExitFailure;
        std::string name = upper(configsvc::trim_config_file_name(rest[1]));
        if (name == node->name) {  // as the dialog: the same name is a cancel
            print_changed(ctx, "rename-file", file_members(number_of(*node), name) + ",\"unchanged\":true");
            return kExitOk;
        }
        if (const char* refusal = configsvc::check_config_file_name(name, root, configsvc::NameUse::rename))
            return refuse_name(ctx, refusal, kExitFailure);
        if (configsvc::rename_config(client, number_of(*node), name) != hostlink::kSuccess)
            return host_failure(ctx, session);
        print_changed(ctx, "rename-file", file_members(number_of(*node), name));
        return kExitOk;
    });
}

int run_delete_file(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const bool keep = parser.flag("keep");
    std::vector<std::string> rest;
    int status = kExitOk;
    if (!positionals(ctx, parser, 1, "delete-file", rest, status)) return status;
    return with_tree(ctx, [&](hostlink::CHostSession& session, CConfigClient& client, CServerNode& root) {
        CServerNode* node = resolve_config_file(ctx, root, rest[0]);
        if (node == nullptr) return kExitFailure;
        // As the Delete command is disabled for a file with files below it: nothing is sent.
        if (!node->children().empty()) {
            ctx.err << "kestra: " << shown(node->name) << " has " << node->children().size()
                    << (node->children().size() == 1 ? " child file" : " child files")
                    << ": delete or move them first\n";
            return kExitFailure;
        }
        if (configsvc::delete_config(client, number_of(*node), !keep) != hostlink::kSuccess)
            return host_failure(ctx, session);
        print_changed(ctx, "delete-file", file_members(number_of(*node), node->name));
        return kExitOk;
    });
}

int run_move_file(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> rest;
    int status = kExitOk;
    if (!positionals(ctx, parser, 2, "move-file", rest, status)) return status;
    return with_tree(ctx, [&](hostlink::CHostSession& session, CConfigClient& client, CServerNode& root) {
        CServerNode* node = resolve_config_file(ctx, root, rest[0]);
        if (node == nullptr) return kExitFailure;
        CServerNode* parent = resolve_config_file(ctx, root, rest[1], true);
        if (parent == nullptr) return kExitFailure;
        // As a drop is refused on the dragged node and its own branch, nothing is sent.
        if (node->contains(parent)) {
            ctx.err << "kestra: move-file: a file cannot move below itself\n";
            return kExitFailure;
        }
        if (configsvc::move_config(client, number_of(*node), number_of(*parent)) != hostlink::kSuccess)
            return host_failure(ctx, session);
        print_changed(ctx, "move-file",
                      file_members(number_of(*node), node->name) + ",\"parent\":" + std::to_string(number_of(*parent)));
        return kExitOk;
    });
}

int run_copy_file(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> rest;
    int status = kExitOk;
    if (!positionals(ctx, parser, 3, "copy-file", rest, status)) return status;
    if (const char* refusal = name_problem(upper(rest[2]), configsvc::NameUse::paste))
        return refuse_name(ctx, refusal, kExitUsage);
    return with_tree(ctx, [&](hostlink::CHostSession& session, CConfigClient& client, CServerNode& root) {
        CServerNode* node = resolve_config_file(ctx, root, rest[0]);
        if (node == nullptr) return kExitFailure;
        CServerNode* parent = resolve_config_file(ctx, root, rest[1], true);
        if (parent == nullptr) return kExitFailure;
        std::string name = upper(rest[2]);
        if (const char* refusal = configsvc::check_config_file_name(name, root, configsvc::NameUse::paste))
            return refuse_name(ctx, refusal, kExitFailure);
        std::uint32_t clipboard = 0;
        std::uint32_t number = 0;
        if (configsvc::copy_config(client, number_of(*node), clipboard) != hostlink::kSuccess ||
            configsvc::paste_config(client, clipboard, name, number_of(*parent), number) != hostlink::kSuccess)
            return host_failure(ctx, session);
        print_changed(ctx, "copy-file", file_members(number, name));
        return kExitOk;
    });
}

int run_save_file(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> rest;
    int status = kExitOk;
    if (!positionals(ctx, parser, 1, "save-file", rest, status)) return status;
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        const int saved = with_open_file(ctx, session, rest[0], true, {});
        if (saved == kExitOk) print_changed(ctx, "save-file", "\"file\":" + json_string(rest[0]));
        return saved;
    });
}

int run_env(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.empty()) return usage(ctx, "env: missing the command text");
    std::string command;
    for (const auto& word : rest) command += (command.empty() ? "" : " ") + word;
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        CConfigClient client(session);
        std::string response;
        if (configsvc::send_environment_command(client, command, response) != hostlink::kSuccess)
            return host_failure(ctx, session);
        if (ctx.options.json)
            ctx.out << "{\"response\":" << json_string(response) << "}\n";
        else
            ctx.out << shown(response) << "\n";
        return kExitOk;
    });
}

constexpr const char* kFileHelp =
    "A FILE is a configuration file's number or its exact name (a name several files have is refused: give the\n"
    "number); a PARENT is a FILE, or 0 for the top of the tree.\n";
constexpr const char* kNameHelp =
    "The name is trimmed and upper-cased, and must name a usercode and pack: \"(USER)NAME ON PACK\" or\n"
    "\"*NAME ON PACK\". A name that breaks this sends nothing (exit 2); one the tree already holds is refused\n"
    "(exit 1).\n";

const CommandRegistration files_reg{
    {"files", "", "list the configuration files as a tree",
     "Prints one file a line in tree order, \"number name\", indented two spaces per level. With --json: the\n"
     "nested tree, {\"name\", \"children\"} at the top and {\"number\", \"name\", \"children\"} per file.",
     kGroupFiles, run_files}};
const CommandRegistration add_reg{
    {"add-file", "NAME [--parent FILE]", "add a configuration file",
     std::string("Adds a file as the last child of --parent (default: the top of the tree). With --json, prints its\n"
                 "number and name.\n") +
         kNameHelp + kFileHelp,
     kGroupFiles, run_add_file}};
const CommandRegistration rename_reg{
    {"rename-file", "FILE NAME", "rename a configuration file",
     std::string("Renames a file; its current name again does nothing.\n") + kNameHelp + kFileHelp, kGroupFiles,
     run_rename_file}};
const CommandRegistration delete_reg{
    {"delete-file", "FILE [--keep]", "delete a configuration file",
     std::string("Deletes a file from the tree; a file with files below it is refused (delete or move them first).\n"
                 "The delete flag goes with the request unless --keep is given.\n") +
         kFileHelp,
     kGroupFiles, run_delete_file}};
const CommandRegistration move_reg{
    {"move-file", "FILE PARENT", "move a configuration file under another",
     std::string("Moves a file, with the files below it, to be the last child of PARENT. A PARENT inside FILE's own\n"
                 "branch is refused before anything is sent.\n") + kFileHelp,
     kGroupFiles, run_move_file}};
const CommandRegistration copy_reg{
    {"copy-file", "FILE PARENT NAME", "copy a configuration file under another with a new name",
     std::string("Copies FILE and pastes the copy as the last child of PARENT under NAME. With --json, prints its\n"
                 "number and name.\n") +
         kNameHelp + kFileHelp,
     kGroupFiles, run_copy_file}};
const CommandRegistration save_reg{
    {"save-file", "FILE", "open, save and close a configuration file",
     std::string("Opens the file, saves it and closes it.\n") + kFileHelp, kGroupFiles, run_save_file}};
const CommandRegistration env_reg{
    {"env", "TEXT...", "send an environment command and print the response",
     "Sends the words of TEXT, joined by single blanks, as they are typed, and prints the host's response.",
     kGroupFiles, run_env}};

}  // namespace

}  // namespace kestra::cli
