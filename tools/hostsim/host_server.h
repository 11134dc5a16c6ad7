#pragma once

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "host_connection.h"
#include "request_handlers.h"
#include "server_options.h"

namespace kestra::hostsim {

// The test host: a listening socket, a thread per connection, one shared state.
class HostServer {
public:
    explicit HostServer(ServerOptions options);
    ~HostServer();
    HostServer(const HostServer&) = delete;
    HostServer& operator=(const HostServer&) = delete;

    // Loads the fixture and translate file, listens, writes the port file and starts accepting.
    // Returns 0, or 1 with error set (nothing left running).
    int start(std::string& error);

    int port() const { return port_; }

    // Stops accepting, closes every connection and joins every thread. Safe to call twice and
    // from any thread but a connection's own.
    void stop();

    // Writes the state to the --save file; 0 when done or when no file was given.
    int save(std::string& error);

    SharedHost& host() { return host_; }
    // What the PCs sent so far.
    RequestLog& requests() { return host_.requests; }
    const ServerOptions& options() const { return options_; }

private:
    struct Worker {
        std::thread thread;
        int fd = -1;
        std::atomic<bool> done{false};
    };

    void accept_loop();
    void reap_finished_workers();

    ServerOptions options_;
    SharedHost host_;
    HandlerTable handlers_;
    WireTables tables_{};
    int listen_fd_ = -1;
    int wake_read_ = -1;
    int wake_write_ = -1;
    int port_ = 0;
    std::thread acceptor_;
    std::mutex workers_mutex_;
    std::list<std::unique_ptr<Worker>> workers_;
    std::mutex stop_mutex_;
    bool stopped_ = false;
    std::mutex save_mutex_;
};

}  // namespace kestra::hostsim
