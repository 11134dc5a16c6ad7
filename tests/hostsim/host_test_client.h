#pragma once

#include <string>
#include <string_view>

#include "tavlink/translate_table.h"

namespace kestra::testing {

// The PC's end of the line, written plainly for tests: Tavlink framing and translation, and the
// 14-character message header, nothing else.
class HostTestClient {
public:
    explicit HostTestClient(int port, bool plain = false);
    ~HostTestClient();
    HostTestClient(const HostTestClient&) = delete;
    HostTestClient& operator=(const HostTestClient&) = delete;

    bool connected() const { return fd_ >= 0; }

    bool send_frame(std::string_view data);
    // Bytes exactly as given, and exactly n bytes as received: no framing, no translation.
    bool send_raw(std::string_view bytes);
    bool read_raw(std::size_t n, std::string& bytes);
    // Sends a request with the next sequence character of this client.
    bool send_request(int kind, int code, std::string_view body);
    // One frame's data after translation. False when the line closed, or as a safety net when
    // nothing came for wait_ms.
    bool read_frame(std::string& data, int wait_ms = 10000);
    // True when the host closed the line (after skipping anything still in flight).
    bool wait_closed(int wait_ms = 10000);

    struct Message {
        char sequence = ' ';
        int kind = -1;
        int code = -1;
        std::size_t declared = 0;
        std::string data;   // the data after the header, as much as the frame held
    };
    static bool parse(const std::string& frame, Message& message);

    // Sends a request and reads the one message that answers it.
    bool request(int kind, int code, std::string_view body, Message& reply);
    bool read_message(Message& message);
    // Version, then login with the given size; true when the login was granted.
    bool login(const std::string& user, const std::string& password, int size = 1920);

private:
    bool read_exact(char* data, std::size_t n, int wait_ms);

    int fd_ = -1;
    tavlink::TranslateTables tables_;
    char sequence_ = '9';
};

}  // namespace kestra::testing
