// Everything the host line delivers goes through receive_host_msg: control traffic, foreign and repeated messages,
// headers that lie about their length and error records must end in a message within what arrived or a
// diagnostic, never a read outside the provider's buffer or a hang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/admin_app.h"
#include "hostlink/control_sequences.h"
#include "hostlink/host_session.h"
#include "memory_provider.h"

namespace hl = kestra::hostlink;
using kestra::fuzz::MemoryProvider;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t mode = data[0];
    std::string_view in(reinterpret_cast<const char*>(data + 1), size - 1);

    // The pieces on their own, over exact-size copies.
    {
        std::string copy(in);
        const std::size_t skip = hl::strip_control_sequences(copy.data(), copy.size());
        if (skip > copy.size()) std::abort();
        hl::CHostSession errors;
        errors.load_host_errors(copy.data(), copy.size());
        std::size_t total = 0;
        for (const auto& d : errors.diagnostics()) total += d.text.size();
        if (total > copy.size()) std::abort();
    }

    // Messages are separated by "\n~\n" in the input: one received buffer each.
    MemoryProvider& provider = MemoryProvider::instance();
    provider.reset();
    for (std::size_t pos = 0; pos <= in.size() && provider.receives.size() < 64;) {
        std::size_t sep = in.find("\n~\n", pos);
        provider.receives.emplace_back(in.substr(pos, sep == std::string_view::npos ? std::string_view::npos : sep - pos));
        if (sep == std::string_view::npos) break;
        pos = sep + 3;
    }

    kestra::app::admin_app().non_host_msg_error = (mode & 1) != 0 ? 1 : 0;
    hl::CHostSession session;
    session.set_provider(provider.table());
    session.set_connection(1);
    session.set_message_size(static_cast<std::uint16_t>(14 + (mode >> 1) * 16));
    session.set_timeouts(1, 0);
    if (session.alloc_host_msg_buffer() != hl::kSuccess) std::abort();

    if ((mode & 2) != 0) {
        (void)session.get_host_version();
        if (std::string_view(session.host_version_text()).size() > hl::kHostVersionTextMax) std::abort();
    }
    for (int round = 0; round < 80; ++round) {
        const std::int16_t rc = session.receive_host_msg();
        if (rc != hl::kSuccess) {
            if (rc != hl::kError && rc != hl::kReceiveTimeout) std::abort();
            if (session.diagnostics().empty() && rc == hl::kError) std::abort();
            if (rc == hl::kReceiveTimeout) break;
            continue;
        }
        // The reply lies wholly inside the buffer the provider handed out.
        const char* begin = provider.held;
        const char* msg = session.received_data();
        if (begin == nullptr || msg == nullptr) std::abort();
        hl::ReplyCursor cursor = session.reply();
        std::string text;
        while (!cursor.at_end()) {
            const std::size_t before = cursor.remaining();
            (void)session.take_reply_status(cursor);
            (void)cursor.text(text);
            (void)cursor.number(4);
            if (cursor.remaining() >= before) break;
        }
        session.release_host_msg();
    }
    if (provider.outstanding != 0) std::abort();

    char state[6];
    char message[64];
    std::size_t length = 0;
    while (session.get_error(state, nullptr, message, sizeof message, &length) != hl::kNoDataFound) {
    }
    provider.reset();
    return 0;
}
