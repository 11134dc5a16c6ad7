#include <cstring>
#include <string_view>

#include "app/admin_app.h"
#include "app/trace.h"
#include "hostlink/host_session.h"
#include "hostlink/script_line.h"
#include "hostlink/sqlstate.h"
#include "platform/profile_file.h"

namespace kestra::hostlink {

namespace {

constexpr std::uint8_t kSectionTimeout = 10;
constexpr std::size_t kReceivedTraceMax = 50;

void script_trace(const std::string& line) {
    if (app::script_tracing()) app::write_script_trace(line);
}

std::string settings_path() {
    const std::string& path = app::admin_app().settings_path();
    return path.empty() ? platform::settings_file_path() : path;
}

std::string read_script_key(const std::string& key) {
    if (app::script_tracing()) script_trace(app::trace_format("read kestra.ini file for %s", key.c_str()));
    std::string value = platform::get_private_profile_string("script", key, "", settings_path());
    if (value.size() > kScriptLineMax) value.resize(kScriptLineMax);
    return value;
}

// Reads lines until one begins with the header; false at end of file.
bool find_section(std::FILE* file, std::string_view header) {
    std::string line;
    while (read_script_line(file, line))
        if (is_script_section(line, header)) return true;
    return false;
}

}  // namespace

std::int16_t CHostSession::run_connect_script(const std::string& user_id, const std::string& password,
                                              const std::string& provider_name, const std::string& connection_name) {
    script_file_.reset();
    std::string file_name = read_script_key(provider_name + "_" + connection_name + "_scriptfile");
    if (file_name.empty()) {
        script_trace("No path script file specified");
        file_name = read_script_key(provider_name + "_scriptfile");
    }
    if (file_name.empty()) {
        script_trace("No provider script file specified");
        return kSuccess;
    }
    if (app::script_tracing()) script_trace(app::trace_format("Attempting to open script file %s", file_name.c_str()));
    std::FILE* file = std::fopen(file_name.c_str(), "rb");
    if (file == nullptr) {
        if (app::script_tracing()) script_trace(app::trace_format("Cannot open script file %s", file_name.c_str()));
        post_error(kSqlConnectFailure, "Cannot open script file");
        return kError;
    }
    script_file_.reset(file, [](std::FILE* f) { std::fclose(f); });
    if (!find_section(file, "[connect]")) return kSuccess;
    return run_script_section(user_id, password);
}

std::int16_t CHostSession::run_disconnect_script() {
    if (!script_file_) return kSuccess;
    std::FILE* file = script_file_.get();
    std::rewind(file);
    if (!find_section(file, "[disconnect]")) {
        script_trace("no disconnect");
        script_file_.reset();
        return kSuccess;
    }
    script_trace("processing script disconnect");
    run_script_section("", "");
    flush_host_msgs();
    script_file_.reset();
    return kSuccess;
}

std::int16_t CHostSession::run_script_section(const std::string& user_id, const std::string& password) {
    if (!script_file_) return kSuccess;
    std::vector<char> transmit;
    try {
        transmit.assign(message_size_, '\0');
    } catch (const std::bad_alloc&) {
        script_trace("Cannot get script transmit buffer");
        post_error(kSqlConnectFailure, "Cannot get script transmit buffer");
        return kError;
    }
    std::uint8_t timeout = kSectionTimeout;
    bool previous_timed_out = false;
    std::string line;
    const bool tracing = app::script_tracing();

    for (;;) {
        if (!read_script_line(script_file_.get(), line)) line.clear();
        if (tracing)
            script_trace(app::trace_format("script line ln=%d text=%s", static_cast<int>(line.size()), line.c_str()));
        ScriptCommand cmd = parse_script_line(line);
        switch (cmd.kind) {
            case ScriptCommandKind::End:
                return kSuccess;
            case ScriptCommandKind::Ignored:
                break;
            case ScriptCommandKind::Timeout:
                if (cmd.has_number) {
                    timeout = cmd.timeout;
                    if (tracing) script_trace(app::trace_format("timeout set to %d", timeout));
                }
                break;
            case ScriptCommandKind::Send: {
                previous_timed_out = false;
                Substitution sub = substitute_script_text(cmd.text, user_id, password);
                if (tracing) {
                    for (int i = 0; i < sub.userid_count; ++i)
                        script_trace(app::trace_format("insert userid=%s", user_id.c_str()));
                    // The trace never holds the password in clear.
                    for (int i = 0; i < sub.password_count; ++i) script_trace("insert password=********");
                    script_trace(app::trace_format("send len=%d text=%s", static_cast<int>(sub.text.size()),
                                                   sub.masked.c_str()));
                }
                // The text must fit the transmit buffer of the message size; a longer one is never sent in part.
                if (sub.text.size() > transmit.size() || provider_.transmit_buffer == nullptr) {
                    if (sub.text.size() > transmit.size()) script_trace("send text too long");
                    post_error(kSqlConnectFailure, "Transmit error in script connect");
                    return kError;
                }
                std::memcpy(transmit.data(), sub.text.data(), sub.text.size());
                if (provider_.transmit_buffer(connection_, transmit.data(), static_cast<std::uint16_t>(sub.text.size()),
                                              timeout) != 0) {
                    post_error(kSqlConnectFailure, "Transmit error in script connect");
                    return kError;
                }
                break;
            }
            case ScriptCommandKind::Receive: {
                if (previous_timed_out) {
                    script_trace("previous timed out, skip this receive");
                    break;
                }
                if (tracing) {
                    if (cmd.has_text)
                        script_trace(app::trace_format("receive len=%d ->%s<-", static_cast<int>(cmd.text.size()),
                                                       cmd.text.c_str()));
                    else
                        script_trace("match anything");
                }
                for (;;) {
                    char* data = nullptr;
                    std::uint16_t length = 0;
                    std::int16_t rc = provider_.get_received_buffer(connection_, &data, &length, timeout);
                    if (rc == kNeedData) {
                        script_trace("receive timed out");
                        previous_timed_out = true;
                        break;
                    }
                    if (rc != 0) {
                        script_file_.reset();
                        post_error(kSqlConnectFailure, "receive error in script");
                        return kError;
                    }
                    std::string_view received(data != nullptr ? data : "", data != nullptr ? length : 0);
                    if (tracing) {
                        std::string shown(received.substr(0, kReceivedTraceMax));
                        script_trace(app::trace_format("received %s", shown.c_str()));
                    }
                    bool matched = !cmd.has_text || received.find(cmd.text) != std::string_view::npos;
                    if (matched) script_trace("receive matched!");
                    release_host_msg();
                    if (matched) break;
                }
                break;
            }
        }
    }
}

}  // namespace kestra::hostlink
