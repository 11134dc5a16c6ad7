#pragma once

// The program's whole path to a host for benchmarks: the test host in this process on a free loopback port, a
// kestra.ini whose Tavlink path points at it, and a CHostSession logged in through the comms shell.
#include <memory>
#include <string>

#include "host_server.h"
#include "hostlink/host_session.h"
#include "support/temp_dir.h"

namespace kestra::bench {

class HostRig {
public:
    struct Options {
        std::string fixture;         // a JSON file; empty: the sample fixture
        std::string user = "ADMIN";
        std::string password = "SECRET";
        int buffer_size = 4096;      // the path's maxbuffersize
    };

    HostRig() = default;
    ~HostRig();
    HostRig(const HostRig&) = delete;
    HostRig& operator=(const HostRig&) = delete;

    // Starts the host and logs in; false with `error` set (the host's or the session's diagnostics).
    bool start(const Options& options, std::string& error);
    hostlink::CHostSession& session() { return session_; }
    hostsim::HostServer& server() { return *server_; }
    testing::TempDir& dir() { return dir_; }

    static std::string sample_fixture();

private:
    testing::TempDir dir_;
    std::unique_ptr<hostsim::HostServer> server_;
    hostlink::CHostSession session_;
};

}  // namespace kestra::bench
