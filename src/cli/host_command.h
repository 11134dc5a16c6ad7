#pragma once

#include <functional>

#include "cli/command_registry.h"

namespace kestra::hostlink {
class CHostSession;
}

namespace kestra::cli {

// The login values a command uses: the global options, else what the Connect dialog saved in "admin", else the
// first provider listed. The password comes from $KESTRA_PASSWORD, else from the terminal without echo.
struct LoginValues {
    std::string provider;
    std::string connection;
    std::string user;
    std::string password;
    std::string chargecode;
};
// False (after a message on ctx.err) when no user id is known or no password can be had.
bool resolve_login(CliContext& ctx, LoginValues& values);

// Logs in exactly as the program does, runs the command, logs out. The command returns an exit status; a failed
// login prints the queued diagnostics and gives kExitFailure.
int with_host(CliContext& ctx, const std::function<int(hostlink::CHostSession&)>& run);

// Prints every queued diagnostic to standard error as "SQLSTATE text", one a line, and empties the queue.
void print_diagnostics(CliContext& ctx, hostlink::CHostSession& session);

// For a command that failed on the host: prints the diagnostics and gives kExitFailure.
int host_failure(CliContext& ctx, hostlink::CHostSession& session);

}  // namespace kestra::cli
