#include "archive/transfer_get.h"

#include <vector>

#include "app/wait_cursor.h"
#include "archive/archive_writer.h"
#include "archive/entry_header.h"
#include "archive/transfer_codec.h"
#include "archive/transfer_exchange.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"

namespace kestra::archive {

namespace {

// Holds the wait cursor and the status text for as long as one file moves.
class FileScope {
public:
    FileScope(const TransferCallbacks& callbacks, const std::string& text) : callbacks_(callbacks) {
        if (callbacks_.status) callbacks_.status(text);
        app::begin_wait_cursor();
    }
    ~FileScope() {
        app::end_wait_cursor();
        if (callbacks_.status) callbacks_.status(std::string());
    }
    FileScope(const FileScope&) = delete;
    FileScope& operator=(const FileScope&) = delete;

private:
    const TransferCallbacks& callbacks_;
};

}  // namespace

GetFilesTransfer::GetFilesTransfer(hostlink::CHostSession& session, ArchiveWriter& archive,
                                   TransferCallbacks callbacks)
    : session_(session), archive_(archive), callbacks_(std::move(callbacks)) {}

std::int16_t GetFilesTransfer::abandon() {
    // The bytes already written stay in the file, without a slot.
    archive_.abandon_entry();
    return hostlink::kError;
}

std::int16_t GetFilesTransfer::fail(std::uint16_t sqlstate_index, const std::string& text) {
    session_.post_error(sqlstate_index, text.c_str());
    return abandon();
}

void GetFilesTransfer::set_progress(int percent) {
    if (percent == progress_) return;
    progress_ = percent;
    if (callbacks_.progress) callbacks_.progress(percent);
}

std::int16_t GetFilesTransfer::get(const std::string& text) {
    if (text.empty()) return hostlink::kSuccess;
    if (text.front() == '@') return fetch_list(text.substr(1));
    return fetch_file(text);
}

std::int16_t GetFilesTransfer::fetch_list(const std::string& list_path) {
    std::vector<std::string> names;
    std::string error;
    if (!read_list_file(list_path, names, error)) {
        session_.post_error(hostlink::kSqlGeneralFailure, error.c_str());
        return hostlink::kError;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            if (callbacks_.between_files) callbacks_.between_files();
            // A stop asked for while the last file moved (or while the window repainted) ends the list here.
            if (callbacks_.should_stop()) return hostlink::kSuccess;
        }
        const std::int16_t rc = fetch_file(names[i]);
        if (rc != hostlink::kSuccess) return rc;
    }
    return hostlink::kSuccess;
}

std::int16_t GetFilesTransfer::fetch_file(const std::string& host_file_name) {
    const FileScope scope(callbacks_, "Getting file " + host_file_name + "(" + std::to_string(fetched_ + 1) + ")");
    progress_ = -1;

    // Everything that can be known before the first request is checked before it, so a refused file costs the
    // host nothing and the archive not a byte.
    std::string error;
    if (!archive_.check_room(error)) return fail(hostlink::kSqlGeneralFailure, error);
    if (!check_host_file_name(host_file_name, error)) return fail(hostlink::kSqlGeneralFailure, error);

    TransferExchange exchange(session_);
    const std::string first_body = encode_get_first_body(host_file_name);
    std::uint16_t code = kGetFileRequest;
    TransferExchange::Outcome outcome = exchange.send(code, first_body);
    if (outcome == TransferExchange::Outcome::refused && is_invalid_command_refusal(exchange.reply())) {
        code = kGetFileOldRequest;
        outcome = exchange.send(code, first_body);
    }
    switch (outcome) {
        case TransferExchange::Outcome::ok:
            break;
        case TransferExchange::Outcome::refused:
            exchange.load_refusal(kCannotGetFile);
            return abandon();
        case TransferExchange::Outcome::transport:
            return fail(hostlink::kSqlLinkFailure, kCannotGetFile);
        case TransferExchange::Outcome::unsendable:
            return fail(hostlink::kSqlGeneralFailure, kCannotGetFile);
    }

    EntryHeader header;
    header.name = host_file_name;
    std::string extra;
    if (!decode_get_first_reply(exchange.reply(), code == kGetFileRequest, extra, header.attributes, error)) {
        session_.post_error(hostlink::kSqlLinkFailure, kCannotGetFile);
        return fail(hostlink::kSqlGeneralFailure, error);
    }
    exchange.release();
    if (!archive_.begin_entry(header, extra, error)) return fail(hostlink::kSqlGeneralFailure, error);
    const std::uint64_t size = archive_.entry_size();
    set_progress(progress_percent(0, size));

    // Size 0 still takes one data request, which the host answers with no data.
    std::vector<std::uint8_t> bytes;
    bool asked = false;
    while (!asked || archive_.bytes_received() < size) {
        asked = true;
        switch (exchange.send(code, encode_get_data_body())) {
            case TransferExchange::Outcome::ok:
                break;
            case TransferExchange::Outcome::refused:
                exchange.load_refusal(kCannotGetFile);
                return abandon();
            case TransferExchange::Outcome::transport:
            case TransferExchange::Outcome::unsendable:
                return fail(hostlink::kSqlLinkFailure, kCannotGetFile);
        }
        // A reply with no bytes while bytes are due would loop for ever; bad digits would corrupt the file.
        if (!decode_get_data_reply(exchange.reply(), archive_.bytes_due(), bytes)) {
            return fail(hostlink::kSqlLinkFailure, kCannotGetFile);
        }
        exchange.release();
        if (!archive_.append_data(bytes, error)) return fail(hostlink::kSqlGeneralFailure, kCannotWriteArchive);
        set_progress(progress_percent(archive_.bytes_received(), size));
    }
    if (!archive_.commit_entry(error)) return fail(hostlink::kSqlGeneralFailure, kCannotWriteArchive);
    set_progress(100);
    ++fetched_;
    return hostlink::kSuccess;
}

}  // namespace kestra::archive
