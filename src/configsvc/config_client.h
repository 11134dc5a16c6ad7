#pragma once

#include <cstdint>
#include <string>

#include "configsvc/body_writer.h"
#include "configsvc/reply_reader.h"

namespace kestra::hostlink {
class CHostSession;
}

namespace kestra::configsvc {

enum class Upper { no, yes };

// The common path of every configuration request on one document's session: build the body in the message
// buffer, upper-case it when the request says so, send with kind 2 and wait, read the status digit, queue the
// host's error records, and release the reply when the caller is done with it.
class CConfigClient {
public:
    explicit CConfigClient(hostlink::CHostSession& session) : session_(session) {}
    CConfigClient(const CConfigClient&) = delete;
    CConfigClient& operator=(const CConfigClient&) = delete;
    ~CConfigClient();

    hostlink::CHostSession& session() { return session_; }

    // A writer over the session's message buffer, bounded by the data limit.
    BodyWriter body();

    // Sends the body as request `code`. A body the writer refused is never sent: index 3 with `failure`, -1.
    // A failed send or wait posts index 13 with `failure`; a reply without a status digit posts index 13 with
    // `receive_error` (`failure` when none is given). A non-zero status queues the host's records and is returned;
    // a refusal that brings no records posts index 3 with `failure`, so no failure goes unexplained. On 0 the reply
    // is current, `reply` stands after the status digit, and the caller calls done() when it has read what it
    // needs.
    std::int16_t request(std::uint16_t code, BodyWriter& body, Upper upper, const char* failure, ReplyReader& reply,
                         const char* receive_error = nullptr);
    // Releases the current reply (safe to call when none is current).
    void done();

    // A request whose reply carries nothing the caller needs.
    std::int16_t simple_request(std::uint16_t code, BodyWriter& body, Upper upper, const char* failure);
    // A request whose reply is a single N(width) right after the status digit.
    std::int16_t number_request(std::uint16_t code, BodyWriter& body, Upper upper, const char* failure,
                                std::uint32_t& number, std::size_t width = 4);

    // Releases the current reply and waits for the next message of the same reply; false when none came (the
    // receive has queued its own record and nothing is current).
    bool next_message(ReplyReader& reply);

    // Posts index 3 with the failure message: for checks made before anything is sent.
    void refuse(const char* failure);

    // Whether the last request's failure was the host's answer (a status digit other than success) rather than
    // a failure to send, to receive or to build the body. Windows treat a refusal as final and a link failure as
    // something that may pass.
    bool last_refused() const { return last_refused_; }

private:
    hostlink::CHostSession& session_;
    bool reply_current_ = false;
    bool waiting_ = false;
    bool last_refused_ = false;
};

// Reads a list reply that may run over several messages: after the count, whole entries; when entries are still
// due and the current message is used up, the next message is received and reading goes on at its start. An entry
// never spans two messages.
class ListReader {
public:
    // Reads the N(count_width) count at the reply's position.
    ListReader(CConfigClient& client, ReplyReader& reply, std::size_t count_width, const char* receive_error);

    std::uint32_t count() const { return count_; }
    std::uint32_t read() const { return read_; }
    // True when another entry is due and the reply stands at it. False when every entry was read, or when a
    // continuation could not be received (failed(): the receive-error message is queued and the session will
    // drain the line before its next request).
    bool next();
    // The entry just read was cut short by the end of its message: a receive error, and the list ends.
    void fail_entry();
    bool failed() const { return failed_; }
    ReplyReader& reply() { return reply_; }

private:
    void fail();

    CConfigClient& client_;
    ReplyReader& reply_;
    const char* receive_error_;
    std::uint32_t count_ = 0;
    std::uint32_t read_ = 0;
    bool failed_ = false;
};

}  // namespace kestra::configsvc
