#include "hostlink/host_session.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "app/admin_app.h"
#include "app/trace.h"
#include "app/ui_hooks.h"
#include "hostlink/host_number.h"
#include "hostlink/sqlstate.h"

namespace kestra::hostlink {

namespace {

constexpr char kPrefix[] = "[Brisel Software][Kestra ODBC Driver]";
constexpr char kMessageMark[] = "#@!";
constexpr std::size_t kForeignTextMax = 64;
// A provider that never runs dry must not hold the flush forever.
constexpr int kFlushLimit = 10000;

}  // namespace

// --- Messages ---

std::int16_t CHostSession::send_host_msg(std::uint8_t kind, std::uint16_t code, std::uint16_t length, bool wait) {
    if (out_of_step_) {
        flush_host_msgs();
        out_of_step_ = false;
    }
    if (buffer_.size() < kHeaderLength || provider_.transmit_buffer == nullptr || length > data_limit()) {
        post_error(kSqlLinkFailure, "Transmit error in send_host_msg");
        return kError;
    }
    char* msg = buffer_.data();
    put_number(msg + 4, station_, 2);
    put_number(msg + 6, kind, 1);
    put_number(msg + 7, code, 3);
    put_number(msg + 10, length, 4);
    const std::int16_t rc = provider_.transmit_buffer(
        connection_, msg, static_cast<std::uint16_t>(length + kHeaderLength), transmit_timeout_);
    // The sequence runs on whether or not the transmission worked.
    msg[3] = (msg[3] >= '0' && msg[3] < '9') ? static_cast<char>(msg[3] + 1) : '0';
    if (rc != 0) {
        post_error(kSqlLinkFailure, "Transmit error in send_host_msg");
        return kError;
    }
    if (!wait) return kSuccess;
    const std::int16_t received = receive_host_msg();
    return received == kReceiveTimeout ? kError : received;
}

std::int16_t CHostSession::receive_host_msg() {
    for (;;) {
        if (provider_.get_received_buffer == nullptr) {
            post_error(kSqlLinkFailure, "Error waiting for host message");
            return kError;
        }
        char* data = nullptr;
        std::uint16_t delivered = 0;
        const std::int16_t rc = provider_.get_received_buffer(connection_, &data, &delivered, receive_timeout_);
        if (rc == kNeedData) {
            if (receive_timeout_ > 0) {
                post_error(kSqlLinkFailure, "Timeout waiting for host message");
                receive_timeout_ = kReceiveTimeoutAfterTimeout;
            }
            // The reply may still come; it must not be taken for the answer to the next request.
            out_of_step_ = true;
            return kReceiveTimeout;
        }
        if (rc != 0) {
            post_error(kSqlLinkFailure, "Error waiting for host message");
            return kError;
        }
        const std::size_t length = data != nullptr ? delivered : 0;
        const std::size_t skipped = strip_control_sequences(data, length);
        const char* msg = data + skipped;
        const std::size_t avail = length - skipped;

        if (avail == 0) {
            release_host_msg();
            if (app::tracing()) app::write_trace("skip control message");
            continue;
        }
        if (avail < 3 || std::memcmp(msg, kMessageMark, 3) != 0) {
            if (app::admin_app().non_host_msg_error != 0) {
                std::string text(msg, avail < kForeignTextMax ? avail : kForeignTextMax);
                text.resize(std::strlen(text.c_str()));
                release_host_msg();
                post_errorf(kSqlLinkFailure, "Non Kestra message received from host->%s", text.c_str());
                return kError;
            }
            release_host_msg();
            continue;
        }
        if (avail < kHeaderLength) {
            release_host_msg();
            post_error(kSqlLinkFailure, "Error waiting for host message");
            return kError;
        }
        const char sequence = msg[3];
        if (sequence == last_sequence_) {
            release_host_msg();
            continue;
        }
        last_sequence_ = sequence;
        last_kind_ = static_cast<std::uint8_t>(get_number(msg + 6, 1, 1));
        last_code_ = static_cast<std::uint16_t>(get_number(msg + 7, 3, 3));
        if (last_kind_ == kKindAdmin && last_code_ == 0) {
            release_host_msg();
            continue;
        }
        // The header's length, not the provider's count, is the data length; it must lie within what came.
        const std::uint32_t data_length = get_number(msg + 10, 4, 4);
        if (data_length > avail - kHeaderLength) {
            release_host_msg();
            post_error(kSqlLinkFailure, "Error waiting for host message");
            return kError;
        }
        received_length_ = static_cast<std::uint16_t>(data_length);
        received_data_ = msg + kHeaderLength;
        return kSuccess;
    }
}

std::int16_t CHostSession::release_host_msg() {
    reset_received();
    if (provider_.put_into_receive == nullptr) return kSuccess;
    return provider_.put_into_receive(connection_);
}

std::int16_t CHostSession::flush_host_msgs() {
    if (provider_.get_received_buffer == nullptr) return kSuccess;
    for (int i = 0; i < kFlushLimit; ++i) {
        char* data = nullptr;
        std::uint16_t length = 0;
        if (provider_.get_received_buffer(connection_, &data, &length, 1) != 0) break;
        release_host_msg();
    }
    return kSuccess;
}

std::int16_t CHostSession::get_host_version() {
    flush_host_msgs();
    out_of_step_ = false;
    // Accept the reply whatever its sequence character.
    last_sequence_ = ' ';
    std::int16_t rc = send_host_msg(kKindSession, 0, 0, true);
    if (rc != kSuccess) {
        post_error(kSqlLinkFailure, "Cannot get host server version");
        release_host_msg();
        return rc;
    }
    ReplyCursor cursor = reply();
    rc = take_reply_status(cursor, "Cannot get host server version");
    if (rc != kSuccess) {
        release_host_msg();
        return rc;
    }
    host_level_ = static_cast<std::uint16_t>(cursor.number(2));
    host_release_ = static_cast<std::uint16_t>(cursor.number(3));
    protocol_version_ = static_cast<std::uint16_t>(cursor.number(3));
    if (protocol_version_ != kProtocolVersion) {
        post_errorf(kSqlGeneralFailure, "Host(%d)/Micro(%d) protocol version mismatch", protocol_version_,
                    kProtocolVersion);
        release_host_msg();
        return kError;
    }

    const char* data = received_data_;
    const std::size_t length = received_length_;
    std::size_t at = 9;
    std::size_t kept = 0;
    while (at < length && data[at] != '.') {
        if (kept < kHostVersionTextMax) host_version_text_[kept++] = data[at];
        ++at;
    }
    host_version_text_[kept] = '\0';
    admin_protocol_version_ = protocol_version_;
    if (at < length && at + 1 < length) {
        const std::size_t digits = at + 4;
        admin_protocol_version_ =
            static_cast<std::uint16_t>(digits < length ? get_number(data + digits, 3, length - digits) : 0);
    }
    if (admin_protocol_version_ != kAdminProtocolVersion) {
        post_errorf(kSqlGeneralFailure, "Host(%d)/Micro(%d) admin protocol version mismatch", admin_protocol_version_,
                    kAdminProtocolVersion);
        release_host_msg();
        return kError;
    }
    release_host_msg();
    return kSuccess;
}

std::int16_t CHostSession::alloc_host_msg_buffer() {
    reset_received();
    buffer_.clear();
    if (message_size_ < kHeaderLength) {
        post_error(kSqlMemoryFailure, "Cannot get memory for host message buffer");
        return kError;
    }
    try {
        buffer_.assign(message_size_, '\0');
    } catch (const std::bad_alloc&) {
        post_error(kSqlMemoryFailure, "Cannot get memory for host message buffer");
        return kError;
    }
    std::memcpy(buffer_.data(), kMessageMark, 3);
    buffer_[3] = '9';
    return kSuccess;
}

void CHostSession::free_host_msg_buffer() {
    buffer_.clear();
    buffer_.shrink_to_fit();
}

std::int16_t CHostSession::map_host_status(char digit) {
    switch (digit) {
        case '0':
            return kSuccess;
        case '1':
            return kSuccessWithInfo;
        case '3':
            return kInvalidHandle;
        case '4':
            return kNeedData;
        case '5':
            return kNoDataFound;
        default:
            return kError;
    }
}

// --- Message buffer and current reply ---

std::uint16_t CHostSession::data_limit() const {
    const std::size_t room = body_capacity();
    return room < data_limit_ ? static_cast<std::uint16_t>(room) : data_limit_;
}

void CHostSession::set_message_size(std::uint16_t size) {
    message_size_ = size;
    data_limit_ = size > kHeaderLength ? static_cast<std::uint16_t>(size - kHeaderLength) : 0;
}

std::int16_t CHostSession::take_reply_status(ReplyCursor& cursor, const char* failure) {
    if (cursor.at_end()) {
        post_error(kSqlLinkFailure, failure);
        return kError;
    }
    const std::int16_t status = map_host_status(cursor.take());
    if (status != kSuccess) {
        const std::size_t queued = diagnostics_.size();
        load_host_errors(cursor.position(), cursor.remaining());
        if (status < 0 && diagnostics_.size() == queued) post_error(kSqlGeneralFailure, failure);
    }
    return status;
}

void CHostSession::reset_received() {
    received_data_ = nullptr;
    received_length_ = 0;
}

// --- Diagnostics ---

void CHostSession::post_error(std::uint16_t sqlstate_index, const char* text) {
    HostDiagnostic record;
    record.sqlstate_index = sqlstate_index;
    record.text = kPrefix;
    record.text += text != nullptr ? text : sqlstate_default_text(sqlstate_index);
    if (record.text.size() > kScratchMax) record.text.resize(kScratchMax);
    diagnostics_.push_back(std::move(record));
}

void CHostSession::post_errorf(std::uint16_t sqlstate_index, const char* format, ...) {
    char scratch[kScratchMax + 1];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(scratch, sizeof scratch, format, args);
    va_end(args);
    if (n < 0) scratch[0] = '\0';
    post_error(sqlstate_index, scratch);
}

void CHostSession::load_host_errors(const char* data, std::size_t length) {
    ReplyCursor cursor(data, length);
    // A group needs its index and its length; a list that stops short of "0000" simply ends.
    while (cursor.remaining() >= 8) {
        const auto index = static_cast<std::uint16_t>(cursor.number(4));
        if (index == 0) break;
        const std::size_t text_length = cursor.number(4);
        HostDiagnostic record;
        record.sqlstate_index = index;
        const std::size_t take = text_length < cursor.remaining() ? text_length : cursor.remaining();
        record.text.assign(cursor.position(), take);
        cursor.skip(take);
        diagnostics_.push_back(std::move(record));
    }
}

std::int16_t CHostSession::get_error(char* sqlstate, std::uint32_t* native_error, char* text, std::size_t text_size,
                                     std::size_t* text_length) {
    if (diagnostics_.empty()) {
        if (sqlstate != nullptr) std::memcpy(sqlstate, "00000", 6);
        if (native_error != nullptr) *native_error = 0;
        if (text != nullptr && text_size > 0) text[0] = '\0';
        if (text_length != nullptr) *text_length = 0;
        return kNoDataFound;
    }
    const HostDiagnostic record = std::move(diagnostics_.front());
    diagnostics_.pop_front();
    if (sqlstate != nullptr) std::memcpy(sqlstate, sqlstate_for(record.sqlstate_index), 6);
    if (native_error != nullptr) *native_error = record.native_error;
    if (text_length != nullptr) *text_length = record.text.size();
    bool cut = false;
    if (text != nullptr && text_size > 0) {
        std::size_t n = record.text.size();
        if (n >= text_size) {
            n = text_size - 1;
            cut = true;
        }
        std::memcpy(text, record.text.data(), n);
        text[n] = '\0';
    } else {
        cut = !record.text.empty();
    }
    return cut ? kSuccessWithInfo : kSuccess;
}

std::string CHostSession::show_errors() {
    std::string shown;
    while (!diagnostics_.empty()) {
        const std::size_t room = kScratchMax - shown.size();
        const std::string& text = diagnostics_.front().text;
        if (text.size() + 1 <= room) {
            shown += text;
            shown += '\r';
            diagnostics_.pop_front();
            continue;
        }
        // The first record that does not fit is shown cut rather than lost; the rest wait for the next box.
        if (room >= 2) {
            shown.append(text, 0, room - 1);
            shown += '\r';
            diagnostics_.pop_front();
        }
        break;
    }
    if (!shown.empty()) app::message_box(shown, {}, app::MessageIcon::None, app::MessageButtons::Ok);
    return shown;
}

}  // namespace kestra::hostlink
