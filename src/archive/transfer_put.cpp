#include "archive/transfer_put.h"

#include <algorithm>
#include <string>

#include "app/wait_cursor.h"
#include "archive/archive_reader.h"
#include "archive/transfer_codec.h"
#include "archive/transfer_exchange.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"

namespace kestra::archive {

PutFilesTransfer::PutFilesTransfer(hostlink::CHostSession& session, ArchiveReader& archive,
                                   TransferCallbacks callbacks)
    : session_(session), archive_(archive), callbacks_(std::move(callbacks)) {}

std::int16_t PutFilesTransfer::fail(std::uint16_t sqlstate_index, const char* text) {
    session_.post_error(sqlstate_index, text);
    return hostlink::kError;
}

void PutFilesTransfer::set_progress(int percent) {
    if (percent == progress_) return;
    progress_ = percent;
    if (callbacks_.progress) callbacks_.progress(percent);
}

std::int16_t PutFilesTransfer::send_entries(const std::vector<std::size_t>& selected) {
    std::vector<std::size_t> order = selected;
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end()), order.end());
    sent_.clear();
    std::int16_t rc = hostlink::kSuccess;
    for (std::size_t index : order) {
        if (!sent_.empty() && callbacks_.should_stop()) break;
        rc = send_entry(index);
        if (rc != hostlink::kSuccess) break;
        sent_.push_back(index);
    }
    set_progress(-1);
    return rc;
}

std::int16_t PutFilesTransfer::send_entry(std::size_t index) {
    set_progress(-1);
    std::string error;
    if (!archive_.check_sendable(index, error)) return fail(hostlink::kSqlGeneralFailure, error.c_str());
    const ArchiveEntry& entry = archive_.entries()[index];
    if (callbacks_.status) callbacks_.status("Sending file " + entry.header.name);

    struct Scope {
        const TransferCallbacks& callbacks;
        bool done = false;
        explicit Scope(const TransferCallbacks& c) : callbacks(c) { app::begin_wait_cursor(); }
        ~Scope() {
            app::end_wait_cursor();
            // The name stays up after a failure, so the user sees which file it was.
            if (done && callbacks.status) callbacks.status(std::string());
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    } scope(callbacks_);

    const std::uint64_t size = entry.size;
    const std::size_t chunk = put_chunk_size(session_.data_limit());
    if (size > 0 && chunk == 0) return fail(hostlink::kSqlGeneralFailure, kCannotPutFile);

    TransferExchange exchange(session_);
    auto exchange_ok = [&](std::string_view body) {
        switch (exchange.send(kPutFileRequest, body)) {
            case TransferExchange::Outcome::ok:
                exchange.release();
                return true;
            case TransferExchange::Outcome::refused:
                exchange.load_refusal(kCannotPutFile);
                exchange.release();
                return false;
            case TransferExchange::Outcome::transport:
                fail(hostlink::kSqlLinkFailure, kCannotPutFile);
                return false;
            case TransferExchange::Outcome::unsendable:
                fail(hostlink::kSqlGeneralFailure, kCannotPutFile);
                return false;
        }
        return false;
    };

    const bool with_extra = archive_.header().has_extra_blocks();
    if (!exchange_ok(encode_put_first_body(entry.header.name, entry.header.attributes, entry.extra, with_extra))) {
        return hostlink::kError;
    }
    set_progress(progress_percent(0, size));

    // A file of size 0 is complete after one data request carrying no data.
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(chunk, size)));
    std::uint64_t sent = 0;
    do {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, size - sent));
        const std::span<std::uint8_t> part(buffer.data(), n);
        if (n > 0 && !archive_.read_data(index, sent, part, error)) {
            return fail(hostlink::kSqlGeneralFailure, kCannotReadArchive);
        }
        if (!exchange_ok(encode_put_data_body(part))) return hostlink::kError;
        sent += n;
        set_progress(progress_percent(sent, size));
    } while (sent < size);
    scope.done = true;
    return hostlink::kSuccess;
}

}  // namespace kestra::archive
