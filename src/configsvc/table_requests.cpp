#include "configsvc/table_requests.h"

#include <algorithm>
#include <string>

#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"

namespace kestra::configsvc {

namespace {

constexpr std::uint16_t kAddTables = 21;
constexpr std::uint16_t kDeleteTables = 22;
constexpr std::uint16_t kLoadTable = 23;
constexpr std::uint16_t kUnloadTable = 24;
constexpr std::uint16_t kModifyTables = 34;
constexpr std::uint16_t kPutWhere = 41;
constexpr std::uint16_t kTableList = 51;
constexpr std::uint16_t kAddJoinTable = 52;
constexpr std::uint16_t kModifyJoinHeader = 53;
constexpr std::uint16_t kLoadSets = 54;
constexpr std::uint16_t kLoadJoinTable = 55;
constexpr std::uint16_t kModifyJoinMembers = 56;

// Room a batched message leaves for its entries after the file reference (or handle) and the count.
constexpr std::size_t kBatchHead = 8;
// Request 22 also ends with ".".
constexpr std::size_t kDeleteHead = 10;

using model::CConfigTable;
using model::CJoinMember;

// Characters a "%0*d" number takes: the width, or more for a wider value.
std::size_t whole_width(std::int64_t value, std::size_t width) {
    std::size_t digits = 1;
    for (std::int64_t v = value < 0 ? -value : value; v >= 10; v /= 10) ++digits;
    return std::max(digits, width);
}

template <typename Text>
std::size_t text_size(const Text& text) {
    return 3 + text.size();
}

std::size_t room_after(std::size_t limit, std::size_t head) { return limit > head ? limit - head : 0; }

// Entry of request 21.
std::size_t add_entry_size(const CConfigTable& t) {
    return text_size(t.name) + whole_width(t.table_option, 5) + 2 + text_size(t.database) + text_size(t.dataset) +
           text_size(t.set) + text_size(t.description_file);
}

bool write_add_entry(BodyWriter& body, const CConfigTable& t) {
    body.text(t.name.view());
    body.number_whole(t.table_option, 5);
    body.flag(t.update_allowed);
    body.flag(t.return_groups);
    body.text(t.database.view());
    body.text(t.dataset.view());
    body.text(t.set.view());
    return body.text(t.description_file.view());
}

// Entry of request 34: 26 characters and the five texts.
std::size_t modify_entry_size(const CConfigTable& t) {
    return whole_width(t.table_number, 4) + add_entry_size(t);
}

bool write_modify_entry(BodyWriter& body, const CConfigTable& t) {
    body.number_whole(t.table_number, 4);
    return write_add_entry(body, t);
}

// Join fields sent for a member: those before the first of kind none (or any other negative kind).
std::size_t sent_join_fields(const CJoinMember& m) {
    std::size_t n = 0;
    while (n < m.join_fields.size() && m.join_fields[n]->kind >= 0) ++n;
    return n;
}

std::size_t member_size(const CJoinMember& m) {
    const std::size_t fields = sent_join_fields(m);
    std::size_t size = text_size(m.sub_table) + text_size(m.where_condition) + text_size(m.set) +
                       whole_width(m.join_kind, 1) + whole_width(static_cast<std::int64_t>(fields), 4);
    for (std::size_t i = 0; i < fields; ++i) {
        const auto& f = *m.join_fields[i];
        size += text_size(f.field) + whole_width(f.kind, 1) + text_size(f.value);
        if (f.kind == model::JoinFieldKind::field) size += whole_width(f.member_number, 4);
    }
    return size;
}

bool member_writable(const CJoinMember& m) {
    if (m.join_kind < 0) return false;
    const std::size_t fields = sent_join_fields(m);
    for (std::size_t i = 0; i < fields; ++i) {
        const auto& f = *m.join_fields[i];
        if (f.kind == model::JoinFieldKind::field && f.member_number < 0) return false;
    }
    return true;
}

bool write_member(BodyWriter& body, const CJoinMember& m) {
    const std::size_t fields = sent_join_fields(m);
    body.text(m.sub_table.view());
    body.text(m.where_condition.view());
    body.text(m.set.view());
    body.number_whole(m.join_kind, 1);
    body.number_whole(static_cast<std::int64_t>(fields), 4);
    for (std::size_t i = 0; i < fields; ++i) {
        const auto& f = *m.join_fields[i];
        body.text(f.field.view());
        body.number_whole(f.kind, 1);
        if (f.kind == model::JoinFieldKind::field) body.number_whole(f.member_number, 4);
        body.text(f.value.view());
    }
    return body.ok();
}

// A reply that ended before the elements it owes is a failed request, not a success.
std::int16_t short_reply(CConfigClient& client, const char* failure) {
    client.done();
    client.session().post_error(hostlink::kSqlLinkFailure, failure);
    return hostlink::kError;
}

// Request 24 for a loaded table; its details go whatever the host says.
std::int16_t send_unload(CConfigClient& client, CConfigTable& table, bool save) {
    BodyWriter body = client.body();
    body.number_whole(table.table_handle, 4);
    body.flag(save);
    const std::int16_t rc = client.simple_request(kUnloadTable, body, Upper::no, kUnloadTableFailure);
    table.clear_loaded_details();
    return rc;
}

// Unloads a handle the model never took, after a load that could not be completed.
void drop_handle(CConfigClient& client, std::int32_t handle) {
    BodyWriter body = client.body();
    body.number_whole(handle, 4);
    body.flag(false);
    client.simple_request(kUnloadTable, body, Upper::no, kUnloadTableFailure);
}

std::int16_t first_failure(std::int16_t so_far, std::int16_t rc) { return so_far != 0 ? so_far : rc; }

}  // namespace

// --- Table list ---

std::int16_t get_table_list(CConfigClient& client, CPendingUnloadList& pending, model::CConfigFile& file) {
    forget_tables(client, pending, file);
    file.tables.clear();

    BodyWriter body = client.body();
    body.number_whole(file.file_reference, 4);
    body.stop();
    ReplyReader reply;
    const std::int16_t rc = client.request(kTableList, body, Upper::yes, kTableListFailure, reply,
                                           kTableListReceiveError);
    if (rc != 0) return rc;
    ListReader list(client, reply, 4, kTableListReceiveError);
    while (list.next()) {
        ReplyReader& r = list.reply();
        auto table = std::make_unique<CConfigTable>();
        table->table_number = static_cast<std::int32_t>(r.number(4));
        std::string name;
        r.text(name);
        table->update_allowed = r.flag();
        table->return_groups = r.flag();
        table->join_table = r.flag();
        if (r.failed()) {
            list.fail_entry();
            break;
        }
        table->name.assign(name);
        file.tables.push_back(std::move(table));
    }
    const bool failed = list.failed();
    client.done();
    return failed ? hostlink::kError : hostlink::kSuccess;
}

// --- Add, delete, modify ---

std::int16_t add_tables(CConfigClient& client, std::uint32_t file_reference, std::span<CConfigTable* const> tables) {
    const std::size_t empty_room = room_after(client.session().data_limit(), kBatchHead);
    for (const CConfigTable* t : tables) {
        if (t == nullptr || add_entry_size(*t) > empty_room) {
            client.refuse(kAddTablesFailure);
            return hostlink::kError;
        }
    }
    std::size_t next = 0;
    while (next < tables.size()) {
        std::size_t room = empty_room;
        std::size_t end = next;
        while (end < tables.size() && add_entry_size(*tables[end]) <= room) room -= add_entry_size(*tables[end++]);

        BodyWriter body = client.body();
        body.number_whole(file_reference, 4);
        body.number_whole(static_cast<std::int64_t>(end - next), 4);
        for (std::size_t i = next; i < end; ++i) write_add_entry(body, *tables[i]);
        ReplyReader reply;
        const std::int16_t rc = client.request(kAddTables, body, Upper::no, kAddTablesFailure, reply);
        if (rc != 0) return rc;
        for (std::size_t i = next; i < end; ++i) {
            const std::uint32_t number = reply.number(4);
            if (reply.failed()) return short_reply(client, kAddTablesFailure);
            tables[i]->table_number = static_cast<std::int32_t>(number);
        }
        client.done();
        next = end;
    }
    return hostlink::kSuccess;
}

std::int16_t add_tables(CConfigClient& client, std::uint32_t file_reference,
                        const std::vector<std::unique_ptr<CConfigTable>>& tables) {
    std::vector<CConfigTable*> raw;
    raw.reserve(tables.size());
    for (const auto& t : tables) raw.push_back(t.get());
    return add_tables(client, file_reference, std::span<CConfigTable* const>(raw));
}

std::int16_t delete_tables(CConfigClient& client, std::uint32_t file_reference, std::span<const std::int32_t> numbers,
                           std::size_t* deleted) {
    if (deleted != nullptr) *deleted = 0;
    const std::size_t empty_room = room_after(client.session().data_limit(), kDeleteHead);
    for (std::int32_t n : numbers) {
        if (n < 0 || whole_width(n, 4) > empty_room) {
            client.refuse(kDeleteTablesFailure);
            return hostlink::kError;
        }
    }
    std::size_t next = 0;
    while (next < numbers.size()) {
        std::size_t room = empty_room;
        std::size_t end = next;
        while (end < numbers.size() && whole_width(numbers[end], 4) <= room) room -= whole_width(numbers[end++], 4);

        BodyWriter body = client.body();
        body.number_whole(file_reference, 4);
        body.number_whole(static_cast<std::int64_t>(end - next), 4);
        for (std::size_t i = next; i < end; ++i) body.number_whole(numbers[i], 4);
        body.stop();
        const std::int16_t rc = client.simple_request(kDeleteTables, body, Upper::yes, kDeleteTablesFailure);
        if (rc != 0) return rc;
        next = end;
        if (deleted != nullptr) *deleted = next;
    }
    return hostlink::kSuccess;
}

std::int16_t remove_tables(CConfigClient& client, CPendingUnloadList& pending, model::CConfigFile& file,
                           std::span<const std::int32_t> numbers) {
    for (const auto& t : file.tables) {
        if (std::find(numbers.begin(), numbers.end(), t->table_number) != numbers.end())
            forget_table(client, pending, *t, true);
    }
    std::size_t deleted = 0;
    const std::int16_t rc = delete_tables(client, static_cast<std::uint32_t>(file.file_reference), numbers, &deleted);
    if (deleted == 0) return rc;
    const auto gone = numbers.first(deleted);
    std::erase_if(file.tables, [&](const std::unique_ptr<CConfigTable>& t) {
        return std::find(gone.begin(), gone.end(), t->table_number) != gone.end();
    });
    file.modified = true;
    return rc;
}

std::int16_t modify_tables(CConfigClient& client, std::uint32_t file_reference,
                           const std::vector<std::unique_ptr<CConfigTable>>& tables) {
    std::vector<CConfigTable*> changed;
    for (const auto& t : tables) {
        if (t->changed) changed.push_back(t.get());
    }
    const std::size_t empty_room = room_after(client.session().data_limit(), kBatchHead);
    for (const CConfigTable* t : changed) {
        if (modify_entry_size(*t) > empty_room) {
            client.refuse(kModifyTablesFailure);
            return hostlink::kError;
        }
    }
    std::size_t next = 0;
    while (next < changed.size()) {
        std::size_t room = empty_room;
        std::size_t end = next;
        while (end < changed.size() && modify_entry_size(*changed[end]) <= room)
            room -= modify_entry_size(*changed[end++]);

        BodyWriter body = client.body();
        body.number_whole(file_reference, 4);
        body.number_whole(static_cast<std::int64_t>(end - next), 4);
        for (std::size_t i = next; i < end; ++i) write_modify_entry(body, *changed[i]);
        const std::int16_t rc = client.simple_request(kModifyTables, body, Upper::no, kModifyTablesFailure);
        if (rc != 0) return rc;
        // Only an accepted message lets go of its tables' changes; a join keeps its flag for its members.
        for (std::size_t i = next; i < end; ++i) {
            if (!changed[i]->join_table) changed[i]->changed = false;
        }
        next = end;
    }
    return hostlink::kSuccess;
}

// --- Load and unload ---

std::int16_t load_table(CConfigClient& client, std::uint32_t file_reference, CConfigTable& table) {
    if (table.loaded) return hostlink::kSuccess;
    BodyWriter body = client.body();
    body.number_whole(file_reference, 4);
    body.number_whole(table.table_number, 4);
    ReplyReader reply;
    const std::int16_t rc = client.request(kLoadTable, body, Upper::no, kLoadTableFailure, reply);
    if (rc != 0) return rc;

    const std::uint32_t handle = reply.number(4);
    const bool have_handle = !reply.failed();
    std::string name, database, dataset, set, description_file, where;
    reply.text(name);
    const std::uint32_t option = reply.number(5);
    const bool update_allowed = reply.flag();
    const bool return_groups = reply.flag();
    reply.text(database);
    reply.text(dataset);
    reply.text(set);
    reply.text(description_file);
    reply.text(where);
    if (reply.failed()) {
        short_reply(client, kLoadTableFailure);
        // The host did load it; give the handle back so nothing stays loaded there for nobody.
        if (have_handle) drop_handle(client, static_cast<std::int32_t>(handle));
        return hostlink::kError;
    }
    client.done();
    table.table_handle = static_cast<std::int32_t>(handle);
    table.name.assign(name);
    table.table_option = static_cast<std::int32_t>(option);
    table.update_allowed = update_allowed;
    table.return_groups = return_groups;
    table.database.assign(database);
    table.dataset.assign(dataset);
    table.set.assign(set);
    table.description_file.assign(description_file);
    table.where_condition.assign(where);
    table.loaded = true;
    return hostlink::kSuccess;
}

std::int16_t unload_table(CConfigClient& client, CPendingUnloadList& pending, CConfigTable& table, bool save,
                          bool defer) {
    if (!table.loaded) {
        pending.take(&table);
        table.clear_loaded_details();
        return hostlink::kSuccess;
    }
    const auto taken = pending.take(&table);
    CConfigTable* target = &table;
    if (defer) {
        CPendingUnloadList::Entry entry = taken ? *taken : CPendingUnloadList::Entry{&table, false};
        if (save) entry.save = true;  // a kept change is never given up by a later deferral
        pending.append(entry);
        if (pending.size() <= CPendingUnloadList::kMaxEntries) return hostlink::kSuccess;
        const auto oldest = pending.take_oldest();
        target = oldest->table;
        save = oldest->save;
        if (!target->loaded) {
            target->clear_loaded_details();
            return hostlink::kSuccess;
        }
    } else if (taken && taken->save) {
        save = true;
    }
    return send_unload(client, *target, save);
}

std::int16_t unload_all_tables(CConfigClient& client, CPendingUnloadList& pending, bool save) {
    std::int16_t result = hostlink::kSuccess;
    while (auto entry = pending.take_oldest()) {
        CConfigTable& table = *entry->table;
        if (!table.loaded) {
            table.clear_loaded_details();
            continue;
        }
        result = first_failure(result, send_unload(client, table, entry->save && save));
    }
    return result;
}

std::int16_t forget_table(CConfigClient& client, CPendingUnloadList& pending, CConfigTable& table, bool deleting) {
    const auto entry = pending.take(&table);
    if (!entry) return hostlink::kSuccess;
    if (!table.loaded) {
        table.clear_loaded_details();
        return hostlink::kSuccess;
    }
    return send_unload(client, table, entry->save && !deleting);
}

std::int16_t forget_tables(CConfigClient& client, CPendingUnloadList& pending, model::CConfigFile& file) {
    std::int16_t result = hostlink::kSuccess;
    for (const auto& t : file.tables) result = first_failure(result, forget_table(client, pending, *t, false));
    return result;
}

bool replace_table(CConfigClient& client, CPendingUnloadList& pending, model::CConfigFile& file, std::size_t index,
                   std::unique_ptr<CConfigTable> replacement) {
    if (index >= file.tables.size() || !replacement) return false;
    const CConfigTable& old = *file.tables[index];
    const bool same_host_table = old.loaded && replacement->loaded && old.table_handle == replacement->table_handle;
    // Unloading the old record would release the handle the copy still uses.
    if (!same_host_table || !pending.rebind(&old, replacement.get())) forget_table(client, pending, *file.tables[index], false);
    file.tables[index] = std::move(replacement);
    return true;
}

// --- Where condition and sets ---

std::int16_t put_where_condition(CConfigClient& client, const CConfigTable& table) {
    BodyWriter body = client.body();
    body.number_whole(table.table_handle, 4);
    body.text(table.where_condition.view());
    return client.simple_request(kPutWhere, body, Upper::no, kWhereConditionFailure);
}

std::int16_t load_sets(CConfigClient& client, CConfigTable& table) {
    if (table.sets_loaded) return hostlink::kSuccess;
    table.sets.clear();
    BodyWriter body = client.body();
    body.number_whole(table.table_handle, 4);
    ReplyReader reply;
    const std::int16_t rc = client.request(kLoadSets, body, Upper::no, kLoadSetsFailure, reply, kDetailsReceiveError);
    if (rc != 0) return rc;
    ListReader list(client, reply, 3, kDetailsReceiveError);
    while (list.next()) {
        ReplyReader& r = list.reply();
        auto set = std::make_unique<model::CTableSet>();
        std::string name;
        r.text(name);
        set->first_attribute = static_cast<std::int32_t>(r.number(1));
        set->second_attribute = static_cast<std::int32_t>(r.number(1));
        set->third_attribute = static_cast<std::int32_t>(r.number(1));
        const std::uint32_t keys = r.number(4);
        // Every key takes 6 characters of this very message; a count beyond that is a broken entry.
        if (r.failed() || keys > r.remaining() / 6) {
            list.fail_entry();
            break;
        }
        set->keys.reserve(keys);
        for (std::uint32_t k = 0; k < keys; ++k) {
            model::CSetKey key;
            key.field_number = static_cast<std::int32_t>(r.number(4));
            key.first_attribute = static_cast<std::int32_t>(r.number(1));
            key.second_attribute = static_cast<std::int32_t>(r.number(1));
            set->keys.push_back(key);
        }
        if (r.failed()) {
            list.fail_entry();
            break;
        }
        set->set_name.assign(name);
        table.sets.push_back(std::move(set));
    }
    const bool failed = list.failed();
    client.done();
    if (failed) return hostlink::kError;
    table.sets_loaded = true;
    return hostlink::kSuccess;
}

// --- Join tables ---

std::int16_t add_join_table(CConfigClient& client, std::uint32_t file_reference, CConfigTable& table) {
    BodyWriter body = client.body();
    body.number_whole(file_reference, 4);
    body.number_whole(1, 4);
    body.text(table.name.view());
    body.number_whole(table.table_option, 5);
    std::uint32_t number = 0;
    const std::int16_t rc = client.number_request(kAddJoinTable, body, Upper::no, kAddJoinTableFailure, number);
    if (rc == 0) table.table_number = static_cast<std::int32_t>(number);
    return rc;
}

std::int16_t modify_join_header(CConfigClient& client, std::uint32_t file_reference, const CConfigTable& table) {
    BodyWriter body = client.body();
    body.number_whole(file_reference, 4);
    body.number_whole(1, 4);
    body.number_whole(table.table_number, 4);
    body.text(table.name.view());
    body.number_whole(table.table_option, 5);
    return client.simple_request(kModifyJoinHeader, body, Upper::no, kModifyJoinHeaderFailure);
}

std::int16_t load_join_table(CConfigClient& client, std::uint32_t file_reference, CConfigTable& table,
                             bool header_only) {
    if (table.loaded) return hostlink::kSuccess;
    if (!header_only) table.members.clear();
    BodyWriter body = client.body();
    body.number_whole(file_reference, 4);
    body.number_whole(table.table_number, 4);
    ReplyReader reply;
    const std::int16_t rc = client.request(kLoadJoinTable, body, Upper::no, kLoadTableFailure, reply,
                                           kDetailsReceiveError);
    if (rc != 0) return rc;
    const std::uint32_t handle = reply.number(4);
    if (reply.failed()) return short_reply(client, kLoadTableFailure);
    if (header_only) {
        client.done();
        table.table_handle = static_cast<std::int32_t>(handle);
        table.loaded = true;
        return hostlink::kSuccess;
    }

    ListReader list(client, reply, 4, kDetailsReceiveError);
    while (list.next()) {
        ReplyReader& r = list.reply();
        auto member = std::make_unique<CJoinMember>();
        std::string sub_table, where, set;
        r.text(sub_table);
        r.text(where);
        r.text(set);
        member->join_kind = static_cast<std::int32_t>(r.number(1));
        const std::uint32_t count = r.number(4);
        // A join field takes at least 7 characters ("000" field, kind, "000" value) of this message.
        if (r.failed() || count > r.remaining() / 7) {
            list.fail_entry();
            break;
        }
        member->join_fields.reserve(count);
        for (std::uint32_t i = 0; i < count && !r.failed(); ++i) {
            auto field = std::make_unique<model::CJoinField>();
            std::string name, value;
            r.text(name);
            field->kind = static_cast<std::int32_t>(r.number(1));
            if (field->kind == model::JoinFieldKind::field) field->member_number = static_cast<std::int32_t>(r.number(4));
            r.text(value);
            field->field.assign(name);
            field->value.assign(value);
            member->join_fields.push_back(std::move(field));
        }
        if (r.failed()) {
            list.fail_entry();
            break;
        }
        member->sub_table.assign(sub_table);
        member->where_condition.assign(where);
        member->set.assign(set);
        table.members.push_back(std::move(member));
    }
    const bool failed = list.failed();
    client.done();
    if (failed) {
        // A partial member list must never be written back over the host's.
        table.members.clear();
        drop_handle(client, static_cast<std::int32_t>(handle));
        return hostlink::kError;
    }
    table.table_handle = static_cast<std::int32_t>(handle);
    table.loaded = true;
    return hostlink::kSuccess;
}

std::int16_t modify_join_members(CConfigClient& client, CConfigTable& table) {
    if (!table.changed) return hostlink::kSuccess;
    const std::size_t limit = client.session().data_limit();
    for (const auto& m : table.members) {
        if (!member_writable(*m) || member_size(*m) > limit) {
            client.refuse(kModifyJoinMembersFailure);
            return hostlink::kError;
        }
    }
    BodyWriter body = client.body();
    body.number_whole(table.table_handle, 4);
    body.number_whole(static_cast<std::int64_t>(table.members.size()), 4);
    std::size_t room = room_after(limit, kBatchHead);
    for (const auto& m : table.members) {
        const std::size_t size = member_size(*m);
        if (size > room) {
            const std::int16_t rc = client.simple_request(kModifyJoinMembers, body, Upper::no,
                                                          kModifyJoinMembersFailure);
            if (rc != 0) return rc;
            body = client.body();
            room = limit;
        }
        write_member(body, *m);
        room -= size;
    }
    const std::int16_t rc = client.simple_request(kModifyJoinMembers, body, Upper::no, kModifyJoinMembersFailure);
    if (rc == 0) table.changed = false;
    return rc;
}

// --- Saving an edited table ---

std::int16_t save_table(CConfigClient& client, CPendingUnloadList& pending, model::CConfigFile& file,
                        CConfigTable& table, const TableSaveOptions& options) {
    std::int16_t result = hostlink::kSuccess;
    if (options.where_changed) result = first_failure(result, put_where_condition(client, table));
    if (table.changed) {
        result = first_failure(result,
                               modify_tables(client, static_cast<std::uint32_t>(file.file_reference), file.tables));
    }
    if (options.fields) result = first_failure(result, options.fields(client, table));
    result = first_failure(result, unload_table(client, pending, table, true, options.defer_unload));
    file.modified = true;
    return result;
}

}  // namespace kestra::configsvc
