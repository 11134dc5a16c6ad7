#pragma once

#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestra::cli {

// One rule for every command: 2 for what is wrong in the command line itself (syntax, values out of range, texts
// too long), checked before the login; 1 for everything the host, the line, a file or the data refused or lacked.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Options given before the command name; each defaults to what the Connect dialog saved.
struct GlobalOptions {
    std::string ini;  // settings file; empty = the usual place
    std::string provider;
    std::string connection;
    std::string user;
    std::string chargecode;
    bool json = false;
    int timeout = 0;  // receive time-out in seconds for this run; 0 = the settings' value
};

class SharedLogin;

struct CliContext {
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    GlobalOptions options;
    // The settings file in force (from --ini or the usual place).
    std::string ini_path;
    // Set while several commands share one login (kestra batch); null otherwise.
    SharedLogin* shared_login = nullptr;
};

using CommandFn = std::function<int(CliContext&, std::span<const std::string> args)>;

struct Command {
    std::string name;
    std::string synopsis;  // arguments after the name, e.g. "FILE TABLE"
    std::string summary;   // one line for the command list
    std::string help;      // full help for "kestra COMMAND --help"
    int group = 0;         // commands are listed by group, then by name
    CommandFn run;
};

// Commands register themselves from their own files, so adding one touches no shared table:
//   static const CommandRegistration reg{{"name", "ARGS", "summary", "help", 10, &run_name}};
std::vector<Command>& command_registry();
const Command* find_command(std::string_view name);

struct CommandRegistration {
    explicit CommandRegistration(Command command);
};

// Command groups, for the order of "kestra --help".
enum CommandGroup : int {
    kGroupSession = 10,
    kGroupFiles = 20,
    kGroupTables = 30,
    kGroupFields = 40,
    kGroupOptions = 50,
    kGroupCatalogue = 60,
    kGroupReport = 70,
    kGroupTransfer = 80,
    kGroupOffline = 90,
};

}  // namespace kestra::cli
