#include <csignal>
#include <iostream>

#include "host_server.h"
#include "server_options.h"

int main(int argc, char** argv) {
    using namespace kestra::hostsim;
    ServerOptions options;
    std::string error;
    std::string help;
    const int parsed = parse_command_line(argc, argv, options, error, help);
    if (parsed == 2) {
        std::cout << help;
        return 0;
    }
    if (parsed != 0) {
        std::cerr << "kestra-hostsim: " << error << "\n";
        return 2;
    }

    // Every thread inherits the blocked signals; only the sigwait below takes them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    HostServer server(options);
    if (server.start(error) != 0) {
        std::cerr << "kestra-hostsim: " << error << "\n";
        return 1;
    }
    if (options.verbose) std::cerr << "kestra-hostsim: listening on port " << server.port() << "\n";

    int received = 0;
    sigwait(&signals, &received);
    server.stop();
    if (server.save(error) != 0) {
        std::cerr << "kestra-hostsim: " << error << "\n";
        return 1;
    }
    return 0;
}
