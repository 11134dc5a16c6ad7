#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "configsvc/config_client.h"
#include "hostlink/host_session.h"

namespace kestra::fuzz {

// Separates the replies of one input: each piece becomes the data of one host message.
inline constexpr char kReplySeparator = '\x1e';

// The common frame of the reply-decoder targets. The input is an operation byte, a size byte and then the data of
// the host's reply messages separated by kReplySeparator; each is handed out through the in-memory provider with a
// proper header and the next sequence character, so the decoders see exactly the bytes of the input. The session
// is logged in to nothing and never waits: an empty queue is a receive time-out.
class ReplySession {
public:
    // False when the input is too short to name an operation.
    static bool split(const std::uint8_t* data, std::size_t size, std::uint8_t& operation, std::uint8_t& size_byte,
                      std::string_view& replies);

    ReplySession(std::string_view replies, std::uint8_t size_byte);
    // Checks that every received buffer went back to the provider and that the diagnostics read out.
    ~ReplySession();
    ReplySession(const ReplySession&) = delete;
    ReplySession& operator=(const ReplySession&) = delete;

    // A whole host message of kind 2 around `data`.
    static std::string host_message(char sequence, std::string_view data);

    hostlink::CHostSession session;
    configsvc::CConfigClient client{session};
};

// Aborts when `text` is longer than `limit`: what a decoder stores must stay within the field it came in.
void check_length(std::string_view text, std::size_t limit);

}  // namespace kestra::fuzz
