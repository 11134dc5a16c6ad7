#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "host_message.h"
#include "host_state.h"
#include "request_log.h"
#include "server_options.h"

namespace kestra::hostsim {

// The state every connection shares; handlers take the lock for as long as they look at it.
struct SharedHost {
    std::mutex mutex;
    HostState state;
    RequestLog requests;  // has a lock of its own
};

struct TransferState;   // a host file transfer under way (handlers_transfer.cpp)

// What one connection knows about its session.
struct SessionState {
    bool logged_in = false;
    std::string user;
    int granted_size = 0;          // as granted at login; 0 before
    std::size_t message_size = 0;  // the most the host writes in one message, header included
    std::size_t data_limit() const { return message_size > kHeaderSize ? message_size - kHeaderSize : 0; }
    std::shared_ptr<TransferState> transfer;
};

struct RequestContext {
    SharedHost& host;
    SessionState& session;
    const ServerOptions& options;
    std::function<void()> request_save;   // writes the state to --save, when given
};

// The reply data of each message to send; no messages at all means no reply (logout).
struct Reply {
    std::vector<std::string> messages;

    void ok(std::string data_after_status = {});
    void refuse(char status, int index, const std::string& text);
    void refuse(int index, const std::string& text) { refuse('2', index, text); }
    // A list split by the session's data limit; refuses when an entry cannot fit.
    void list(const SessionState& session, const std::string& head, const std::vector<std::string>& entries);
};

using Handler = std::function<void(RequestContext&, std::string_view body, Reply&)>;

// Code -> handler, one table per message kind. Each request family registers its own.
class HandlerTable {
public:
    void add(int kind, int code, Handler handler, bool needs_login = true);
    struct Entry {
        Handler handler;
        bool needs_login = true;
    };
    const Entry* find(int kind, int code) const;

private:
    std::map<std::pair<int, int>, Entry> entries_;
};

void register_session_handlers(HandlerTable& table);
void register_config_handlers(HandlerTable& table);
void register_tables_handlers(HandlerTable& table);
void register_fields_handlers(HandlerTable& table);
void register_options_handlers(HandlerTable& table);
void register_catalogue_handlers(HandlerTable& table);
void register_transfer_handlers(HandlerTable& table);

// Every family this host knows.
HandlerTable make_handler_table();

// Answers one request: finds its handler, refuses what is unknown or not allowed yet.
void dispatch_request(const HandlerTable& table, RequestContext& context, int kind, int code, std::string_view body,
                      Reply& reply);

inline constexpr const char* kInvalidCommand = "[Kestra]INVALID COMMAND";

}  // namespace kestra::hostsim
