#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace kestra::testing {

// Runs build/bin/kestra-hostsim on a free loopback port for the life of the object, with a
// kestra.ini whose "tcpip" section has one path pointing at it.
class HostsimProcess {
public:
    struct Options {
        std::string fixture;                  // empty: the sample fixture
        std::vector<std::string> extra_args;  // fault switches and the like
        std::string path_name = "HOST1";
        bool plain = false;                   // ASCII wire: the path gets a translate file with no entries
        int buffer_size = 1920;
        std::string stderr_file;  // non-empty: the host's standard error goes to this file
    };

    HostsimProcess();
    explicit HostsimProcess(Options options);
    ~HostsimProcess();
    HostsimProcess(const HostsimProcess&) = delete;
    HostsimProcess& operator=(const HostsimProcess&) = delete;

    bool running() const { return pid_ > 0 && port_ > 0; }
    int port() const { return port_; }
    const std::string& ini_path() const { return ini_path_; }
    const TempDir& dir() const { return dir_; }
    const std::string& error() const { return error_; }

    // Sends SIGTERM and waits; returns the exit status, or -1 when it had to be killed.
    int stop();

    static std::string sample_fixture();
    static std::string program();

private:
    Options options_;
    TempDir dir_;
    pid_t pid_ = -1;
    int port_ = 0;
    std::string ini_path_;
    std::string error_;
};

}  // namespace kestra::testing
