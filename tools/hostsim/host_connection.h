#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "request_handlers.h"
#include "server_options.h"
#include "tavlink/translate_table.h"

namespace kestra::hostsim {

// The two directions as the host sees them: it decodes what the PC translated with its
// PC-to-host table, and encodes through that same table.
struct WireTables {
    tavlink::Table decode;
    tavlink::Table encode;
};

// One PC on one socket, served on its own thread until the PC closes, the line fails, a fault
// switch drops it, or the server stops (wake_fd becomes readable).
class HostConnection {
public:
    HostConnection(int fd, int wake_fd, SharedHost& host, const HandlerTable& handlers, const ServerOptions& options,
                   const WireTables& tables, std::function<void()> request_save);

    void run();

private:
    enum class ReadResult { frame, closed };

    bool read_exact(char* data, std::size_t n);
    ReadResult read_frame(std::string& data);
    bool write_frame(std::string_view data);
    bool pause(int milliseconds);
    bool run_script_dialogue();
    // `received` counts the request messages so far, this one included; `body` is the request's.
    bool send_reply(int kind, int code, std::string_view body, int received, const Reply& reply);
    // The fault switches that cut a reply short: false once the connection is to close.
    bool send_cut_frame(std::string_view message);
    bool send_stalled_frame(std::string_view message);
    void send_half_frame(std::string_view message);
    void log(const std::string& line) const;

    int fd_;
    int wake_fd_;
    SharedHost& host_;
    const HandlerTable& handlers_;
    const ServerOptions& options_;
    const WireTables& tables_;
    std::function<void()> request_save_;
    SessionState session_;
    char sequence_ = '0';
};

// Terminal control traffic put in front of replies by --control-prefix: a CR LF, a three-byte
// escape sequence and a bell, all of which the PC strips.
inline constexpr std::string_view kControlPrefix{"\r\n\x1b$A\x07", 6};
// Sent ahead of replies by --foreign: no "#@!", so the PC does not take it for a host message.
inline constexpr std::string_view kForeignMessage{"BNA NOTICE: SYSTEM OPERATOR MESSAGE"};
// Extra data bytes that --oversize-header claims beyond what is sent.
inline constexpr std::size_t kOversizeExtra = 50;
// File bytes that --extra-file-data adds to a data reply with room for them.
inline constexpr std::size_t kExtraFileBytes = 16;

}  // namespace kestra::hostsim
