#include "configsvc/field_requests.h"

#include <string>
#include <vector>

#include "configsvc/request_batch.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"

namespace kestra::configsvc {

namespace {

using hostlink::kError;
using hostlink::kSuccess;
using model::CConfigField;
using model::FieldKind;

constexpr std::uint16_t kFieldList = 25;
constexpr std::uint16_t kChangeFields = 26;
constexpr std::uint16_t kMarkFields = 27;
constexpr std::uint16_t kAddFields = 28;

// Handle and count before the entries (and the add request's "."), with the room the requests leave.
constexpr std::size_t kChangeHead = 8;
constexpr std::size_t kAddHead = 10;
constexpr std::size_t kMaxFieldsPerMessage = 9999;  // the count has four digits

bool has_date_format(std::int32_t date_kind) { return date_kind >= 2 && date_kind <= 4; }

// Length part A of the field list: what the host sends after the data type code.
void read_length_a(ReplyReader& r, CConfigField& f) {
    const std::int32_t code = f.data_type_code;
    if ((code >= 1 && code <= 4) || code == 22) {
        f.length = static_cast<std::int32_t>(r.number(4));
    } else if ((code >= 5 && code <= 21) || code == 23 || (code >= 25 && code <= 35)) {
        f.length = static_cast<std::int32_t>(r.number(4));
        f.decimals = static_cast<std::int32_t>(r.number(2));
    }
}

// Length part B (user-defined fields the program sends).
void write_length_b(BodyWriter& w, const CConfigField& f) {
    w.number_whole(f.length, 4);
    if (f.data_type_code < 1 || f.data_type_code > 4) w.number_whole(f.decimals, 2);
}

// Length part C (calculated fields the program sends).
void write_length_c(BodyWriter& w, const CConfigField& f) {
    w.number_whole(f.length, 4);
    if (f.data_type_code == 23) w.number_whole(f.decimals, 2);
}

bool read_field(ReplyReader& r, CConfigField& f) {
    f.tblfieldnum = static_cast<std::int32_t>(r.number(4));
    std::string host_name, name;
    r.text(host_name);
    r.text(name);
    f.date_kind = static_cast<std::int32_t>(r.number(1));
    if (has_date_format(f.date_kind)) f.date_format = static_cast<std::int32_t>(r.number(2));
    f.field_kind = static_cast<std::int32_t>(r.number(1));
    const bool host = f.field_kind == FieldKind::host;
    const bool user = f.field_kind == FieldKind::user_defined;
    const bool calculated = f.field_kind == FieldKind::calculated;
    f.visible = host ? r.number(1) != 0 : true;
    if (host || user) f.update_allowed = r.number(1) != 0;
    f.data_type_code = static_cast<std::int32_t>(r.number(2));
    if (host || user) f.offset = static_cast<std::int32_t>(r.number(4));
    read_length_a(r, f);
    std::string base_field, expression;
    if (user) {
        f.offset_value = static_cast<std::int32_t>(r.number(4));
        f.offset_in_characters = r.number(1) != 0;
        f.offset_from_start = r.number(1) != 0;
        r.text(base_field);
    }
    if (calculated) r.text(expression);
    if (r.failed()) return false;
    // A field whose alias comes empty is called by its host name.
    if (name.empty()) name = host_name;
    if (!f.host_name.assign(host_name) || !f.name.assign(name) || !f.base_field.assign(base_field) ||
        !f.expression.assign(expression))
        return false;
    f.mark_loaded();
    return true;
}

void write_change_entry(BodyWriter& w, const CConfigField& f) {
    w.number(f.tblfieldnum, 4);
    if (f.name_changed)
        w.text(f.name.view());
    else
        w.number(0, 3);
    w.number(f.date_kind, 1);
    if (has_date_format(f.date_kind)) w.number(f.date_format, 2);
    switch (f.field_kind) {
    case FieldKind::host:
        w.number(f.update_allowed ? 1 : 0, 1);
        break;
    case FieldKind::user_defined:
        w.number(f.update_allowed ? 1 : 0, 1);
        w.number(f.data_type_code, 2);
        w.number(f.offset, 4);
        write_length_b(w, f);
        w.number(f.offset_value, 4);
        w.number(f.offset_in_characters ? 1 : 0, 1);
        w.number(f.offset_from_start ? 1 : 0, 1);
        w.text(f.base_field.view());
        break;
    case FieldKind::calculated:
        w.number(f.data_type_code, 2);
        write_length_c(w, f);
        w.text(f.expression.view());
        break;
    default:
        break;
    }
}

void write_add_entry(BodyWriter& w, const CConfigField& f) {
    w.text(f.name.view());
    w.number(f.date_kind, 1);
    if (has_date_format(f.date_kind)) w.number_whole(f.date_format, 2);
    w.number(f.field_kind, 1);
    if (f.field_kind == FieldKind::user_defined) {
        w.number(f.update_allowed ? 1 : 0, 1);
        w.number_whole(f.data_type_code, 2);
        w.number_whole(f.offset, 4);
        write_length_b(w, f);
        w.number_whole(f.offset_value, 4);
        w.number(f.offset_in_characters ? 1 : 0, 1);
        w.number(f.offset_from_start ? 1 : 0, 1);
        w.text(f.base_field.view());
    } else if (f.field_kind == FieldKind::calculated) {
        w.number_whole(f.data_type_code, 2);
        write_length_c(w, f);
        w.text(f.expression.view());
    }
}

// The mark byte is the value itself, not a digit: 1 hides or deletes, 0 shows again.
void write_mark_entry(BodyWriter& w, const CConfigField& f) {
    w.number(f.tblfieldnum, 4);
    w.byte(!f.bVisibility || !f.visible ? 1 : 0);
}

std::size_t room_after(CConfigClient& client, std::size_t head) {
    const std::size_t limit = client.session().data_limit();
    return limit > head ? limit - head : 0;
}

// Builds every entry up front; false (index 3 with the failure message, nothing sent) when any cannot go.
template <typename Write>
bool build_entries(CConfigClient& client, const std::vector<const CConfigField*>& fields, std::size_t room,
                   const char* failure, std::vector<std::string>& entries, Write write) {
    for (const CConfigField* f : fields) {
        std::string entry;
        if (!encode_entry(room, entry, [&](BodyWriter& w) { write(w, *f); })) {
            client.refuse(failure);
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

// Sends handle, count and entries per message (request 26 and 27), each reply checked before the next message.
// With `even_if_empty` one message with count 0 goes out when there are no entries.
std::int16_t send_field_batches(CConfigClient& client, std::uint16_t code, std::int32_t handle,
                                const std::vector<std::string>& entries, const char* failure, bool even_if_empty) {
    const std::size_t room = room_after(client, kChangeHead);
    std::size_t begin = 0;
    if (entries.empty() && !even_if_empty) return kSuccess;
    do {
        const std::size_t end = batch_end(entries, begin, room, kMaxFieldsPerMessage);
        BodyWriter body = client.body();
        body.number(handle, 4);
        body.number(static_cast<std::int64_t>(end - begin), 4);
        for (std::size_t i = begin; i < end; ++i) body.raw(entries[i]);
        const std::int16_t rc = client.simple_request(code, body, Upper::no, failure);
        if (rc != kSuccess) return rc;
        begin = end;
    } while (begin < entries.size());
    return kSuccess;
}

std::int16_t send_marks(CConfigClient& client, std::int32_t handle, const std::vector<const CConfigField*>& fields) {
    std::vector<std::string> entries;
    if (!build_entries(client, fields, room_after(client, kChangeHead), kDeleteFieldFailure, entries,
                       write_mark_entry))
        return kError;
    return send_field_batches(client, kMarkFields, handle, entries, kDeleteFieldFailure, true);
}

bool is_change(const CConfigField& f) { return f.bModified && !f.bDeleted && !f.is_new; }
bool is_mark(const CConfigField& f) { return f.bModified && (f.bDeleted || f.bVisibility); }
bool is_addition(const CConfigField& f) { return f.is_new && f.tblfieldnum == 0; }

}  // namespace

std::int16_t get_field_list(CConfigClient& client, model::CConfigTable& table) {
    if (table.fields_loaded) return kSuccess;
    table.fields.clear();
    BodyWriter body = client.body();
    body.number(table.table_handle, 4);
    ReplyReader r;
    const std::int16_t rc = client.request(kFieldList, body, Upper::no, kFieldListFailure, r);
    if (rc != kSuccess) return rc;
    ListReader list(client, r, 4, kFieldListReceiveError);
    while (list.next()) {
        auto field = std::make_unique<CConfigField>();
        if (!read_field(list.reply(), *field)) {
            list.fail_entry();
            break;
        }
        table.fields.push_back(std::move(field));
    }
    const bool failed = list.failed();
    client.done();
    if (failed) return kError;
    table.fields_loaded = true;
    return kSuccess;
}

std::int16_t change_fields(CConfigClient& client, const model::CConfigTable& table) {
    std::vector<const CConfigField*> fields;
    for (const auto& f : table.fields)
        if (is_change(*f)) fields.push_back(f.get());
    std::vector<std::string> entries;
    if (!build_entries(client, fields, room_after(client, kChangeHead), kChangeFieldsFailure, entries,
                       write_change_entry))
        return kError;
    return send_field_batches(client, kChangeFields, table.table_handle, entries, kChangeFieldsFailure, false);
}

std::int16_t mark_fields(CConfigClient& client, const model::CConfigTable& table) {
    std::vector<const CConfigField*> fields;
    for (const auto& f : table.fields)
        if (is_mark(*f)) fields.push_back(f.get());
    return send_marks(client, table.table_handle, fields);
}

std::int16_t delete_cut_fields(CConfigClient& client, model::CConfigTable& table) {
    std::vector<const CConfigField*> fields;
    for (const auto& f : table.cut_fields) fields.push_back(f.get());
    const std::int16_t rc = send_marks(client, table.table_handle, fields);
    // Until the host has taken every message, the cut fields stay; the unload destroys them otherwise.
    if (rc == kSuccess) table.cut_fields.clear();
    return rc;
}

std::int16_t add_fields(CConfigClient& client, model::CConfigTable& table) {
    std::vector<CConfigField*> fields;
    for (auto& f : table.fields)
        if (is_addition(*f)) fields.push_back(f.get());
    const std::size_t room = room_after(client, kAddHead);
    std::vector<std::string> entries;
    const std::vector<const CConfigField*> view(fields.begin(), fields.end());
    if (!build_entries(client, view, room, kAddFieldsFailure, entries, write_add_entry)) return kError;
    if (entries.empty()) {
        client.session().post_error(hostlink::kSqlLinkFailure, kNothingToAdd);
        return kError;
    }
    std::size_t begin = 0;
    while (begin < entries.size()) {
        const std::size_t end = batch_end(entries, begin, room, kMaxFieldsPerMessage);
        BodyWriter body = client.body();
        body.number(table.table_handle, 4);
        body.number(static_cast<std::int64_t>(end - begin), 4);
        for (std::size_t i = begin; i < end; ++i) body.raw(entries[i]);
        body.stop();
        ReplyReader reply;
        const std::int16_t rc = client.request(kAddFields, body, Upper::no, kAddFieldsFailure, reply);
        if (rc != kSuccess) return rc;
        for (std::size_t i = begin; i < end; ++i) {
            const std::uint32_t number = reply.number(4);
            if (reply.failed()) {
                client.done();
                client.session().post_error(hostlink::kSqlLinkFailure, kAddFieldsFailure);
                return kError;
            }
            fields[i]->tblfieldnum = static_cast<std::int32_t>(number);
            fields[i]->is_new = false;
        }
        client.done();
        begin = end;
    }
    return kSuccess;
}

std::int16_t save_field_changes(CConfigClient& client, model::CConfigTable& table) {
    bool marks = false, additions = false;
    for (const auto& f : table.fields) {
        marks = marks || is_mark(*f);
        additions = additions || is_addition(*f);
    }
    // Each request stands on its own, as the table's other save steps do: one refused does not hold back the rest.
    std::int16_t first = kSuccess;
    const auto step = [&first](std::int16_t rc) {
        if (first == kSuccess) first = rc;
    };
    step(change_fields(client, table));
    if (marks) step(mark_fields(client, table));
    if (!table.cut_fields.empty()) step(delete_cut_fields(client, table));
    if (additions) step(add_fields(client, table));
    return first;
}

}  // namespace kestra::configsvc
