#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace kestra::testing {

// A listening socket on 127.0.0.1 with a port the system picks. Connections complete through the backlog, so a
// test can open them first and accept afterwards on its own thread.
class LoopbackServer {
public:
    LoopbackServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 16) != 0) return;
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~LoopbackServer() {
        if (fd_ >= 0) ::close(fd_);
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t port() const { return port_; }

    // The next waiting connection, or -1 when none arrives in a generous while.
    int accept() const {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 10000) != 1) return -1;
        return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    }

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

inline bool send_all(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t w = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (w <= 0) return false;
        sent += static_cast<std::size_t>(w);
    }
    return true;
}

// Reads exactly n bytes; returns fewer when the peer closes or nothing comes for a generous while.
inline std::string recv_exact(int fd, std::size_t n) {
    std::string out;
    while (out.size() < n) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10000) != 1) break;
        char buf[4096];
        std::size_t want = n - out.size() < sizeof buf ? n - out.size() : sizeof buf;
        ssize_t r = ::recv(fd, buf, want, 0);
        if (r <= 0) break;
        out.append(buf, static_cast<std::size_t>(r));
    }
    return out;
}

// True when a read would not block (data waiting or the peer closed), checked without waiting.
inline bool readable_now(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
}

}  // namespace kestra::testing
