#pragma once

#include <functional>
#include <memory>

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

// One login for several commands: the first command that needs the host logs in, the later ones use the same
// session, and the owner logs out once at the end.
class SharedLogin {
  public:
    SharedLogin();
    ~SharedLogin();
    SharedLogin(const SharedLogin&) = delete;
    SharedLogin& operator=(const SharedLogin&) = delete;

    // The logged-in session, logging in on first use; nullptr after a failed login (status holds the exit status).
    hostlink::CHostSession* session(CliContext& ctx, int& status);
    // Logs out if logged in; kExitOk, or kExitFailure after printing the diagnostics.
    int logout(CliContext& ctx);
    bool tried() const { return tried_; }

  private:
    std::unique_ptr<hostlink::CHostSession> session_;
    bool tried_ = false;
    int login_status_ = kExitOk;
};

// Logs in exactly as the program does, runs the command, logs out (within a batch: uses the batch's login). The command
// returns an exit status; a failed login prints the queued diagnostics and gives kExitFailure.
int with_host(CliContext& ctx, const std::function<int(hostlink::CHostSession&)>& run);

// Prints every queued diagnostic to standard error as "SQLSTATE text", one a line, and empties the queue.
void print_diagnostics(CliContext& ctx, hostlink::CHostSession& session);

// For a command that failed on the host: prints the diagnostics and gives kExitFailure.
int host_failure(CliContext& ctx, hostlink::CHostSession& session);

}  // namespace kestra::cli
