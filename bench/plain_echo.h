#pragma once

// The baseline of every line-bound benchmark: plain C sockets on loopback exchanging frames of the sizes the
// program's requests use (4 length digits and the data), with no translation, header parsing or buffering.
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

namespace kestra::bench {

// Answers every frame it reads with `replies` frames of `reply_length` data bytes, until the client goes away.
class PlainEchoServer {
public:
    // `fill` is every data byte of the reply.
    PlainEchoServer(std::size_t reply_length, std::size_t replies, char fill = 'R');
    ~PlainEchoServer();
    PlainEchoServer(const PlainEchoServer&) = delete;
    PlainEchoServer& operator=(const PlainEchoServer&) = delete;

    bool listening() const { return port_ != 0; }
    std::uint16_t port() const { return port_; }

private:
    void serve();

    int listen_fd_ = -1;
    std::uint16_t port_ = 0;
    std::vector<char> reply_;  // one whole frame
    std::size_t replies_;
    std::thread thread_;
};

class PlainClient {
public:
    explicit PlainClient(std::uint16_t port);
    ~PlainClient();
    PlainClient(const PlainClient&) = delete;
    PlainClient& operator=(const PlainClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    // Sends one frame of `length` data bytes (at most 9999).
    bool send_frame(std::size_t length);
    // Sends one frame carrying `data` (at most 9999 bytes).
    bool send_data(const char* data, std::size_t length);
    // Reads one whole frame; false on a short read or a bad length.
    bool receive_frame();
    // The data bytes of the frame last received.
    const char* received_data() const { return in_.data() + 4; }
    std::size_t received_length() const { return received_; }

private:
    int fd_ = -1;
    std::vector<char> out_;
    std::vector<char> in_;
    std::size_t received_ = 0;
};

// Reads exactly n bytes; false when the peer closed or failed first.
bool read_exact(int fd, char* p, std::size_t n);
bool write_all(int fd, const char* p, std::size_t n);

}  // namespace kestra::bench
