// The host's side of the field list and field changes (25-28). They work on the loaded table's working copy; an
// unload with save hands it back to the file.
#include <algorithm>
#include <mutex>

#include "body_codec.h"
#include "request_handlers.h"
#include "table_handles.h"

namespace kestra::hostsim {
namespace {

constexpr const char* kInvalidRequest = "[Kestra]INVALID REQUEST";
constexpr const char* kFieldNotFound = "[Kestra]FIELD NOT FOUND";
constexpr const char* kDuplicateField = "[Kestra]DUPLICATE FIELD NAME";
constexpr const char* kInvalidFieldName = "[Kestra]INVALID FIELD NAME";
constexpr const char* kNoFieldNumbers = "[Kestra]NO FIELD NUMBER FREE";
constexpr int kMaxFieldNumber = 9999;
constexpr std::size_t kMaxFieldName = 29;

bool has_date_format(int date_kind) { return date_kind >= 2 && date_kind <= 4; }

const std::string& shown_name(const Field& f) { return f.name.empty() ? f.host_name : f.name; }

// Length part A, as the field list carries it.
void write_length_a(BodyWriter& w, const Field& f) {
    if ((f.type >= 1 && f.type <= 4) || f.type == 22) {
        w.number(f.length, 4);
    } else if ((f.type >= 5 && f.type <= 21) || f.type == 23 || (f.type >= 25 && f.type <= 35)) {
        w.number(f.length, 4).number(f.decimals, 2);
    }
}

std::string field_entry(const Field& f) {
    BodyWriter w;
    w.number(f.number, 4).text(f.host_name).text(f.name).number(f.date_kind, 1);
    if (has_date_format(f.date_kind)) w.number(f.date_format, 2);
    w.number(f.kind, 1);
    if (f.kind == 0) w.flag(f.visible);
    if (f.kind == 0 || f.kind == 1) w.flag(f.update_allowed);
    w.number(f.type, 2);
    if (f.kind == 0 || f.kind == 1) w.number(f.offset, 4);
    write_length_a(w, f);
    if (f.kind == 1)
        w.number(f.offset_value, 4).flag(f.offset_in_chars).flag(f.offset_from_start).text(f.base_field);
    if (f.kind == 2) w.text(f.expression);
    return w.take();
}

// The date kind, its format and what follows for a user-defined or calculated field, as 26 and 28 carry them.
bool read_dates(BodyReader& r, Field& f) {
    if (!r.number(1, f.date_kind)) return false;
    if (has_date_format(f.date_kind) && !r.number(2, f.date_format)) return false;
    if (!has_date_format(f.date_kind)) f.date_format = 0;
    return true;
}

bool read_user_tail(BodyReader& r, Field& f) {
    r.flag(f.update_allowed);
    r.number(2, f.type);
    r.number(4, f.offset);
    r.number(4, f.length);
    f.decimals = 0;
    if (f.type < 1 || f.type > 4) r.number(2, f.decimals);
    r.number(4, f.offset_value);
    r.flag(f.offset_in_chars);
    r.flag(f.offset_from_start);
    r.text(f.base_field);
    return r.ok() && f.base_field.size() <= 31;
}

bool read_calculated_tail(BodyReader& r, Field& f) {
    r.number(2, f.type);
    r.number(4, f.length);
    f.decimals = 0;
    if (f.type == 23) r.number(2, f.decimals);
    r.text(f.expression);
    return r.ok() && !f.expression.empty() && f.expression.size() <= 255;
}

bool names_unique(const std::vector<Field>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i)
        for (std::size_t j = i + 1; j < fields.size(); ++j)
            if (equals_ignore_case(shown_name(fields[i]), shown_name(fields[j]))) return false;
    return true;
}

Field* find_field(std::vector<Field>& fields, int number) {
    auto it = std::find_if(fields.begin(), fields.end(), [&](const Field& f) { return f.number == number; });
    return it == fields.end() ? nullptr : &*it;
}

void handle_field_list(RequestContext& context, std::string_view body, Reply& reply) {
    std::vector<std::string> entries;
    {
        std::lock_guard lock(context.host.mutex);
        BodyReader r(body);
        LoadedTable* table = loaded_table_from_body(context, r, reply);
        if (table == nullptr) return;
        if (!r.at_end()) return reply.refuse(3, kInvalidRequest);
        for (const Field& f : table->copy.fields) entries.push_back(field_entry(f));
    }
    reply.list(context.session, BodyWriter().number(static_cast<std::int64_t>(entries.size()), 4).take(), entries);
}

// Every message is taken whole or not at all: the changes go to a copy of the fields first.
void handle_change_fields(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    LoadedTable* table = loaded_table_from_body(context, r, reply);
    if (table == nullptr) return;
    std::vector<Field> fields = table->copy.fields;
    int count = 0;
    r.number(4, count);
    for (int i = 0; i < count && r.ok(); ++i) {
        int number = 0;
        std::string name;
        r.number(4, number);
        r.text(name);
        if (!r.ok()) break;
        Field* f = find_field(fields, number);
        if (f == nullptr) return reply.refuse(3, kFieldNotFound);
        // The host knows the kind from the number; the message does not carry it.
        bool read = read_dates(r, *f);
        if (read && f->kind == 0) read = r.flag(f->update_allowed);
        if (read && f->kind == 1) read = read_user_tail(r, *f);
        if (read && f->kind == 2) read = read_calculated_tail(r, *f);
        if (!read) return reply.refuse(3, kInvalidRequest);
        if (!name.empty()) {
            if (name.size() > kMaxFieldName) return reply.refuse(3, kInvalidFieldName);
            f->name = name;
        }
    }
    if (!r.ok() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    if (!names_unique(fields)) return reply.refuse(3, kDuplicateField);
    table->copy.fields = std::move(fields);
    reply.ok();
}

// The mark byte is a value: 1 hides a host field or deletes a user-defined or calculated one, 0 shows it again.
void handle_mark_fields(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    LoadedTable* table = loaded_table_from_body(context, r, reply);
    if (table == nullptr) return;
    std::vector<Field> fields = table->copy.fields;
    int count = 0;
    r.number(4, count);
    for (int i = 0; i < count && r.ok(); ++i) {
        int number = 0;
        std::string mark;
        r.number(4, number);
        r.raw(1, mark);
        if (!r.ok()) break;
        if (mark[0] != '\0' && mark[0] != '\x01') return reply.refuse(3, kInvalidRequest);
        const bool on = mark[0] == '\x01';
        auto it = std::find_if(fields.begin(), fields.end(), [&](const Field& f) { return f.number == number; });
        if (it == fields.end()) return reply.refuse(3, kFieldNotFound);
        if (it->kind == 0)
            it->visible = !on;
        else if (on)
            fields.erase(it);
    }
    if (!r.ok() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    table->copy.fields = std::move(fields);
    reply.ok();
}

void handle_add_fields(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    LoadedTable* table = loaded_table_from_body(context, r, reply);
    if (table == nullptr) return;
    std::vector<Field> fields = table->copy.fields;
    int next = 0;
    for (const Field& f : fields) next = std::max(next, f.number);
    int count = 0;
    r.number(4, count);
    BodyWriter numbers;
    for (int i = 0; i < count && r.ok(); ++i) {
        Field f;
        r.text(f.name);
        if (!read_dates(r, f) || !r.number(1, f.kind)) break;
        bool read = false;
        if (f.kind == 1) read = read_user_tail(r, f);
        if (f.kind == 2) read = read_calculated_tail(r, f);
        if (!read) return reply.refuse(3, kInvalidRequest);  // host fields are never new
        if (f.name.empty() || f.name.size() > kMaxFieldName) return reply.refuse(3, kInvalidFieldName);
        if (++next > kMaxFieldNumber) return reply.refuse(3, kNoFieldNumbers);
        f.number = next;
        numbers.number(next, 4);
        fields.push_back(std::move(f));
    }
    if (!r.dot() || !r.at_end() || count == 0) return reply.refuse(3, kInvalidRequest);
    if (!names_unique(fields)) return reply.refuse(3, kDuplicateField);
    table->copy.fields = std::move(fields);
    reply.ok(numbers.take());
}

}  // namespace

void register_fields_handlers(HandlerTable& table) {
    table.add(2, 25, handle_field_list);
    table.add(2, 26, handle_change_fields);
    table.add(2, 27, handle_mark_fields);
    table.add(2, 28, handle_add_fields);
}

}  // namespace kestra::hostsim
