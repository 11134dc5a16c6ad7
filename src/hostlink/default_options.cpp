#include "hostlink/default_options.h"

#include "app/wait_cursor.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"

namespace kestra::hostlink {

namespace {
constexpr std::uint16_t kGetOptions = 8;
constexpr std::uint16_t kSetOptions = 9;
}  // namespace

std::int16_t CDefaultOptions::get(CHostSession& s) {
    session = &s;
    std::int16_t rc = s.send_host_msg(kKindAdmin, kGetOptions, 0, true);
    if (rc != kSuccess) {
        s.post_error(kSqlLinkFailure, "Cannot get options from host");
        s.release_host_msg();
        return rc;
    }
    ReplyCursor reply = s.reply();
    std::int16_t status = s.take_reply_status(reply, "Cannot get options from host");
    if (status == kSuccess) {
        update_allowed = reply.take() == '1';
        return_groups = reply.take() == '1';
    }
    s.release_host_msg();
    return status;
}

std::int16_t CDefaultOptions::set(CHostSession& s) {
    session = &s;
    app::WaitCursor wait;
    char* body = s.body();
    if (body == nullptr || s.data_limit() < 2) {
        s.post_error(kSqlLinkFailure, "Cannot set options");
        return kError;
    }
    body[0] = update_allowed ? '1' : '0';
    body[1] = return_groups ? '1' : '0';
    std::int16_t rc = s.send_host_msg(kKindAdmin, kSetOptions, 2, true);
    if (rc != kSuccess) {
        s.post_error(kSqlLinkFailure, "Cannot set options");
        s.release_host_msg();
        return rc;
    }
    ReplyCursor reply = s.reply();
    std::int16_t status = s.take_reply_status(reply, "Cannot set options");
    s.release_host_msg();
    return status;
}

}  // namespace kestra::hostlink
