#include "archive/transfer_exchange.h"

#include <cstring>

#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"

namespace kestra::archive {

TransferExchange::Outcome TransferExchange::send(std::uint16_t code, std::string_view body) {
    release();
    char* at = session_.body();
    if (at == nullptr || body.size() > session_.data_limit()) return Outcome::unsendable;
    if (!body.empty()) std::memcpy(at, body.data(), body.size());
    const std::int16_t rc =
        session_.send_host_msg(hostlink::kKindAdmin, code, static_cast<std::uint16_t>(body.size()), true);
    if (rc != hostlink::kSuccess) {
        session_.release_host_msg();
        return Outcome::transport;
    }
    current_ = true;
    const char* data = session_.received_data();
    const std::size_t length = data != nullptr ? session_.received_length() : 0;
    if (length == 0) {
        // No status digit: the reply says nothing, which the caller reports as a failed exchange.
        release();
        return Outcome::transport;
    }
    reply_ = std::string_view(data + 1, length - 1);
    return data[0] == '0' ? Outcome::ok : Outcome::refused;
}

void TransferExchange::load_refusal(const char* failure) {
    const std::size_t queued = session_.diagnostics().size();
    session_.load_host_errors(reply_.data(), reply_.size());
    if (session_.diagnostics().size() == queued) session_.post_error(hostlink::kSqlGeneralFailure, failure);
}

void TransferExchange::release() {
    if (current_) session_.release_host_msg();
    current_ = false;
    reply_ = {};
}

}  // namespace kestra::archive
