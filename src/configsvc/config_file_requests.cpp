#include "configsvc/config_file_requests.h"

#include <array>

#include "configsvc/table_requests.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"

namespace kestra::configsvc {

namespace {

constexpr std::uint16_t kListCode = 13;
constexpr std::uint16_t kAddCode = 14;
constexpr std::uint16_t kDeleteCode = 15;
constexpr std::uint16_t kMoveCode = 16;
constexpr std::uint16_t kRenameCode = 17;
constexpr std::uint16_t kOpenCode = 18;
constexpr std::uint16_t kCloseCode = 19;
constexpr std::uint16_t kSaveCode = 40;
constexpr std::uint16_t kEnvironmentCode = 42;
constexpr std::uint16_t kCopyCode = 46;
constexpr std::uint16_t kCutCode = 47;
constexpr std::uint16_t kPasteCode = 48;

// Bodies of one number and the terminator ("%0*d.").
std::int16_t number_stop_request(CConfigClient& client, std::uint16_t code, std::uint32_t number,
                                 const char* failure) {
    BodyWriter body = client.body();
    body.number_whole(number, 4);
    body.stop();
    return client.simple_request(code, body, Upper::yes, failure);
}

}  // namespace

std::int16_t get_config_list(CConfigClient& client, CPendingUnloadList& pending, model::CServerNode& root) {
    // As for a single table: what is about to be destroyed leaves the pending list first. The tree is replaced
    // whatever the host says to the unloads, so their diagnostics stay queued and the list goes on.
    if (!pending.empty()) {
        root.for_each_descendant([&](model::CServerNode& node) {
            for (const auto& table : node.config.tables) forget_table(client, pending, *table, true);
            for (const auto& app : node.config.applications)
                for (const auto& table : app->tables) forget_table(client, pending, *table, true);
        });
    }
    return get_config_list(client, root);
}

std::int16_t get_config_list(CConfigClient& client, model::CServerNode& root) {
    root.clear_children();
    BodyWriter body = client.body();
    body.stop();
    ReplyReader reply;
    std::int16_t rc = client.request(kListCode, body, Upper::yes, kConfigListFailure, reply, kConfigListReceiveError);
    if (rc != hostlink::kSuccess) return rc;

    // current[k] is the node an entry of level k attaches to; levels not reached yet have none.
    std::array<model::CServerNode*, kMaxConfigTreeDepth + 2> current{};
    current[0] = &root;
    ListReader list(client, reply, 4, kConfigListReceiveError);
    while (list.next()) {
        ReplyReader& r = list.reply();
        const std::uint32_t number = r.number(4);
        const std::uint32_t level = r.number(4);
        std::string name;
        if (r.failed() || !r.text(name)) {
            list.fail_entry();
            break;
        }
        if (level > kMaxConfigTreeDepth || current[level] == nullptr) {
            // A level the tree cannot hold or that skips a parent: nothing sound to attach it to.
            list.fail_entry();
            break;
        }
        model::CServerNode* node = current[level]->add_child(name, static_cast<std::int32_t>(number));
        current[level + 1] = node;
    }
    const bool failed = list.failed();
    client.done();
    return failed ? hostlink::kError : hostlink::kSuccess;
}

std::int16_t open_config(CConfigClient& client, std::uint32_t number, std::uint32_t& file_reference) {
    BodyWriter body = client.body();
    body.number_whole(number, 4);
    body.stop();
    std::uint32_t reference = 0;
    const std::int16_t rc = client.number_request(kOpenCode, body, Upper::yes, kConfigListFailure, reference);
    if (rc == hostlink::kSuccess) file_reference = reference;
    return rc;
}

std::int16_t close_config(CConfigClient& client, std::uint32_t file_reference) {
    return number_stop_request(client, kCloseCode, file_reference, kConfigListFailure);
}

std::int16_t save_config(CConfigClient& client, std::uint32_t file_reference) {
    BodyWriter body = client.body();
    body.number_whole(file_reference, 4);
    return client.simple_request(kSaveCode, body, Upper::no, kConfigListFailure);
}

std::int16_t add_config(CConfigClient& client, std::string_view name, std::uint32_t parent_number,
                        std::uint32_t& new_number) {
    BodyWriter body = client.body();
    body.text(name);
    body.number_whole(parent_number, 4);
    body.stop();
    std::uint32_t number = 0;
    const std::int16_t rc = client.number_request(kAddCode, body, Upper::yes, kConfigListFailure, number);
    if (rc == hostlink::kSuccess) new_number = number;
    return rc;
}

std::int16_t rename_config(CConfigClient& client, std::uint32_t number, std::string_view name) {
    BodyWriter body = client.body();
    body.number_whole(number, 4);
    body.text(name);
    body.stop();
    return client.simple_request(kRenameCode, body, Upper::yes, kConfigListFailure);
}

std::int16_t delete_config(CConfigClient& client, std::uint32_t number, bool delete_flag) {
    BodyWriter body = client.body();
    body.number_whole(number, 4);
    body.flag(delete_flag);
    return client.simple_request(kDeleteCode, body, Upper::no, kConfigDeleteFailure);
}

std::int16_t move_config(CConfigClient& client, std::uint32_t number, std::uint32_t new_parent_number) {
    BodyWriter body = client.body();
    body.number_whole(number, 4);
    body.number_whole(new_parent_number, 4);
    body.stop();
    return client.simple_request(kMoveCode, body, Upper::yes, kConfigListFailure);
}

std::int16_t copy_config(CConfigClient& client, std::uint32_t number, std::uint32_t& clipboard_number) {
    BodyWriter body = client.body();
    body.number_whole(number, 4);
    std::uint32_t clip = 0;
    const std::int16_t rc = client.number_request(kCopyCode, body, Upper::no, kConfigCopyFailure, clip);
    if (rc == hostlink::kSuccess) clipboard_number = clip;
    return rc;
}

std::int16_t cut_config(CConfigClient& client, std::uint32_t number, std::uint32_t& clipboard_number) {
    BodyWriter body = client.body();
    body.number_whole(number, 4);
    body.flag(false);
    std::uint32_t clip = 0;
    const std::int16_t rc = client.number_request(kCutCode, body, Upper::no, kConfigListFailure, clip);
    if (rc == hostlink::kSuccess) clipboard_number = clip;
    return rc;
}

std::int16_t paste_config(CConfigClient& client, std::uint32_t clipboard_number, std::string_view name,
                          std::uint32_t parent_number, std::uint32_t& new_number) {
    BodyWriter body = client.body();
    body.number(clipboard_number, 4);
    const std::size_t name_begin = body.length();
    body.text(name);
    const std::size_t name_end = body.length();
    body.number(parent_number, 4);
    if (body.ok()) body.upper_case(name_begin, name_end);
    std::uint32_t number = 0;
    const std::int16_t rc = client.number_request(kPasteCode, body, Upper::no, kConfigCopyFailure, number);
    if (rc == hostlink::kSuccess) new_number = number;
    return rc;
}

std::int16_t send_environment_command(CConfigClient& client, std::string_view command, std::string& response) {
    BodyWriter body = client.body();
    body.text(command);
    ReplyReader reply;
    std::int16_t rc = client.request(kEnvironmentCode, body, Upper::no, kConfigListFailure, reply);
    if (rc != hostlink::kSuccess) return rc;
    std::string text;
    if (!reply.text(text)) {
        // A response cut short is not an answer to show.
        client.session().post_error(hostlink::kSqlLinkFailure, kConfigListFailure);
        rc = hostlink::kError;
    } else {
        response = std::move(text);
    }
    client.done();
    return rc;
}

}  // namespace kestra::configsvc
