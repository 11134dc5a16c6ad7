// Replies to the field list of request 25, over any number of continuation messages, and to the additions of
// request 28 whose replies number the new fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "configsvc/field_requests.h"
#include "model/config_field.h"
#include "model/config_table.h"
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
    model::CConfigTable table;
    table.name.assign("CUSTOMERS");
    table.table_number = 3;
    table.table_handle = 9;
    table.loaded = true;
    switch (op % 2) {
        case 0:
            (void)cs::get_field_list(s.client, table);
            if (table.fields.size() > replies.size()) std::abort();
            break;
        case 1: {
            table.fields_loaded = true;
            for (int i = 0; i < 1 + op / 2 % 12; ++i) {
                auto field = std::make_unique<model::CConfigField>();
                field->name.assign("NEW-" + std::to_string(i));
                field->field_kind = model::FieldKind::user_defined;
                field->length = 4;
                table.fields.push_back(std::move(field));
            }
            (void)cs::add_fields(s.client, table);
            break;
        }
    }
    return 0;
}
