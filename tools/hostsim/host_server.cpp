#include "host_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "fixture_json.h"
#include "platform/atomic_file.h"
#include "tavlink/translate_table.h"

namespace kestra::hostsim {

HostServer::HostServer(ServerOptions options) : options_(std::move(options)), handlers_(make_handler_table()) {}

HostServer::~HostServer() { stop(); }

int HostServer::start(std::string& error) {
    if (!options_.data_file.empty()) {
        HostState state;
        if (load_fixture_file(options_.data_file, state, error) != 0) return 1;
        std::lock_guard lock(host_.mutex);
        host_.state = std::move(state);
    }

    if (!options_.request_log.empty() && !host_.requests.open_file(options_.request_log)) {
        error = "cannot write the request log " + options_.request_log;
        return 1;
    }

    tavlink::TranslateTables tables = options_.plain ? tavlink::identity_tables() : tavlink::builtin_tables();
    if (!options_.translate_file.empty()) {
        tables = tavlink::identity_tables();
        if (tavlink::load_translate_file(options_.translate_file, tables, {}) != 0) {
            error = "cannot load translate file " + options_.translate_file;
            return 1;
        }
    }
    tables_.encode = tables.pc_to_host;
    tables_.decode = tavlink::inverse_table(tables.pc_to_host);

    in_addr address{};
    if (::inet_pton(AF_INET, options_.listen_host.c_str(), &address) != 1) {
        error = "cannot listen on " + options_.listen_host + ": not a dotted address";
        return 1;
    }
    int pipe_fds[2];
    if (::pipe2(pipe_fds, O_CLOEXEC) != 0) {
        error = std::string("cannot create a pipe: ") + std::strerror(errno);
        return 1;
    }
    wake_read_ = pipe_fds[0];
    wake_write_ = pipe_fds[1];

    listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listen_fd_ < 0) {
        error = std::string("cannot create a socket: ") + std::strerror(errno);
        stop();
        return 1;
    }
    const int on = 1;
    ::setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(options_.listen_port));
    sa.sin_addr = address;
    if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(listen_fd_, 16) != 0) {
        error = "cannot listen on " + options_.listen_host + ":" + std::to_string(options_.listen_port) + ": " +
                std::strerror(errno);
        stop();
        return 1;
    }
    socklen_t length = sizeof sa;
    ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&sa), &length);
    port_ = ntohs(sa.sin_port);

    if (!options_.port_file.empty() &&
        !platform::write_file_atomically(options_.port_file, std::to_string(port_) + "\n")) {
        error = "cannot write port file " + options_.port_file;
        stop();
        return 1;
    }
    acceptor_ = std::thread([this] { accept_loop(); });
    return 0;
}

void HostServer::reap_finished_workers() {
    std::lock_guard lock(workers_mutex_);
    for (auto it = workers_.begin(); it != workers_.end();) {
        if ((*it)->done.load()) {
            (*it)->thread.join();
            ::close((*it)->fd);
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

void HostServer::accept_loop() {
    pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {wake_read_, POLLIN, 0}};
    while (true) {
        fds[0].revents = fds[1].revents = 0;
        const int n = ::poll(fds, 2, -1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || fds[1].revents != 0) return;
        const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        // Every frame goes out in one write; without this the second message of a list waits for the PC's
        // delayed acknowledgement of the first (some 40 ms).
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        reap_finished_workers();
        auto worker = std::make_unique<Worker>();
        Worker* w = worker.get();
        w->fd = fd;
        std::lock_guard lock(workers_mutex_);
        workers_.push_back(std::move(worker));
        w->thread = std::thread([this, w] {
            HostConnection connection(w->fd, wake_read_, host_, handlers_, options_, tables_, [this] {
                std::string ignored;
                save(ignored);
            });
            connection.run();
            ::shutdown(w->fd, SHUT_RDWR);
            w->done.store(true);
        });
    }
}

void HostServer::stop() {
    std::lock_guard stop_lock(stop_mutex_);
    if (stopped_) return;
    stopped_ = true;
    if (wake_write_ >= 0) {
        const char byte = 'x';
        // The byte stays unread, so every poller sees the pipe readable from now on.
        while (::write(wake_write_, &byte, 1) < 0 && errno == EINTR) {
        }
    }
    if (acceptor_.joinable()) acceptor_.join();
    {
        std::lock_guard lock(workers_mutex_);
        // Workers wait in their reads, or in sends to a PC that stopped reading, not on the wake pipe.
        for (auto& w : workers_) ::shutdown(w->fd, SHUT_RDWR);
        for (auto& w : workers_) {
            w->thread.join();
            ::close(w->fd);
        }
        workers_.clear();
    }
    for (int* fd : {&listen_fd_, &wake_read_, &wake_write_}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

int HostServer::save(std::string& error) {
    if (options_.save_file.empty()) return 0;
    std::lock_guard save_lock(save_mutex_);
    std::string text;
    {
        std::lock_guard lock(host_.mutex);
        text = fixture_text(host_.state);
    }
    if (text.empty() || !platform::write_file_atomically(options_.save_file, text)) {
        error = "cannot write " + options_.save_file;
        return 1;
    }
    return 0;
}

}  // namespace kestra::hostsim
