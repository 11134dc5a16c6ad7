// The host's side of the tables, sets, where conditions and joins (21-24, 34, 41, 51-56). Everything works on the
// copies of table_handles.h, so nothing reaches the stored file before its save.
#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

#include "body_codec.h"
#include "open_files.h"
#include "request_handlers.h"
#include "table_handles.h"

namespace kestra::hostsim {
namespace {

constexpr const char* kBadRequest = "[Kestra]INVALID TABLE REQUEST";
constexpr const char* kTableNotFound = "[Kestra]TABLE NOT FOUND";
constexpr const char* kInvalidTableName = "[Kestra]INVALID TABLE NAME";
constexpr const char* kDuplicateTableName = "[Kestra]DUPLICATE TABLE NAME";
constexpr const char* kNoHandles = "[Kestra]NO TABLE HANDLES LEFT";
constexpr const char* kInvalidJoinMember = "[Kestra]INVALID JOIN MEMBER";
constexpr std::size_t kMaxTableName = 29;
constexpr std::size_t kMaxShortName = 17;
constexpr std::size_t kMaxWhere = 255;

// An ODBC table name: letters, digits, "-" and "_", at most 29 characters.
bool valid_table_name(const std::string& name) {
    if (name.empty() || name.size() > kMaxTableName) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
    });
}

Table* find_table(std::vector<Table>& tables, int number) {
    for (Table& t : tables) {
        if (t.number == number) return &t;
    }
    return nullptr;
}

bool name_taken(const std::vector<Table>& tables, const std::string& name, int except_number) {
    return std::any_of(tables.begin(), tables.end(), [&](const Table& t) {
        return t.number != except_number && equals_ignore_case(t.name, name);
    });
}

int next_table_number(const std::vector<Table>& tables) {
    int highest = 0;
    for (const Table& t : tables) highest = std::max(highest, t.number);
    return highest + 1;
}

// The table fields that requests 21 and 34 carry after the number.
bool read_table_entry(BodyReader& r, Table& t) {
    r.text(t.name);
    r.number(5, t.option);
    r.flag(t.update_allowed);
    r.flag(t.return_groups);
    r.text(t.database);
    r.text(t.dataset);
    r.text(t.set);
    r.text(t.description_file);
    return r.ok();
}

// Why a table entry cannot be stored, or nullptr. A text sent back as the host holds it passes whatever its
// length: the limits bind new values only.
const char* table_entry_problem(const Table& t, const Table* current = nullptr) {
    const auto kept = [&](const std::string Table::*text) { return current != nullptr && t.*text == current->*text; };
    if (!kept(&Table::name) && !valid_table_name(t.name)) return kInvalidTableName;
    if ((!kept(&Table::database) && t.database.size() > kMaxShortName) ||
        (!kept(&Table::set) && t.set.size() > kMaxShortName))
        return kBadRequest;
    return nullptr;
}

void write_member(BodyWriter& w, const JoinMember& m) {
    w.text(m.sub_table).text(m.where).text(m.set).number(m.join_kind, 1);
    w.number(static_cast<std::int64_t>(m.join_fields.size()), 4);
    for (const JoinField& f : m.join_fields) {
        w.text(f.field).number(f.kind, 1);
        if (f.kind == 0) w.number(f.member, 4);
        w.text(f.value);
    }
}

bool read_member(BodyReader& r, JoinMember& m) {
    int count = 0;
    r.text(m.sub_table);
    r.text(m.where);
    r.text(m.set);
    r.number(1, m.join_kind);
    r.number(4, count);
    for (int i = 0; i < count && r.ok(); ++i) {
        JoinField f;
        r.text(f.field);
        r.number(1, f.kind);
        if (f.kind == 0) r.number(4, f.member);
        r.text(f.value);
        if (f.kind < 0 || f.kind > 2) return false;
        m.join_fields.push_back(std::move(f));
    }
    return r.ok();
}

// A modify-join-members request that runs over several messages: the first names the table and the count, the
// continuations bring members only.
struct MemberUpload {
    int handle = 0;
    int expected = 0;
    std::vector<JoinMember> members;
};
std::mutex upload_mutex;
std::map<const SessionState*, MemberUpload> uploads;

// --- 51 table list ---
void handle_table_list(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    std::vector<Table>* tables = working_tables_from_body(context, r, reply);
    if (tables == nullptr) return;
    std::vector<std::string> entries;
    for (const Table& t : *tables) {
        BodyWriter w;
        w.number(t.number, 4).text(t.name).flag(t.update_allowed).flag(t.return_groups).flag(t.join);
        entries.push_back(w.take());
    }
    reply.list(context.session, BodyWriter().number(static_cast<std::int64_t>(entries.size()), 4).take(), entries);
}

// --- 21 add tables ---
void handle_add_tables(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    std::vector<Table>* tables = working_tables_from_body(context, r, reply);
    if (tables == nullptr) return;
    int count = 0;
    r.number(4, count);
    std::vector<Table> added;
    for (int i = 0; i < count && r.ok(); ++i) {
        Table t;
        if (!read_table_entry(r, t)) break;
        added.push_back(std::move(t));
    }
    if (!r.ok() || !r.at_end()) return reply.refuse(3, kBadRequest);
    for (std::size_t i = 0; i < added.size(); ++i) {
        if (const char* problem = table_entry_problem(added[i])) return reply.refuse(3, problem);
        const bool twice = std::any_of(added.begin(), added.begin() + static_cast<std::ptrdiff_t>(i),
                                       [&](const Table& o) { return equals_ignore_case(o.name, added[i].name); });
        if (twice || name_taken(*tables, added[i].name, 0)) return reply.refuse(3, kDuplicateTableName);
    }
    BodyWriter w;
    for (Table& t : added) {
        t.number = next_table_number(*tables);
        if (t.number > 9999) return reply.refuse(3, kBadRequest);
        w.number(t.number, 4);
        tables->push_back(std::move(t));
    }
    reply.ok(w.take());
}

// --- 22 delete tables ---
void handle_delete_tables(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    std::vector<Table>* tables = working_tables_from_body(context, r, reply);
    if (tables == nullptr) return;
    int count = 0;
    r.number(4, count);
    std::vector<int> numbers;
    for (int i = 0; i < count && r.ok(); ++i) {
        int n = 0;
        if (r.number(4, n)) numbers.push_back(n);
    }
    r.dot();
    if (!r.ok() || !r.at_end()) return reply.refuse(3, kBadRequest);
    for (int n : numbers) {
        if (find_table(*tables, n) == nullptr) return reply.refuse(3, kTableNotFound);
    }
    std::erase_if(*tables, [&](const Table& t) { return std::find(numbers.begin(), numbers.end(), t.number) != numbers.end(); });
    reply.ok();
}

// --- 34 modify tables ---
void handle_modify_tables(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    std::vector<Table>* tables = working_tables_from_body(context, r, reply);
    if (tables == nullptr) return;
    int count = 0;
    r.number(4, count);
    std::vector<Table> changes;
    for (int i = 0; i < count && r.ok(); ++i) {
        Table t;
        r.number(4, t.number);
        if (!read_table_entry(r, t)) break;
        changes.push_back(std::move(t));
    }
    if (!r.ok() || !r.at_end()) return reply.refuse(3, kBadRequest);
    // The whole message is checked before any of it is taken.
    std::vector<Table> after = *tables;
    for (const Table& c : changes) {
        Table* t = find_table(after, c.number);
        if (t == nullptr) return reply.refuse(3, kTableNotFound);
        if (const char* problem = table_entry_problem(c, t)) return reply.refuse(3, problem);
        if (name_taken(after, c.name, c.number)) return reply.refuse(3, kDuplicateTableName);
        t->name = c.name;
        t->option = c.option;
        t->update_allowed = c.update_allowed;
        t->return_groups = c.return_groups;
        if (!t->join) {
            t->database = c.database;
            t->dataset = c.dataset;
            t->set = c.set;
            t->description_file = c.description_file;
        }
    }
    *tables = std::move(after);
    reply.ok();
}

// The body of 23 and 55: N(4) file reference, N(4) table number. Refuses what is missing or unknown.
const Table* table_to_load(RequestContext& context, std::string_view body, Reply& reply, int& reference,
                           int& number, bool join_only) {
    BodyReader r(body);
    std::vector<Table>* tables = working_tables_from_body(context, r, reply, &reference);
    if (tables == nullptr) return nullptr;
    r.number(4, number);
    if (!r.ok() || !r.at_end()) {
        reply.refuse(3, kBadRequest);
        return nullptr;
    }
    const Table* t = find_table(*tables, number);
    if (t == nullptr || (join_only && !t->join)) {
        reply.refuse(3, kTableNotFound);
        return nullptr;
    }
    return t;
}

// --- 23 load table ---
void handle_load_table(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    int reference = 0;
    int number = 0;
    const Table* t = table_to_load(context, body, reply, reference, number, false);
    if (t == nullptr) return;
    const int handle = load_table_handle(context, reference, number, *t);
    if (handle == 0) return reply.refuse(3, kNoHandles);
    BodyWriter w;
    w.number(handle, 4).text(t->name).number(t->option, 5).flag(t->update_allowed).flag(t->return_groups);
    w.text(t->database).text(t->dataset).text(t->set).text(t->description_file).text(t->where);
    reply.ok(w.take());
}

// --- 24 unload table ---
void handle_unload_table(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    int handle = 0;
    bool save = false;
    r.number(4, handle);
    r.flag(save);
    if (!r.ok() || !r.at_end()) return reply.refuse(3, kBadRequest);
    if (!unload_table_handle(context, handle, save)) return reply.refuse(3, kInvalidTableHandle);
    reply.ok();
}

// --- 41 where condition ---
void handle_put_where(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    LoadedTable* t = loaded_table_from_body(context, r, reply);
    if (t == nullptr) return;
    std::string where;
    r.text(where);
    if (!r.ok() || !r.at_end() || where.size() > kMaxWhere) return reply.refuse(3, kBadRequest);
    t->copy.where = std::move(where);
    reply.ok();
}

// --- 54 load sets ---
void handle_load_sets(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    LoadedTable* t = loaded_table_from_body(context, r, reply);
    if (t == nullptr) return;
    if (!r.at_end()) return reply.refuse(3, kBadRequest);
    std::vector<std::string> entries;
    for (const TableSet& s : t->copy.sets) {
        BodyWriter w;
        w.text(s.name).number(s.first, 1).number(s.second, 1).number(s.third, 1);
        w.number(static_cast<std::int64_t>(s.keys.size()), 4);
        for (const SetKey& k : s.keys) w.number(k.field, 4).number(k.first, 1).number(k.second, 1);
        entries.push_back(w.take());
    }
    reply.list(context.session, BodyWriter().number(static_cast<std::int64_t>(entries.size()), 3).take(), entries);
}

// --- 52 add join table ---
void handle_add_join(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    std::vector<Table>* tables = working_tables_from_body(context, r, reply);
    if (tables == nullptr) return;
    int one = 0;
    Table t;
    t.join = true;
    r.number(4, one);
    r.text(t.name);
    r.number(5, t.option);
    if (!r.ok() || !r.at_end() || one != 1) return reply.refuse(3, kBadRequest);
    if (!valid_table_name(t.name)) return reply.refuse(3, kInvalidTableName);
    if (name_taken(*tables, t.name, 0)) return reply.refuse(3, kDuplicateTableName);
    t.number = next_table_number(*tables);
    if (t.number > 9999) return reply.refuse(3, kBadRequest);
    const int number = t.number;
    tables->push_back(std::move(t));
    reply.ok(BodyWriter().number(number, 4).take());
}

// --- 53 modify join header ---
void handle_modify_join_header(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    std::vector<Table>* tables = working_tables_from_body(context, r, reply);
    if (tables == nullptr) return;
    int one = 0, number = 0, option = 0;
    std::string name;
    r.number(4, one);
    r.number(4, number);
    r.text(name);
    r.number(5, option);
    if (!r.ok() || !r.at_end() || one != 1) return reply.refuse(3, kBadRequest);
    Table* t = find_table(*tables, number);
    if (t == nullptr || !t->join) return reply.refuse(3, kTableNotFound);
    if (name != t->name && !valid_table_name(name)) return reply.refuse(3, kInvalidTableName);
    if (name_taken(*tables, name, number)) return reply.refuse(3, kDuplicateTableName);
    t->name = std::move(name);
    t->option = option;
    reply.ok();
}

// --- 55 load join table ---
void handle_load_join(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    int reference = 0;
    int number = 0;
    const Table* t = table_to_load(context, body, reply, reference, number, true);
    if (t == nullptr) return;
    std::vector<std::string> entries;
    for (const JoinMember& m : t->members) {
        BodyWriter w;
        write_member(w, m);
        entries.push_back(w.take());
    }
    const int handle = load_table_handle(context, reference, number, *t);
    if (handle == 0) return reply.refuse(3, kNoHandles);
    BodyWriter head;
    head.number(handle, 4).number(static_cast<std::int64_t>(entries.size()), 4);
    reply.list(context.session, head.take(), entries);
    // A list that cannot be sent leaves nothing loaded.
    if (reply.messages.size() == 1 && reply.messages.front().front() != '0') unload_table_handle(context, handle, false);
}

// --- 56 modify join members ---
void handle_modify_join_members(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    std::lock_guard uploads_lock(upload_mutex);
    BodyReader r(body);
    auto in_progress = uploads.find(&context.session);
    MemberUpload upload;
    if (in_progress != uploads.end()) {
        upload = std::move(in_progress->second);
        uploads.erase(in_progress);
    } else {
        r.number(4, upload.handle);
        r.number(4, upload.expected);
        if (!r.ok()) return reply.refuse(3, kBadRequest);
        if (find_loaded_table(context, upload.handle) == nullptr) return reply.refuse(3, kInvalidTableHandle);
    }
    while (!r.at_end() && static_cast<int>(upload.members.size()) < upload.expected) {
        JoinMember m;
        if (!read_member(r, m)) return reply.refuse(3, kInvalidJoinMember);
        upload.members.push_back(std::move(m));
    }
    if (!r.at_end()) return reply.refuse(3, kBadRequest);
    LoadedTable* t = find_loaded_table(context, upload.handle);
    if (t == nullptr) return reply.refuse(3, kInvalidTableHandle);
    if (static_cast<int>(upload.members.size()) < upload.expected) {
        uploads[&context.session] = std::move(upload);
        reply.ok();
        return;
    }
    for (const JoinMember& m : upload.members) {
        const bool known = std::any_of(t->copy.members.begin(), t->copy.members.end(),
                                       [&](const JoinMember& o) { return o.sub_table == m.sub_table; });
        std::vector<Table>* tables = working_tables(context, t->file_reference);
        const bool exists = tables != nullptr && std::any_of(tables->begin(), tables->end(), [&](const Table& o) {
                                return !o.join && equals_ignore_case(o.name, m.sub_table);
                            });
        if (!known && !exists) return reply.refuse(3, kInvalidJoinMember);
    }
    t->copy.members = std::move(upload.members);
    reply.ok();
}

}  // namespace

void register_tables_handlers(HandlerTable& table) {
    table.add(2, 21, handle_add_tables);
    table.add(2, 22, handle_delete_tables);
    table.add(2, 23, handle_load_table);
    table.add(2, 24, handle_unload_table);
    table.add(2, 34, handle_modify_tables);
    table.add(2, 41, handle_put_where);
    table.add(2, 51, handle_table_list);
    table.add(2, 52, handle_add_join);
    table.add(2, 53, handle_modify_join_header);
    table.add(2, 54, handle_load_sets);
    table.add(2, 55, handle_load_join);
    table.add(2, 56, handle_modify_join_members);

    // The file's save and close (handled with the configuration files) also end this family's copies: the save
    // stores the working tables before the file handler answers (and perhaps writes the state out), the close
    // drops them once the file handler accepted it.
    if (const HandlerTable::Entry* save_entry = table.find(2, 40)) {
        Handler save_handler = save_entry->handler;
        table.add(2, 40, [save_handler](RequestContext& context, std::string_view body, Reply& reply) {
            BodyReader r(body);
            int reference = 0;
            if (r.number(4, reference)) {
                std::lock_guard lock(context.host.mutex);
                commit_working_tables(context, reference);
            }
            save_handler(context, body, reply);
        });
    }
    if (const HandlerTable::Entry* close_entry = table.find(2, 19)) {
        Handler close_handler = close_entry->handler;
        table.add(2, 19, [close_handler](RequestContext& context, std::string_view body, Reply& reply) {
            close_handler(context, body, reply);
            if (reply.messages.empty() || reply.messages.front().empty() || reply.messages.front().front() != '0')
                return;
            BodyReader r(body);
            int reference = 0;
            if (!r.number(4, reference)) return;
            std::lock_guard lock(context.host.mutex);
            discard_working_tables(context, reference);
        });
    }
}

}  // namespace kestra::hostsim
