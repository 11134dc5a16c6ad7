// Replies to the catalogue lists (description files 3, databases 4, datasets 12, each with continuations) and to
// the COBOL requests 43 and 44.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "configsvc/catalogue_requests.h"
#include "configsvc/cobol_table_request.h"
#include "model/desc_catalogue_entries.h"
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
    switch (op % 5) {
        case 0: {
            std::vector<std::string> names;
            (void)cs::get_descfile_list(s.client, names);
            if (names.size() > replies.size()) std::abort();
            break;
        }
        case 1: {
            cs::DatabaseList databases;
            (void)cs::get_descfile_databases(s.client, "DESCRIPTION/SALES", databases);
            if (databases.size() > replies.size()) std::abort();
            break;
        }
        case 2: {
            model::CDescDatabaseEntry database;
            database.database_name.assign("SALESDB");
            (void)cs::get_descfile_datasets(s.client, "DESCRIPTION/SALES", database);
            if (database.datasets.size() > replies.size()) std::abort();
            break;
        }
        case 3: {
            std::uint32_t handle = 0;
            (void)cs::load_cobol_record(s.client, 12, static_cast<cs::CobolStartMode>(op / 5 % 4), "CUST-REC",
                                        "SOURCE/CUST", "DATA/CUST", "", handle);
            break;
        }
        case 4: {
            std::int32_t option = 0;
            (void)cs::write_table_description(s.client, 5, option);
            break;
        }
    }
    return 0;
}
