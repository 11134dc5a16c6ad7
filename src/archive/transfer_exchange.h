#pragma once

#include <cstdint>
#include <string_view>

namespace kestra::hostlink {
class CHostSession;
}

namespace kestra::archive {

// One request of a file transfer over the window's session: the body goes into the message buffer, the request is
// sent with kind 2 and waited for, and the reply stays current until release() (or destruction). The first get
// request needs the refusal text itself, to spot the older host's "INVALID COMMAND", so host records are not
// queued here; load_refusal() does that when the caller decides to.
class TransferExchange {
public:
    enum class Outcome {
        ok,         // status 0: reply() is the text after the status digit
        refused,    // any other status: reply() is the host's error records
        transport,  // the send or the wait failed, or the reply had no status digit; nothing is current
        unsendable  // the body does not fit the session's data limit; nothing was sent
    };

    explicit TransferExchange(hostlink::CHostSession& session) : session_(session) {}
    ~TransferExchange() { release(); }
    TransferExchange(const TransferExchange&) = delete;
    TransferExchange& operator=(const TransferExchange&) = delete;

    Outcome send(std::uint16_t code, std::string_view body);
    std::string_view reply() const { return reply_; }
    // Queues the host's error records of a refusal; one that brings none queues index 3 with `failure`, so a
    // refusal is never silent.
    void load_refusal(const char* failure);
    void release();

private:
    hostlink::CHostSession& session_;
    std::string_view reply_;
    bool current_ = false;
};

}  // namespace kestra::archive
