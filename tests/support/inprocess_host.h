#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host_server.h"
#include "support/temp_dir.h"

namespace kestra::hostlink {
class CHostSession;
}

namespace kestra::testing {

// The test host running in this process on a free loopback port, seeded with the sample fixture, and a kestra.ini
// (pointed at by $KESTRA_INI and loaded into the application object) whose one Tavlink path leads to it. A session
// logged in through it takes milliseconds per request rather than a program start per command; a login and a
// logout still drain the line for about a second each, so tests share one login where they can.
class InProcessHost {
  public:
    struct Setup {
        std::function<void(hostsim::ServerOptions&)> adjust;
        std::string settings;    // more kestra.ini lines, e.g. "[timeouts]\nrcv=1\n"
        int buffer_size = 4096;  // the path's maxbuffersize: the message size the PC proposes
        int granted = 0;         // when set, the most the host grants the administrator
        std::string path_name = "HOST1";
    };

    InProcessHost();
    explicit InProcessHost(const Setup& setup);
    ~InProcessHost();
    InProcessHost(const InProcessHost&) = delete;
    InProcessHost& operator=(const InProcessHost&) = delete;

    bool started() const { return started_; }
    hostsim::HostServer& server() { return *server_; }
    hostsim::RequestLog& requests() { return server_->requests(); }
    const std::string& ini() const { return ini_; }
    const std::string& path_name() const { return path_name_; }
    TempDir& dir() { return dir_; }

    // Logs the session in over Tavlink on this host's path as the sample fixture's administrator.
    std::int16_t login(hostlink::CHostSession& session, const std::string& user = "ADMIN",
                       const std::string& password = "SECRET") const;

    static std::string sample_fixture();

  private:
    TempDir dir_;
    std::unique_ptr<hostsim::HostServer> server_;
    std::string ini_;
    std::string path_name_;
    bool started_ = false;
};

}  // namespace kestra::testing
