// Session requests: version, login, logout, and the host's default table settings.
#include <algorithm>

#include "body_codec.h"
#include "request_handlers.h"

namespace kestra::hostsim {
namespace {

constexpr int kMaxGrant = 9999;

void handle_version(RequestContext& context, std::string_view, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    const auto& v = context.host.state.version;
    BodyWriter w;
    w.number(v.level, 2).number(v.release, 3).number(v.protocol, 3);
    w.raw(v.text).ch('.').raw(v.filler).number(v.admin_protocol, 3);
    reply.ok(w.take());
}

// Body: "1", N(5) proposed size, user ["/" password] ["/" chargecode], ".".
// A password the PC left out (empty or starting with ".") cannot be told from a chargecode, so a
// user with a password must always send it, and one without takes the next part as chargecode.
void handle_login(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    std::string marker;
    int proposed = 0;
    r.raw(1, marker);
    r.number(5, proposed);
    if (!r.ok() || marker != "1" || r.rest().empty() || r.rest().back() != '.') {
        reply.refuse(3, "[Kestra]INVALID LOGIN REQUEST");
        return;
    }
    std::string_view names = r.rest();
    names.remove_suffix(1);
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const auto slash = names.find('/', start);
        parts.emplace_back(names.substr(start, slash == std::string_view::npos ? names.npos : slash - start));
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    if (parts.size() > 3 || parts[0].empty()) {
        reply.refuse(3, "[Kestra]INVALID LOGIN REQUEST");
        return;
    }

    std::lock_guard lock(context.host.mutex);
    const HostUser* user = find_user(context.host.state, parts[0]);
    bool accepted = user != nullptr;
    if (accepted && !user->password.empty()) {
        accepted = parts.size() >= 2 && equals_ignore_case(parts[1], user->password);
    } else if (accepted && parts.size() == 3) {
        accepted = false;   // a password for a user who has none
    }
    if (!accepted) {
        reply.refuse(14, "[Kestra]INVALID USERCODE OR PASSWORD");
        return;
    }
    const int granted = std::min({proposed, user->max_message_size, kMaxGrant});
    context.session.logged_in = true;
    context.session.user = user->name;
    context.session.granted_size = granted;
    // A grant below a workable size fails at the PC; the host still writes its refusals legibly.
    context.session.message_size = static_cast<std::size_t>(std::max(granted, 128));
    reply.ok(BodyWriter().number(granted, 5).take());
}

void handle_logout(RequestContext& context, std::string_view, Reply& reply) {
    context.session.logged_in = false;
    context.session.user.clear();
    reply.messages.clear();
}

void handle_get_options(RequestContext& context, std::string_view, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    const auto& o = context.host.state.default_options;
    reply.ok(BodyWriter().flag(o.update_allowed).flag(o.return_groups).take());
}

void handle_set_options(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    bool update_allowed = false;
    bool return_groups = false;
    r.flag(update_allowed);
    r.flag(return_groups);
    if (!r.ok() || !r.at_end()) {
        reply.refuse(6, "[Kestra]INVALID OPTION VALUE");
        return;
    }
    {
        std::lock_guard lock(context.host.mutex);
        context.host.state.default_options = DefaultOptions{update_allowed, return_groups};
    }
    reply.ok();
}

}  // namespace

void register_session_handlers(HandlerTable& table) {
    table.add(0, 0, handle_version, false);
    table.add(0, 3, handle_logout, false);
    table.add(0, 4, handle_login, false);
    table.add(2, 8, handle_get_options);
    table.add(2, 9, handle_set_options);
}

}  // namespace kestra::hostsim
