#include "archive/transfer_exchange.h"

#include <cstring>

#include "hostlink/host_session.h"

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
    const char digit = length > 0 ? data[0] : '\0';
    reply_ = length > 0 ? std::string_view(data + 1, length - 1) : std::string_view();
    return digit == '0' ? Outcome::ok : Outcome::refused;
}

void TransferExchange::load_refusal() { session_.load_host_errors(reply_.data(), reply_.size()); }

void TransferExchange::release() {
    if (current_) session_.release_host_msg();
    current_ = false;
    reply_ = {};
}

}  // namespace kestra::archive
