#include "open_files.h"

#include <map>
#include <mutex>

namespace kestra::hostsim {

namespace {

struct OpenFile {
    int number = 0;
    const SessionState* owner = nullptr;
};

struct OpenFileTable {
    std::map<int, OpenFile> by_reference;
    int last_reference = 0;
};

// Kept beside the host state rather than in it: references are the session's business, never saved.
std::mutex tables_mutex;
std::map<const SharedHost*, OpenFileTable> tables;

OpenFileTable& table_of(const SharedHost& host) { return tables[&host]; }

ConfigFile* find_in(std::vector<ConfigFile>& files, int number) {
    // Tree depth is bounded by what the fixture reader and the add/move handlers allow, but walk with a stack
    // anyway so a deep tree cannot exhaust the thread's stack.
    std::vector<std::vector<ConfigFile>*> pending{&files};
    while (!pending.empty()) {
        std::vector<ConfigFile>* list = pending.back();
        pending.pop_back();
        for (ConfigFile& f : *list) {
            if (f.number == number) return &f;
            if (!f.children.empty()) pending.push_back(&f.children);
        }
    }
    return nullptr;
}

}  // namespace

ConfigFile* find_config_file(HostState& state, int number) {
    if (number <= 0) return nullptr;
    return find_in(state.config_files, number);
}

int open_config_file(RequestContext& context, int number) {
    std::lock_guard lock(tables_mutex);
    OpenFileTable& table = table_of(context.host);
    if (table.by_reference.size() >= static_cast<std::size_t>(kMaxConfigNumber)) return 0;
    int reference = table.last_reference;
    do {
        reference = reference % kMaxConfigNumber + 1;
    } while (table.by_reference.count(reference) != 0);
    table.last_reference = reference;
    table.by_reference[reference] = OpenFile{number, &context.session};
    return reference;
}

bool close_config_file(RequestContext& context, int reference) {
    std::lock_guard lock(tables_mutex);
    OpenFileTable& table = table_of(context.host);
    auto it = table.by_reference.find(reference);
    if (it == table.by_reference.end() || it->second.owner != &context.session) return false;
    table.by_reference.erase(it);
    return true;
}

ConfigFile* find_open_file(RequestContext& context, int reference) {
    int number = 0;
    {
        std::lock_guard lock(tables_mutex);
        OpenFileTable& table = table_of(context.host);
        auto it = table.by_reference.find(reference);
        if (it == table.by_reference.end() || it->second.owner != &context.session) return nullptr;
        number = it->second.number;
    }
    return find_config_file(context.host.state, number);
}

void drop_open_references(RequestContext& context, int number) {
    std::lock_guard lock(tables_mutex);
    OpenFileTable& table = table_of(context.host);
    std::erase_if(table.by_reference, [number](const auto& entry) { return entry.second.number == number; });
}

ConfigFile* open_file_from_body(RequestContext& context, BodyReader& body, Reply& reply) {
    int reference = 0;
    ConfigFile* file = body.number(4, reference) ? find_open_file(context, reference) : nullptr;
    if (file == nullptr) reply.refuse(3, kInvalidFileReference);
    return file;
}

}  // namespace kestra::hostsim
