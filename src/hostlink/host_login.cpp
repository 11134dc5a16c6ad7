#include <algorithm>

#include "app/admin_app.h"
#include "app/wait_cursor.h"
#include "hostlink/host_number.h"
#include "hostlink/host_session.h"
#include "hostlink/password_scramble.h"
#include "hostlink/sqlstate.h"

namespace kestra::hostlink {

namespace {

constexpr std::uint16_t kCodeLogout = 3;
constexpr std::uint16_t kCodeLogin = 4;
constexpr std::uint32_t kSmallestGrant = 128;
constexpr std::uint32_t kLargestMessage = 9999;

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// "1", N(5) message size, user id, ["/" password], ["/" chargecode], ".", all in upper case.
std::string login_body(std::uint16_t message_size, const std::string& user_id, const std::string& password,
                       const std::string& chargecode) {
    std::string body = "1";
    char size[5];
    put_number(size, message_size, 5);
    body.append(size, 5);
    body += user_id.substr(0, kLoginFieldMax);
    // Appended piece by piece: GCC 12 at -O3 misreads `"/" + substr` as an overlapping copy (-Wrestrict).
    if (!password.empty() && password.front() != '.') body.append("/").append(password, 0, kLoginFieldMax);
    if (!chargecode.empty()) body.append("/").append(chargecode, 0, kLoginFieldMax);
    body += ".";
    std::transform(body.begin(), body.end(), body.begin(), upper);
    return body;
}

}  // namespace

std::int16_t CHostSession::host_login(const std::string& typed_user_id, const std::string& scrambled_password,
                                      const std::string& chargecode) {
    app::WaitCursor wait;
    // Cut once: the connect script's #USERID and the login body name the same user.
    const std::string user_id = typed_user_id.substr(0, kLoginFieldMax);
    const std::string password = scramble_password(scrambled_password);
    std::int16_t rc = connect_host(user_id, password, provider_name_, connection_name_);
    if (rc != kSuccess) return rc;
    if (alloc_host_msg_buffer() != kSuccess) {
        disconnect_host();
        return kError;
    }
    const app::CAdminApp& settings = app::admin_app();
    set_timeouts(settings.transmit_timeout, settings.receive_timeout);

    rc = get_host_version();
    if (rc != kSuccess) {
        post_error(kSqlGeneralFailure, "Cannot determine version of host software");
        disconnect_host();
        return rc;
    }

    const std::string body = login_body(message_size_, user_id, password, chargecode);
    if (body.size() > data_limit()) {
        post_error(kSqlLinkFailure, "Cannot Login to host server");
        disconnect_host();
        return kError;
    }
    std::copy(body.begin(), body.end(), this->body());
    rc = send_host_msg(kKindSession, kCodeLogin, static_cast<std::uint16_t>(body.size()), true);
    if (rc != kSuccess) {
        post_error(kSqlLinkFailure, "Cannot Login to host server");
        disconnect_host();
        return rc;
    }
    ReplyCursor reply = this->reply();
    const std::int16_t status = take_reply_status(reply, "Cannot Login to host server");
    if (status != kSuccess) {
        release_host_msg();
        disconnect_host();
        return status;
    }
    // The grant is read wide and never trusted beyond the buffer we have or the header's 4-digit length.
    const std::uint32_t granted = reply.number(5);
    release_host_msg();
    if (granted < kSmallestGrant) {
        post_error(kSqlLinkFailure, "Cannot Login to host server");
        disconnect_host();
        return kError;
    }
    const std::size_t effective = std::min<std::size_t>({granted, message_buffer_size(), kLargestMessage});
    set_message_size(static_cast<std::uint16_t>(effective));

    rc = default_options_.get(*this);
    if (rc != kSuccess) {
        disconnect_host();
        return rc;
    }
    logged_in_ = true;
    return kSuccess;
}

std::int16_t CHostSession::host_logout() {
    flush_host_msgs();
    std::int16_t rc = send_host_msg(kKindSession, kCodeLogout, 0, false);
    if (rc != kSuccess) post_error(kSqlLinkFailure, "Cannot Logout from host server");
    disconnect_host();
    return rc;
}

}  // namespace kestra::hostlink
