#include "host_test_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "tavlink/frame.h"

namespace kestra::testing {

HostTestClient::HostTestClient(int port, bool plain)
    : tables_(plain ? tavlink::identity_tables() : tavlink::builtin_tables()) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return;
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
}

HostTestClient::~HostTestClient() {
    if (fd_ >= 0) ::close(fd_);
}

bool HostTestClient::send_frame(std::string_view data) {
    std::string out(4 + data.size(), '\0');
    if (!tavlink::encode_frame_header(data.size(), tables_.pc_to_host, out.data())) return false;
    tavlink::translate(tables_.pc_to_host, data.data(), out.data() + 4, data.size());
    std::size_t sent = 0;
    while (sent < out.size()) {
        const ssize_t r = ::send(fd_, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (r <= 0) return false;
        sent += static_cast<std::size_t>(r);
    }
    return true;
}

bool HostTestClient::send_raw(std::string_view bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t r = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (r <= 0) return false;
        sent += static_cast<std::size_t>(r);
    }
    return true;
}

bool HostTestClient::read_raw(std::size_t n, std::string& bytes) {
    bytes.assign(n, '\0');
    return read_exact(bytes.data(), n, 10000);
}

bool HostTestClient::send_request(int kind, int code, std::string_view body) {
    char header[15];
    std::snprintf(header, sizeof header, "#@!%c00%1d%03d%04zu", sequence_, kind, code, body.size());
    sequence_ = sequence_ == '9' ? '0' : static_cast<char>(sequence_ + 1);
    return send_frame(std::string(header) + std::string(body));
}

bool HostTestClient::read_exact(char* data, std::size_t n, int wait_ms) {
    std::size_t got = 0;
    while (got < n) {
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, wait_ms);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t r = ::recv(fd_, data + got, n - got, 0);
        if (r <= 0) return false;
        got += static_cast<std::size_t>(r);
    }
    return true;
}

bool HostTestClient::read_frame(std::string& data, int wait_ms) {
    char header[4];
    if (!read_exact(header, 4, wait_ms)) return false;
    const std::size_t n = tavlink::decode_frame_header(header, tables_.host_to_pc);
    data.assign(n, '\0');
    if (n > 0 && !read_exact(data.data(), n, wait_ms)) return false;
    tavlink::translate_in_place(tables_.host_to_pc, data.data(), n);
    return true;
}

bool HostTestClient::wait_closed(int wait_ms) {
    char buffer[256];
    while (true) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, wait_ms) <= 0) return false;
        const ssize_t r = ::recv(fd_, buffer, sizeof buffer, 0);
        if (r <= 0) return true;
    }
}

bool HostTestClient::parse(const std::string& frame, Message& message) {
    if (frame.size() < 14 || frame.compare(0, 3, "#@!") != 0) return false;
    message.sequence = frame[3];
    message.kind = frame[6] - '0';
    message.code = std::stoi(frame.substr(7, 3));
    message.declared = static_cast<std::size_t>(std::stoul(frame.substr(10, 4)));
    message.data = frame.substr(14);
    return true;
}

bool HostTestClient::read_message(Message& message) {
    std::string frame;
    return read_frame(frame) && parse(frame, message);
}

bool HostTestClient::request(int kind, int code, std::string_view body, Message& reply) {
    return send_request(kind, code, body) && read_message(reply);
}

bool HostTestClient::login(const std::string& user, const std::string& password, int size) {
    Message reply;
    if (!request(0, 0, "", reply)) return false;
    char head[7];
    std::snprintf(head, sizeof head, "1%05d", size);
    std::string body = std::string(head) + user;
    if (!password.empty()) body += "/" + password;
    body += ".";
    return request(0, 4, body, reply) && !reply.data.empty() && reply.data[0] == '0';
}

}  // namespace kestra::testing
