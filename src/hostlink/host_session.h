#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "corvel/provider_abi.h"
#include "hostlink/control_sequences.h"
#include "hostlink/default_options.h"
#include "hostlink/host_diagnostic.h"
#include "hostlink/reply_cursor.h"

namespace kestra::hostlink {

constexpr std::size_t kHeaderLength = 14;
constexpr std::size_t kScratchMax = 1024;
constexpr std::size_t kHostVersionTextMax = 17;
constexpr std::uint16_t kProtocolVersion = 21;
constexpr std::uint16_t kAdminProtocolVersion = 22;
// Receive time-out for the rest of a session once a receive has timed out.
constexpr std::uint8_t kReceiveTimeoutAfterTimeout = 10;

// Message kinds.
constexpr std::uint8_t kKindSession = 0;
constexpr std::uint8_t kKindAdmin = 2;

// Return codes.
constexpr std::int16_t kSuccess = 0;
constexpr std::int16_t kSuccessWithInfo = 1;
constexpr std::int16_t kError = -1;
constexpr std::int16_t kInvalidHandle = -2;
constexpr std::int16_t kNeedData = 99;
constexpr std::int16_t kNoDataFound = 100;
constexpr std::int16_t kReceiveTimeout = -99;

// One connection to a host server: the bound provider, the outgoing message buffer, the current reply and the
// queue of diagnostics. Every request goes through send_host_msg and receive_host_msg.
class CHostSession {
  public:
    CHostSession() = default;
    // One owner per connection: a copy would log out, or run the disconnect script, on a line its original still
    // uses. Moves stay, so a session can be handed on.
    CHostSession(const CHostSession&) = delete;
    CHostSession& operator=(const CHostSession&) = delete;
    CHostSession(CHostSession&&) = default;
    CHostSession& operator=(CHostSession&&) = default;

    // --- Messages ---

    // Sends the `length` body characters already written at body(), with the header in front. With `wait`, the
    // reply is current on success and the caller must release_host_msg() when done with it. A length above the
    // data limit is refused before anything is sent. When an earlier exchange left the session out of step, the
    // waiting messages are flushed first so that a late reply is never taken for this request's.
    std::int16_t send_host_msg(std::uint8_t kind, std::uint16_t code, std::uint16_t length, bool wait);
    // Waits for the next accepted message: 0 (current), kReceiveTimeout or -1.
    std::int16_t receive_host_msg();
    // Hands the provider's buffer back; done after every received buffer.
    std::int16_t release_host_msg();
    // Throws away whatever the provider still holds for this connection.
    std::int16_t flush_host_msgs();
    // Version request and check.
    std::int16_t get_host_version();
    // Allocates the message buffer of message_size() bytes and starts the sequence at "9".
    std::int16_t alloc_host_msg_buffer();
    void free_host_msg_buffer();

    // A multi-message reply that ended early leaves messages in the line; the next send flushes them.
    void mark_out_of_step() { out_of_step_ = true; }
    bool out_of_step() const { return out_of_step_; }

    // The status digit's return code.
    static std::int16_t map_host_status(char digit);
    static std::size_t strip_control_sequences(const char* data, std::size_t length) {
        return hostlink::strip_control_sequences(data, length);
    }

    // --- Message buffer and current reply ---

    char* message_buffer() { return buffer_.empty() ? nullptr : buffer_.data(); }
    std::size_t message_buffer_size() const { return buffer_.size(); }
    // Where a request writes its body, and how much room there is.
    char* body() { return buffer_.size() > kHeaderLength ? buffer_.data() + kHeaderLength : nullptr; }
    std::size_t body_capacity() const { return buffer_.size() > kHeaderLength ? buffer_.size() - kHeaderLength : 0; }
    // The longest body a request may send: message size minus 14, and never more than the allocated buffer holds.
    std::uint16_t data_limit() const;
    char sequence_char() const { return buffer_.size() > 3 ? buffer_[3] : '\0'; }

    const char* received_data() const { return received_data_; }
    std::uint16_t received_length() const { return received_length_; }
    // A bounded reader over the current reply's data.
    ReplyCursor reply() const { return ReplyCursor(received_data_, received_length_); }
    // Reads the status digit; on a non-zero status queues the host's error records that follow it. No failure goes
    // unexplained: a reply without a status digit queues index 13, a refusal without records index 3, both with
    // `failure` (the index's own text when none is given).
    std::int16_t take_reply_status(ReplyCursor& cursor, const char* failure = nullptr);
    std::uint8_t last_kind() const { return last_kind_; }
    std::uint16_t last_code() const { return last_code_; }
    char last_sequence() const { return last_sequence_; }
    void set_last_sequence(char c) { last_sequence_ = c; }

    // --- Diagnostics ---

    // Queues "[Brisel Software][Kestra ODBC Driver]" and the text, or the index's default text when null.
    void post_error(std::uint16_t sqlstate_index, const char* text);
    void post_errorf(std::uint16_t sqlstate_index, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Queues one record per group of the host's error records, as sent.
    void load_host_errors(const char* data, std::size_t length);
    // Takes the oldest record. `text_size` counts the terminator. Returns kNoDataFound on an empty queue,
    // kSuccessWithInfo when the text was cut, else kSuccess. Any out pointer may be null.
    std::int16_t get_error(char* sqlstate, std::uint32_t* native_error, char* text, std::size_t text_size,
                           std::size_t* text_length);
    // Collects the queued texts, each followed by a carriage return, into at most 1024 characters and shows them
    // in one message box. Records that do not fit stay queued. Returns the text shown.
    std::string show_errors();
    const std::deque<HostDiagnostic>& diagnostics() const { return diagnostics_; }
    void clear_errors() { diagnostics_.clear(); }

    // --- Connection ---

    void set_provider(const ProviderEntryTable& entries) { provider_ = entries; }
    const ProviderEntryTable& provider() const { return provider_; }
    void set_connection(std::uint8_t connection) { connection_ = connection; }
    std::uint8_t connection() const { return connection_; }
    std::uint8_t station() const { return station_; }
    void set_station(std::uint8_t station) { station_ = station; }
    void set_message_size(std::uint16_t size);
    std::uint16_t message_size() const { return message_size_; }
    void set_timeouts(std::uint8_t transmit, std::uint8_t receive) {
        transmit_timeout_ = transmit;
        receive_timeout_ = receive;
    }
    std::uint8_t transmit_timeout() const { return transmit_timeout_; }
    std::uint8_t receive_timeout() const { return receive_timeout_; }
    bool logged_in() const { return logged_in_; }
    void set_logged_in(bool on) { logged_in_ = on; }

    // --- Provider binding, connect script, login ---

    // Binds the named provider through the comms shell, opens the connection and runs the connect script.
    std::int16_t connect_host(const std::string& user_id, const std::string& password,
                              const std::string& provider_name, const std::string& connection_name);
    // Runs the disconnect script, closes the connection and releases the provider. Always 0.
    std::int16_t disconnect_host();
    std::int16_t run_connect_script(const std::string& user_id, const std::string& password,
                                    const std::string& provider_name, const std::string& connection_name);
    std::int16_t run_disconnect_script();
    // Runs commands from the script file's current position until the section ends.
    std::int16_t run_script_section(const std::string& user_id, const std::string& password);
    bool script_open() const { return script_file_ != nullptr; }

    // Connects, checks the versions, logs in and reads the default options. The password comes as the Connect
    // dialog keeps it (scrambled).
    std::int16_t host_login(const std::string& user_id, const std::string& scrambled_password,
                            const std::string& chargecode);
    std::int16_t host_logout();

    int provider_index() const { return provider_index_; }
    const std::string& provider_name() const { return provider_name_; }
    void set_provider_name(std::string name);
    const std::string& connection_name() const { return connection_name_; }
    void set_connection_name(std::string name);
    CDefaultOptions& default_options() { return default_options_; }
    const CDefaultOptions& default_options() const { return default_options_; }

    // --- Host version ---

    std::uint16_t host_level() const { return host_level_; }
    std::uint16_t host_release() const { return host_release_; }
    std::uint16_t protocol_version() const { return protocol_version_; }
    std::uint16_t admin_protocol_version() const { return admin_protocol_version_; }
    const char* host_version_text() const { return host_version_text_; }

  private:
    void reset_received();

    std::uint8_t connection_ = 0;
    std::uint8_t station_ = 0;
    ProviderEntryTable provider_{};
    std::uint16_t message_size_ = 0;
    std::uint16_t data_limit_ = 0;
    std::deque<HostDiagnostic> diagnostics_;
    // Kept wider than the 8 bits of the wire's older readers so that, say, 277 is not taken for 21.
    std::uint16_t host_level_ = 0;
    std::uint16_t host_release_ = 0;
    std::uint16_t protocol_version_ = 0;
    std::uint16_t admin_protocol_version_ = 0;
    char host_version_text_[kHostVersionTextMax + 1] = {};
    std::uint8_t receive_timeout_ = 255;
    std::uint8_t transmit_timeout_ = 255;
    std::vector<char> buffer_;
    std::uint8_t last_kind_ = 0;
    std::uint16_t last_code_ = 0;
    std::uint16_t received_length_ = 0;
    const char* received_data_ = nullptr;
    char last_sequence_ = ' ';
    bool logged_in_ = false;
    bool out_of_step_ = false;

    // Provider binding, connect script and login state.
    int provider_index_ = -1;
    std::string provider_name_;    // at most 15 characters
    std::string connection_name_;  // at most 31 characters, the provider's path names
    // Open from the connect section to the disconnect section.
    std::shared_ptr<std::FILE> script_file_;
    CDefaultOptions default_options_;
};

}  // namespace kestra::hostlink
