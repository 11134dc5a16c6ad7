// Replies to the global options (30), limits (32), application list (39) with continuations, and application
// details (36) with their own table lists.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "configsvc/options_requests.h"
#include "model/config_file.h"
#include "model/pc_application.h"
#include "reply_session.h"

namespace cs = kestra::configsvc;
namespace model = kestra::model;
using kestra::fuzz::ReplySession;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t op = 0;
    std::uint8_t size_byte = 0;
    std::string_view replies;
    if (!ReplySession::split(data, size, op, size_byte, replies)) return 0;
    ReplySession s(replies, size_byte);
    model::CConfigFile file;
    file.file_reference = 12;
    switch (op % 5) {
        case 0: (void)cs::get_global(s.client, file); break;
        case 1: (void)cs::get_limits(s.client, file); break;
        case 2:
            (void)cs::get_app_list(s.client, file);
            if (file.applications.size() > replies.size()) std::abort();
            break;
        case 3: {
            model::CPcApplication app;
            app.app_number = 2;
            app.is_new = false;
            (void)cs::get_app_info(s.client, file, app);
            if (app.tables.size() > replies.size()) std::abort();
            break;
        }
        case 4: {
            // Additions number each application from its reply.
            for (int i = 0; i < 1 + op / 5 % 8; ++i) {
                auto app = std::make_unique<model::CPcApplication>();
                app->program_name.assign("PROG" + std::to_string(i) + ".EXE");
                file.applications.push_back(std::move(app));
            }
            (void)cs::add_apps(s.client, file);
            break;
        }
    }
    return 0;
}
