// Replies to the table requests: the table list of request 51 with continuations, the loaded table of 23, the sets
// of 54, the join table of 55 (header only and whole), and the numbers the host gives to added tables.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "configsvc/pending_unload_list.h"
#include "configsvc/table_requests.h"
#include "model/config_file.h"
#include "model/config_table.h"
#include "reply_session.h"

namespace cs = kestra::configsvc;
namespace model = kestra::model;
using kestra::fuzz::ReplySession;

namespace {

std::unique_ptr<model::CConfigTable> table_named(std::string_view name, std::int32_t number) {
    auto table = std::make_unique<model::CConfigTable>();
    table->name.assign(name);
    table->table_number = number;
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t op = 0;
    std::uint8_t size_byte = 0;
    std::string_view replies;
    if (!ReplySession::split(data, size, op, size_byte, replies)) return 0;
    ReplySession s(replies, size_byte);
    model::CConfigFile file;
    file.file_reference = 12;
    cs::CPendingUnloadList pending;
    switch (op % 7) {
        case 0:
            (void)cs::get_table_list(s.client, pending, file);
            if (file.tables.size() > replies.size()) std::abort();
            break;
        case 1: {
            auto table = table_named("CUSTOMERS", 3);
            (void)cs::load_table(s.client, 12, *table);
            break;
        }
        case 2: {
            auto table = table_named("CUSTOMERS", 3);
            table->table_handle = 9;
            (void)cs::load_sets(s.client, *table);
            if (table->sets.size() > replies.size()) std::abort();
            break;
        }
        case 3:
        case 4: {
            auto table = table_named("JOINED", 4);
            table->join_table = true;
            (void)cs::load_join_table(s.client, 12, *table, op % 7 == 3);
            if (table->members.size() > replies.size()) std::abort();
            break;
        }
        case 5: {
            auto table = table_named("NEWJOIN", 0);
            table->join_table = true;
            (void)cs::add_join_table(s.client, 12, *table);
            break;
        }
        case 6: {
            std::vector<std::unique_ptr<model::CConfigTable>> tables;
            for (int i = 0; i < 1 + op / 7 % 20; ++i) tables.push_back(table_named("T" + std::to_string(i), 0));
            (void)cs::add_tables(s.client, 12, tables);
            break;
        }
    }
    // Anything left pending is given up without a host, as a closing window would.
    (void)pending;
    return 0;
}
