#include "cli/host_command.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/admin_app.h"
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
        ctx.err << "kestra: no user id: give --user or save one with the Connect dialog\n";
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
    while (session.get_error(state, nullptr, text.data(), text.size(), &length) != hostlink::kNoDataFound)
        ctx.err << state << " " << text.c_str() << "\n";
}

int host_failure(CliContext& ctx, hostlink::CHostSession& session) {
    print_diagnostics(ctx, session);
    return kExitFailure;
}

int with_host(CliContext& ctx, const std::function<int(hostlink::CHostSession&)>& run) {
    LoginValues v;
    if (!resolve_login(ctx, v)) return kExitUsage;
    hostlink::CHostSession session;
    session.set_provider_name(v.provider);
    session.set_connection_name(v.connection);
    if (session.host_login(v.user, hostlink::scramble_password(v.password), v.chargecode) != hostlink::kSuccess)
        return host_failure(ctx, session);
    int status = run(session);
    print_diagnostics(ctx, session);
    if (session.logged_in() && session.host_logout() != hostlink::kSuccess) {
        print_diagnostics(ctx, session);
        if (status == kExitOk) status = kExitFailure;
    }
    return status;
}

}  // namespace kestra::cli
