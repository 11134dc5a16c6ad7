#include "reply_session.h"

#include <cstdio>
#include <cstdlib>

#include "app/admin_app.h"
#include "memory_provider.h"

namespace kestra::fuzz {

namespace {

constexpr std::size_t kMaxReplies = 64;

}  // namespace

bool ReplySession::split(const std::uint8_t* data, std::size_t size, std::uint8_t& operation,
                         std::uint8_t& size_byte, std::string_view& replies) {
    if (size < 2) return false;
    operation = data[0];
    size_byte = data[1];
    replies = std::string_view(reinterpret_cast<const char*>(data + 2), size - 2);
    return true;
}

std::string ReplySession::host_message(char sequence, std::string_view data) {
    char header[16];
    std::snprintf(header, sizeof header, "#@!%c002013%04u", sequence, static_cast<unsigned>(data.size() % 10000));
    std::string message(header, hostlink::kHeaderLength);
    message.append(data);
    return message;
}

ReplySession::ReplySession(std::string_view replies, std::uint8_t size_byte) {
    MemoryProvider& provider = MemoryProvider::instance();
    provider.reset();
    app::admin_app() = app::CAdminApp();
    char sequence = '0';
    for (std::size_t pos = 0; pos <= replies.size() && provider.receives.size() < kMaxReplies;) {
        const std::size_t sep = replies.find(kReplySeparator, pos);
        const std::string_view piece = replies.substr(pos, sep == std::string_view::npos ? std::string_view::npos
                                                                                          : sep - pos);
        provider.receives.push_back(host_message(sequence, piece));
        sequence = sequence == '9' ? '0' : static_cast<char>(sequence + 1);
        if (sep == std::string_view::npos) break;
        pos = sep + 1;
    }
    session.set_provider(provider.table());
    session.set_connection(1);
    // From a tight 100 to the usual 1920 and beyond, so batching and bounds by the data limit are both reached.
    session.set_message_size(static_cast<std::uint16_t>(100 + size_byte * 8));
    session.set_timeouts(1, 1);
    if (session.alloc_host_msg_buffer() != hostlink::kSuccess) std::abort();
}

ReplySession::~ReplySession() {
    client.done();
    if (MemoryProvider::instance().outstanding != 0) std::abort();
    char state[6];
    char message[64];
    std::size_t length = 0;
    while (session.get_error(state, nullptr, message, sizeof message, &length) != hostlink::kNoDataFound) {
        if (length >= sizeof message && message[sizeof message - 1] != '\0') std::abort();
    }
    MemoryProvider::instance().reset();
}

void check_length(std::string_view text, std::size_t limit) {
    if (text.size() > limit) std::abort();
}

}  // namespace kestra::fuzz
