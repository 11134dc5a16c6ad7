#include "cli/host_command.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/admin_app.h"
#include "cli/cli_output.h"
#include "corvel/corvel.h"
#include "hostlink/host_session.h"
#include "hostlink/password_scramble.h"
#include "hostlink/sqlstate.h"
#include "platform/profile_file.h"

namespace kestra::cli {

namespace {

// Asks on the controlling terminal with echo off; false when there is no terminal.
bool ask_password(std::string& password) {
    std::FILE* tty = std::fopen("/dev/tty", "r+");
    if (tty == nullptr) return false;
    int fd = ::fileno(tty);
    termios old{};
    bool have_termios = ::tcgetattr(fd, &old) == 0;
    if (have_termios) {
        termios quiet = old;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    std::fputs("Password: ", tty);
    std::fflush(tty);
    char line[256];
    bool ok = std::fgets(line, sizeof line, tty) != nullptr;
    if (have_termios) ::tcsetattr(fd, TCSAFLUSH, &old);
    std::fputs("\n", tty);
    std::fclose(tty);
    if (!ok) return false;
    password = line;
    while (!password.empty() && (password.back() == '\n' || password.back() == '\r')) password.pop_back();
    return true;
}

}  // namespace

bool resolve_login(CliContext& ctx, LoginValues& v) {
    platform::ProfileFile ini(ctx.ini_path);
    ini.load();
    const GlobalOptions& o = ctx.options;
    v.provider = !o.provider.empty() ? o.provider : ini.get_string("admin", "provider", "");
    v.connection = !o.connection.empty() ? o.connection : ini.get_string("admin", "connection", "");
    v.user = !o.user.empty() ? o.user : ini.get_string("admin", "UID", "");
    v.chargecode = !o.chargecode.empty() ? o.chargecode : ini.get_string("admin", "chargecode", "");
    if (v.provider.empty() || corvel_find_provider(v.provider.c_str()) < 0) {
        // As the Connect dialog does: an unknown or unsaved provider selects the first one listed. A provider
        // named on the command line is kept, so its misspelling is reported by the login.
        if (o.provider.empty()) v.provider = corvel_provider_name(0);
    }
    if (v.user.empty()) {
        ctx.err << "kestra: no user id: give --user or save one with the Connect dialog in " << ctx.ini_path << "\n";
        return false;
    }
    if (const char* env = std::getenv("KESTRA_PASSWORD"); env != nullptr) {
        v.password = env;
    } else if (!ask_password(v.password)) {
        ctx.err << "kestra: no password: set KESTRA_PASSWORD or run on a terminal\n";
        return false;
    }
    if (v.user.size() > hostlink::kLoginFieldMax || v.password.size() > hostlink::kLoginFieldMax ||
        v.chargecode.size() > hostlink::kLoginFieldMax) {
        ctx.err << "kestra: user id, password and chargecode hold at most 18 characters each\n";
        return false;
    }
    return true;
}

void print_diagnostics(CliContext& ctx, hostlink::CHostSession& session) {
    char state[6];
    std::size_t length = 0;
    std::string text(2048, '\0');
    // The text is the host's: escaped, so it can neither fake a line nor drive the terminal.
    while (session.get_error(state, nullptr, text.data(), text.size(), &length) != hostlink::kNoDataFound)
        ctx.err << shown(state) << " " << shown(text.c_str()) << "\n";
}

int host_failure(CliContext& ctx, hostlink::CHostSession& session) {
    print_diagnostics(ctx, session);
    return kExitFailure;
}

namespace {

// kExitOk after a login, else the status after the messages.
int log_in(CliContext& ctx, hostlink::CHostSession& session) {
    LoginValues v;
    // Nothing to log in with is a fault of the invocation (options, environment), not of the host.
    if (!resolve_login(ctx, v)) return kExitUsage;
    session.set_provider_name(v.provider);
    session.set_connection_name(v.connection);
    if (session.host_login(v.user, hostlink::scramble_password(v.password), v.chargecode) != hostlink::kSuccess)
        return host_failure(ctx, session);
    return kExitOk;
}

}  // namespace

SharedLogin::SharedLogin() = default;

SharedLogin::~SharedLogin() = default;

hostlink::CHostSession* SharedLogin::session(CliContext& ctx, int& status) {
    if (!tried_) {
        tried_ = true;
        session_ = std::make_unique<hostlink::CHostSession>();
        login_status_ = log_in(ctx, *session_);
        if (login_status_ != kExitOk) session_.reset();
    }
    status = login_status_;
    return session_.get();
}

int SharedLogin::logout(CliContext& ctx) {
    if (!session_ || !session_->logged_in()) return kExitOk;
    int status = kExitOk;
    if (session_->host_logout() != hostlink::kSuccess) status = kExitFailure;
    print_diagnostics(ctx, *session_);
    session_.reset();
    return status;
}

int with_host(CliContext& ctx, const std::function<int(hostlink::CHostSession&)>& run) {
    if (ctx.shared_login != nullptr) {
        int status = kExitOk;
        hostlink::CHostSession* shared = ctx.shared_login->session(ctx, status);
        if (shared == nullptr) return status;
        status = run(*shared);
        print_diagnostics(ctx, *shared);
        return status;
    }
    hostlink::CHostSession session;
    if (int status = log_in(ctx, session); status != kExitOk) return status;
    int status = run(session);
    print_diagnostics(ctx, session);
    if (session.logged_in() && session.host_logout() != hostlink::kSuccess) {
        print_diagnostics(ctx, session);
        if (status == kExitOk) status = kExitFailure;
    }
    return status;
}

}  // namespace kestra::cli
