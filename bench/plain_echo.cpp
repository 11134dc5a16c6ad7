#include "plain_echo.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace kestra::bench {

namespace {

constexpr std::size_t kHead = 4;
constexpr std::size_t kMaxData = 9999;

void put_length(char* out, std::size_t n) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04zu", n % 10000);
    for (std::size_t i = 0; i < kHead; ++i) out[i] = digits[i];
}

// The 4 length digits, or SIZE_MAX when they are not digits.
std::size_t get_length(const char* in) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < kHead; ++i) {
        if (in[i] < '0' || in[i] > '9') return SIZE_MAX;
        n = n * 10 + static_cast<std::size_t>(in[i] - '0');
    }
    return n;
}

}  // namespace

bool read_exact(int fd, char* p, std::size_t n) {
    while (n > 0) {
        ssize_t r = ::recv(fd, p, n, 0);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

bool write_all(int fd, const char* p, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::send(fd, p, n, MSG_NOSIGNAL);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

PlainEchoServer::PlainEchoServer(std::size_t reply_length, std::size_t replies, char fill)
    : reply_(kHead + std::min(reply_length, kMaxData), fill), replies_(replies) {
    put_length(reply_.data(), reply_.size() - kHead);
    listen_fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listen_fd_ < 0) return;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listen_fd_, 1) != 0 ||
        ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        ::close(listen_fd_);
        listen_fd_ = -1;
        return;
    }
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { serve(); });
}

PlainEchoServer::~PlainEchoServer() {
    // The client closes first, which ends serve(); a server nobody connected to is woken by shutting it down.
    if (listen_fd_ >= 0) ::shutdown(listen_fd_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    if (listen_fd_ >= 0) ::close(listen_fd_);
}

void PlainEchoServer::serve() {
    int fd = ::accept(listen_fd_, nullptr, nullptr);
    if (fd < 0) return;
    std::vector<char> in(kHead + kMaxData);
    for (;;) {
        if (!read_exact(fd, in.data(), kHead)) break;
        std::size_t n = get_length(in.data());
        if (n > kMaxData || !read_exact(fd, in.data() + kHead, n)) break;
        bool ok = true;
        for (std::size_t i = 0; i < replies_ && ok; ++i) ok = write_all(fd, reply_.data(), reply_.size());
        if (!ok) break;
    }
    ::close(fd);
}

PlainClient::PlainClient(std::uint16_t port) : out_(kHead + kMaxData, 'Q'), in_(kHead + kMaxData) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd_ < 0) return;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

PlainClient::~PlainClient() {
    if (fd_ >= 0) ::close(fd_);
}

bool PlainClient::send_frame(std::size_t length) {
    if (fd_ < 0 || length > kMaxData) return false;
    put_length(out_.data(), length);
    return write_all(fd_, out_.data(), kHead + length);
}

bool PlainClient::send_data(const char* data, std::size_t length) {
    if (fd_ < 0 || length > kMaxData) return false;
    put_length(out_.data(), length);
    std::copy(data, data + length, out_.data() + kHead);
    return write_all(fd_, out_.data(), kHead + length);
}

bool PlainClient::receive_frame() {
    received_ = 0;
    if (fd_ < 0 || !read_exact(fd_, in_.data(), kHead)) return false;
    std::size_t n = get_length(in_.data());
    if (n > kMaxData || !read_exact(fd_, in_.data() + kHead, n)) return false;
    received_ = n;
    return true;
}

}  // namespace kestra::bench
