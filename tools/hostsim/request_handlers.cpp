#include "request_handlers.h"

namespace kestra::hostsim {

void Reply::ok(std::string data_after_status) {
    messages.push_back("0" + data_after_status);
}

void Reply::refuse(char status, int index, const std::string& text) {
    messages.clear();
    messages.push_back(refusal_data(status, {ErrorRecord{index, text}}));
}

void Reply::list(const SessionState& session, const std::string& head, const std::vector<std::string>& entries) {
    std::vector<std::string> parts;
    if (!split_list("0" + head, entries, session.data_limit(), parts)) {
        refuse(3, "[Kestra]LIST ENTRY TOO LARGE FOR MESSAGE SIZE");
        return;
    }
    messages = std::move(parts);
}

void HandlerTable::add(int kind, int code, Handler handler, bool needs_login) {
    entries_[{kind, code}] = Entry{std::move(handler), needs_login};
}

const HandlerTable::Entry* HandlerTable::find(int kind, int code) const {
    auto it = entries_.find({kind, code});
    return it == entries_.end() ? nullptr : &it->second;
}

HandlerTable make_handler_table() {
    HandlerTable table;
    register_session_handlers(table);
    register_config_handlers(table);
    register_tables_handlers(table);
    register_fields_handlers(table);
    register_options_handlers(table);
    register_catalogue_handlers(table);
    register_transfer_handlers(table);
    return table;
}

void dispatch_request(const HandlerTable& table, RequestContext& context, int kind, int code, std::string_view body,
                      Reply& reply) {
    if (context.options.older_host && kind == 2 && code == 57) {
        reply.refuse(3, kInvalidCommand);
        return;
    }
    const auto* entry = table.find(kind, code);
    if (!entry) {
        reply.refuse(3, kInvalidCommand);
        return;
    }
    if (entry->needs_login && !context.session.logged_in) {
        reply.refuse(7, "[Kestra]NOT LOGGED ON");
        return;
    }
    entry->handler(context, body, reply);
}

}  // namespace kestra::hostsim
