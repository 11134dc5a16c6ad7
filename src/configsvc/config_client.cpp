#include "configsvc/config_client.h"

#include "app/wait_cursor.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"

namespace kestra::configsvc {

namespace {
constexpr std::uint8_t kKindAdmin = 2;
}

CConfigClient::~CConfigClient() { done(); }

BodyWriter CConfigClient::body() {
    char* at = session_.body();
    return BodyWriter(at != nullptr ? at : nullptr, at != nullptr ? session_.data_limit() : 0);
}

void CConfigClient::refuse(const char* failure) { session_.post_error(hostlink::kSqlGeneralFailure, failure); }

std::int16_t CConfigClient::request(std::uint16_t code, BodyWriter& body, Upper upper, const char* failure,
                                    ReplyReader& reply, const char* receive_error) {
    done();
    last_refused_ = false;
    if (!body.ok() || session_.body() == nullptr || body.length() > session_.data_limit()) {
        refuse(failure);
        return hostlink::kError;
    }
    if (upper == Upper::yes) body.upper_case();
    app::begin_wait_cursor();
    waiting_ = true;
    std::int16_t rc =
        session_.send_host_msg(kKindAdmin, code, static_cast<std::uint16_t>(body.length()), true);
    if (rc != hostlink::kSuccess) {
        session_.post_error(hostlink::kSqlLinkFailure, failure);
        session_.release_host_msg();
        app::end_wait_cursor();
        waiting_ = false;
        return rc;
    }
    reply_current_ = true;
    reply.reset(session_.received_data(), session_.received_length());
    if (reply.at_end()) {
        session_.post_error(hostlink::kSqlLinkFailure, receive_error != nullptr ? receive_error : failure);
        done();
        return hostlink::kError;
    }
    const char digit = reply.rest().front();
    reply.skip(1);
    const std::int16_t status = hostlink::CHostSession::map_host_status(digit);
    if (status != hostlink::kSuccess) {
        last_refused_ = true;
        const std::size_t queued = session_.diagnostics().size();
        session_.load_host_errors(reply.rest().data(), reply.remaining());
        if (status < 0 && session_.diagnostics().size() == queued) refuse(failure);
        done();
    }
    return status;
}

bool CConfigClient::next_message(ReplyReader& reply) {
    if (reply_current_) session_.release_host_msg();
    reply_current_ = false;
    if (session_.receive_host_msg() != hostlink::kSuccess) {
        reply.reset(nullptr, 0);
        return false;
    }
    reply_current_ = true;
    reply.reset(session_.received_data(), session_.received_length());
    return true;
}

void CConfigClient::done() {
    if (reply_current_) session_.release_host_msg();
    reply_current_ = false;
    if (waiting_) app::end_wait_cursor();
    waiting_ = false;
}

std::int16_t CConfigClient::simple_request(std::uint16_t code, BodyWriter& body, Upper upper, const char* failure) {
    ReplyReader reply;
    std::int16_t rc = request(code, body, upper, failure, reply);
    done();
    return rc;
}

std::int16_t CConfigClient::number_request(std::uint16_t code, BodyWriter& body, Upper upper, const char* failure,
                                           std::uint32_t& number, std::size_t width) {
    ReplyReader reply;
    std::int16_t rc = request(code, body, upper, failure, reply);
    if (rc == hostlink::kSuccess) {
        number = reply.number(width);
        if (reply.failed()) {
            // A reply too short for its number is not a success the caller could build on.
            session_.post_error(hostlink::kSqlLinkFailure, failure);
            rc = hostlink::kError;
        }
    }
    done();
    return rc;
}

ListReader::ListReader(CConfigClient& client, ReplyReader& reply, std::size_t count_width, const char* receive_error)
    : client_(client), reply_(reply), receive_error_(receive_error) {
    count_ = reply_.number(count_width);
    if (reply_.failed()) fail();
}

bool ListReader::next() {
    if (failed_ || read_ >= count_) return false;
    if (reply_.at_end()) {
        if (!client_.next_message(reply_) || reply_.at_end()) {
            fail();
            return false;
        }
    }
    ++read_;
    return true;
}

void ListReader::fail_entry() {
    if (read_ > 0) --read_;
    fail();
}

void ListReader::fail() {
    if (failed_) return;
    failed_ = true;
    hostlink::CHostSession& s = client_.session();
    s.post_error(hostlink::kSqlLinkFailure, receive_error_);
    // Whatever of the list is still on its way must not be taken as the answer to the next request.
    s.mark_out_of_step();
}

}  // namespace kestra::configsvc
