#include "host_connection.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <mutex>

#include "tavlink/frame.h"

namespace kestra::hostsim {
namespace {

std::mutex log_mutex;

}  // namespace

HostConnection::HostConnection(int fd, int wake_fd, SharedHost& host, const HandlerTable& handlers,
                               const ServerOptions& options, const WireTables& tables,
                               std::function<void()> request_save)
    : fd_(fd),
      wake_fd_(wake_fd),
      host_(host),
      handlers_(handlers),
      options_(options),
      tables_(tables),
      request_save_(std::move(request_save)) {
    session_.message_size = static_cast<std::size_t>(options.default_message_size);
}

void HostConnection::log(const std::string& line) const {
    if (!options_.verbose) return;
    std::lock_guard lock(log_mutex);
    std::cerr << "kestra-hostsim[" << fd_ << "]: " << line << '\n';
}

bool HostConnection::read_exact(char* data, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        // A plain blocking read: a stopping server shuts every connection's socket down, which ends the wait, so
        // no poll of the wake pipe is needed first. That poll was a system call per request, which made the host
        // the slower end of a round trip.
        const ssize_t r = ::recv(fd_, data + got, n - got, 0);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        got += static_cast<std::size_t>(r);
    }
    return true;
}

HostConnection::ReadResult HostConnection::read_frame(std::string& data) {
    char header[tavlink::kFrameHeaderSize];
    if (!read_exact(header, sizeof header)) return ReadResult::closed;
    // decode_frame_header reads at most 4 digits, so the length can never pass 9999.
    const std::size_t length = tavlink::decode_frame_header(header, tables_.decode);
    data.assign(length, '\0');
    if (length > 0 && !read_exact(data.data(), length)) return ReadResult::closed;
    tavlink::translate_in_place(tables_.decode, data.data(), data.size());
    return ReadResult::frame;
}

bool HostConnection::write_frame(std::string_view data) {
    if (data.size() > tavlink::kMaxFrameLength) {
        log("frame of " + std::to_string(data.size()) + " bytes not sent: too long");
        return false;
    }
    std::string out(tavlink::kFrameHeaderSize + data.size(), '\0');
    tavlink::encode_frame_header(data.size(), tables_.encode, out.data());
    tavlink::translate(tables_.encode, data.data(), out.data() + tavlink::kFrameHeaderSize, data.size());
    std::size_t sent = 0;
    while (sent < out.size()) {
        const ssize_t r = ::send(fd_, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        sent += static_cast<std::size_t>(r);
    }
    return true;
}

// Sleeps, but wakes at once when the server stops; false then.
bool HostConnection::pause(int milliseconds) {
    pollfd wake{wake_fd_, POLLIN, 0};
    while (true) {
        const int n = ::poll(&wake, 1, milliseconds);
        if (n < 0 && errno == EINTR) continue;
        return n == 0;
    }
}

bool HostConnection::run_script_dialogue() {
    if (!write_frame(options_.script_greeting) || !write_frame(options_.script_prompt)) return false;
    std::string line;
    if (read_frame(line) != ReadResult::frame) return false;
    log("script reply \"" + line + "\"");
    if (!options_.script_expect.empty() && line.find(options_.script_expect) == std::string::npos) {
        write_frame(options_.script_reject);
        return false;
    }
    return write_frame(options_.script_accept);
}

// Half of the frame's bytes (length digits included) go out; the rest never does.
void HostConnection::send_half_frame(std::string_view message) {
    std::string out(tavlink::kFrameHeaderSize + message.size(), '\0');
    tavlink::encode_frame_header(message.size(), tables_.encode, out.data());
    tavlink::translate(tables_.encode, message.data(), out.data() + tavlink::kFrameHeaderSize, message.size());
    const std::size_t half = out.size() / 2;
    std::size_t sent = 0;
    while (sent < half) {
        const ssize_t r = ::send(fd_, out.data() + sent, half - sent, MSG_NOSIGNAL);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        sent += static_cast<std::size_t>(r);
    }
}

bool HostConnection::send_cut_frame(std::string_view message) {
    send_half_frame(message);
    return false;
}

// Half a frame, then silence with the line kept open: what the PC receives next is read away unanswered until it
// closes the connection or the server stops (which shuts the socket down).
bool HostConnection::send_stalled_frame(std::string_view message) {
    send_half_frame(message);
    char sink[512];
    for (;;) {
        const ssize_t r = ::recv(fd_, sink, sizeof sink, 0);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
    }
}

bool HostConnection::send_reply(int kind, int code, std::string_view body, int received, const Reply& handled) {
    if (handled.messages.empty()) return true;
    // The replies that say nothing: no status digit at all, or a refusal that gives no reason.
    Reply bare;
    const bool no_status = options_.no_status_after && received == *options_.no_status_after + 1;
    const bool bare_refusal = options_.bare_refusal_after && received == *options_.bare_refusal_after + 1;
    if (no_status || bare_refusal) {
        log(no_status ? "replying without a status digit" : "refusing without an error record");
        bare.messages.push_back(no_status ? "" : "2");
    }
    const Reply& reply = no_status || bare_refusal ? bare : handled;
    const bool faulty = received > options_.faults_after;
    if (options_.delay_ms > 0 && faulty && !pause(options_.delay_ms)) return false;
    if (options_.foreign && !write_frame(kForeignMessage)) return false;
    const bool cut_frame = options_.cut_frame_after && received == *options_.cut_frame_after + 1;
    const bool cut_list = options_.cut_list_after && received == *options_.cut_list_after + 1;
    const bool stall_frame = options_.stall_frame_after && received == *options_.stall_frame_after + 1;
    const bool file_data = kind == 2 && (code == 57 || code == 49) && body == "0";
    for (const auto& data : reply.messages) {
        std::string payload = data;
        if (options_.extra_file_data && file_data && !payload.empty() && payload[0] == '0') {
            const std::size_t limit = std::max(session_.message_size, kHeaderSize + 1) - kHeaderSize;
            const std::size_t room = limit > payload.size() ? (limit - payload.size()) / 2 : 0;
            payload.append(2 * std::min(room, kExtraFileBytes), 'A');
        }
        if (kHeaderSize + payload.size() > std::max(session_.message_size, kHeaderSize + 1)) {
            // A handler must never build this; refusing keeps the PC's buffer safe all the same.
            log("reply to " + std::to_string(kind) + "/" + std::to_string(code) + " too large, refused");
            payload = refusal_data('2', {ErrorRecord{3, "[Kestra]REPLY TOO LARGE FOR MESSAGE SIZE"}});
        }
        const std::size_t declared =
            options_.oversize_header && faulty && kind == 2 ? payload.size() + kOversizeExtra : payload.size();
        std::string message = build_message(sequence_, kind, code, payload, std::min(declared, kMaxDataLength));
        if (options_.control_prefix) message.insert(0, kControlPrefix);
        if (cut_frame) {
            log("cutting the reply frame short and closing");
            return send_cut_frame(message);
        }
        if (stall_frame) {
            log("stalling in the middle of the reply frame");
            return send_stalled_frame(message);
        }
        if (options_.overlong_frame && faulty && kind == 2) message.resize(tavlink::kMaxFrameLength, ' ');
        if (!write_frame(message)) return false;
        if (options_.repeat && !write_frame(message)) return false;
        sequence_ = sequence_ == '9' ? '0' : static_cast<char>(sequence_ + 1);
        if (cut_list) {
            log("closing after the first message of a reply");
            return false;
        }
    }
    return true;
}

void HostConnection::run() {
    log("connected");
    if (options_.script_dialogue && !run_script_dialogue()) {
        log("script dialogue failed");
        return;
    }
    int received = 0;
    std::string frame;
    while (read_frame(frame) == ReadResult::frame) {
        RequestHeader header;
        std::string_view body;
        const HeaderStatus status = parse_request(frame, header, body);
        if (status == HeaderStatus::not_host_message || status == HeaderStatus::bad_header) {
            log("ignored a frame that is not a host request (" + std::to_string(frame.size()) + " bytes)");
            continue;
        }
        ++received;
        host_.requests.add(header.kind, header.code, body);
        if (options_.drop_after && received > *options_.drop_after) {
            log("dropping the connection after " + std::to_string(*options_.drop_after) + " messages");
            return;
        }
        log("request " + std::to_string(header.kind) + "/" + std::to_string(header.code) + " length " +
            std::to_string(header.length));
        Reply reply;
        if (status == HeaderStatus::length_past_frame) {
            reply.refuse(13, "[Kestra]MESSAGE LENGTH EXCEEDS DATA RECEIVED");
        } else {
            RequestContext context{host_, session_, options_, request_save_};
            dispatch_request(handlers_, context, header.kind, header.code, body, reply);
        }
        if (!send_reply(header.kind, header.code, body, received, reply)) break;
    }
    log("disconnected");
}

}  // namespace kestra::hostsim
