#include "table_handles.h"

#include <map>
#include <mutex>

#include "open_files.h"

namespace kestra::hostsim {

namespace {

struct HandleEntry {
    const SessionState* owner = nullptr;
    LoadedTable table;
};

struct WorkingFile {
    const SessionState* owner = nullptr;
    int number = 0;  // the file it is a copy of
    std::vector<Table> tables;
};

struct TableWork {
    std::map<int, HandleEntry> handles;
    int last_handle = 0;
    std::map<int, WorkingFile> files;  // by file reference
};

// Beside the host state like the open-file table: copies and handles are session business, never saved.
std::mutex work_mutex;
std::map<const SharedHost*, TableWork> work;

TableWork& work_of(const SharedHost& host) { return work[&host]; }

}  // namespace

int load_table_handle(RequestContext& context, int file_reference, int table_number, Table copy) {
    std::lock_guard lock(work_mutex);
    TableWork& w = work_of(context.host);
    if (w.handles.size() >= static_cast<std::size_t>(kMaxTableHandle)) return 0;
    int handle = w.last_handle;
    do {
        handle = handle % kMaxTableHandle + 1;
    } while (w.handles.count(handle) != 0);
    w.last_handle = handle;
    w.handles[handle] = HandleEntry{&context.session, LoadedTable{handle, file_reference, table_number, std::move(copy)}};
    return handle;
}

LoadedTable* find_loaded_table(RequestContext& context, int handle) {
    std::lock_guard lock(work_mutex);
    TableWork& w = work_of(context.host);
    auto it = w.handles.find(handle);
    if (it == w.handles.end() || it->second.owner != &context.session) return nullptr;
    return &it->second.table;
}

LoadedTable* loaded_table_from_body(RequestContext& context, BodyReader& body, Reply& reply) {
    int handle = 0;
    LoadedTable* table = body.number(4, handle) ? find_loaded_table(context, handle) : nullptr;
    if (table == nullptr) reply.refuse(3, kInvalidTableHandle);
    return table;
}

bool unload_table_handle(RequestContext& context, int handle, bool save) {
    LoadedTable loaded;
    {
        std::lock_guard lock(work_mutex);
        TableWork& w = work_of(context.host);
        auto it = w.handles.find(handle);
        if (it == w.handles.end() || it->second.owner != &context.session) return false;
        loaded = std::move(it->second.table);
        w.handles.erase(it);
    }
    if (!save || loaded.table_number == 0) return true;
    std::vector<Table>* tables = working_tables(context, loaded.file_reference);
    if (tables == nullptr) return true;
    for (Table& t : *tables) {
        if (t.number != loaded.table_number) continue;
        // Name and flags travel by request 34 on the file's copy while the table is loaded; the handle owns the rest.
        t.where = std::move(loaded.copy.where);
        t.fields = std::move(loaded.copy.fields);
        t.sets = std::move(loaded.copy.sets);
        t.members = std::move(loaded.copy.members);
        break;
    }
    return true;
}

std::vector<Table>* working_tables(RequestContext& context, int file_reference) {
    ConfigFile* stored = find_open_file(context, file_reference);
    if (stored == nullptr) return nullptr;
    std::lock_guard lock(work_mutex);
    TableWork& w = work_of(context.host);
    auto it = w.files.find(file_reference);
    if (it == w.files.end() || it->second.owner != &context.session || it->second.number != stored->number) {
        it = w.files.insert_or_assign(file_reference, WorkingFile{&context.session, stored->number, stored->tables})
                 .first;
    }
    return &it->second.tables;
}

std::vector<Table>* working_tables_from_body(RequestContext& context, BodyReader& body, Reply& reply,
                                             int* file_reference) {
    int reference = 0;
    std::vector<Table>* tables = body.number(4, reference) ? working_tables(context, reference) : nullptr;
    if (tables == nullptr) reply.refuse(3, kInvalidFileReference);
    if (file_reference != nullptr) *file_reference = reference;
    return tables;
}

void commit_working_tables(RequestContext& context, int file_reference) {
    ConfigFile* stored = find_open_file(context, file_reference);
    if (stored == nullptr) return;
    std::lock_guard lock(work_mutex);
    TableWork& w = work_of(context.host);
    auto it = w.files.find(file_reference);
    if (it == w.files.end() || it->second.owner != &context.session || it->second.number != stored->number) return;
    stored->tables = it->second.tables;
}

void discard_working_tables(RequestContext& context, int file_reference) {
    std::lock_guard lock(work_mutex);
    TableWork& w = work_of(context.host);
    auto it = w.files.find(file_reference);
    if (it != w.files.end() && it->second.owner == &context.session) w.files.erase(it);
    std::erase_if(w.handles, [&](const auto& entry) {
        return entry.second.owner == &context.session && entry.second.table.file_reference == file_reference;
    });
}

}  // namespace kestra::hostsim
