// Replies to the configuration-file requests: the file tree of request 13 over any number of continuation
// messages, the single numbers of open, add, copy, cut and paste, and the environment command's response text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "configsvc/config_file_requests.h"
#include "model/server_node.h"
#include "reply_session.h"

namespace cs = kestra::configsvc;
using kestra::fuzz::ReplySession;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t op = 0;
    std::uint8_t size_byte = 0;
    std::string_view replies;
    if (!ReplySession::split(data, size, op, size_byte, replies)) return 0;
    ReplySession s(replies, size_byte);
    std::uint32_t number = 0;
    switch (op % 6) {
        case 0: {
            kestra::model::CServerNode root;
            (void)cs::get_config_list(s.client, root);
            if (root.depth() != 0) std::abort();
            std::size_t nodes = 0;
            root.for_each_descendant([&](kestra::model::CServerNode& node) {
                ++nodes;
                if (node.depth() > cs::kMaxConfigTreeDepth + 1) std::abort();
            });
            // Every node came from at least one entry of a reply.
            if (nodes > replies.size()) std::abort();
            break;
        }
        case 1: (void)cs::open_config(s.client, 7, number); break;
        case 2: (void)cs::add_config(s.client, "NEWFILE", 0, number); break;
        case 3: (void)cs::copy_config(s.client, 3, number); break;
        case 4: (void)cs::paste_config(s.client, 3, "PASTED", 0, number); break;
        case 5: {
            std::string response;
            (void)cs::send_environment_command(s.client, "SHOW", response);
            if (response.size() > replies.size()) std::abort();
            break;
        }
    }
    return 0;
}
