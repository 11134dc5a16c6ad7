// The host's side of the configuration-file list, open/close/save, copy/cut/paste, environment command (13-19, 40, 42, 46-48).
#include <algorithm>
#include <map>
#include <mutex>
#include <optional>

#include "body_codec.h"
#include "open_files.h"
#include "request_handlers.h"

namespace kestra::hostsim {
namespace {

constexpr std::size_t kMaxNameLength = 255;  // the longest file title the host keeps
constexpr const char* kInvalidRequest = "[Kestra]INVALID REQUEST";
constexpr const char* kInvalidName = "[Kestra]INVALID CONFIGURATION FILE NAME";
constexpr const char* kDuplicateName = "[Kestra]DUPLICATE CONFIGURATION FILE NAME";
constexpr const char* kMoveBelowItself = "[Kestra]CANNOT MOVE A FILE BELOW ITSELF";
constexpr const char* kNoNumbers = "[Kestra]NO CONFIGURATION FILE NUMBER FREE";
constexpr const char* kNoReferences = "[Kestra]TOO MANY OPEN CONFIGURATION FILES";
constexpr const char* kClipboardEmpty = "[Kestra]NOTHING ON THE CLIPBOARD";

// Branches copied or cut, by clipboard number; like open references, beside the state and never saved.
struct Clipboard {
    std::map<int, ConfigFile> entries;
    int last = 0;
};
std::mutex clipboards_mutex;
std::map<const SharedHost*, Clipboard> clipboards;

int put_on_clipboard(const SharedHost& host, ConfigFile branch) {
    std::lock_guard lock(clipboards_mutex);
    Clipboard& c = clipboards[&host];
    c.last = c.last % kMaxConfigNumber + 1;  // the oldest entry gives way once every number is used
    c.entries[c.last] = std::move(branch);
    return c.last;
}

std::optional<ConfigFile> from_clipboard(const SharedHost& host, int number) {
    std::lock_guard lock(clipboards_mutex);
    Clipboard& c = clipboards[&host];
    auto it = c.entries.find(number);
    if (it == c.entries.end()) return std::nullopt;
    return it->second;
}

// Calls visit(file, level) for every file in tree order.
template <typename Files, typename Visit>
void walk(Files& files, Visit&& visit) {
    std::vector<std::pair<Files*, std::size_t>> stack{{&files, 0}};
    while (!stack.empty()) {
        auto& [list, pos] = stack.back();
        if (pos >= list->size()) {
            stack.pop_back();
            continue;
        }
        auto& f = (*list)[pos++];
        visit(f, static_cast<int>(stack.size() - 1));
        if (!f.children.empty()) stack.push_back({&f.children, 0});
    }
}

bool valid_name(const std::string& name) {
    return !name.empty() && name.size() <= kMaxNameLength && name.find_first_not_of(' ') != std::string::npos;
}

bool name_taken(HostState& state, const std::string& name, int except_number = 0) {
    bool taken = false;
    walk(state.config_files, [&](const ConfigFile& f, int) {
        if (f.number != except_number && f.name == name) taken = true;
    });
    return taken;
}

// Parent 0 is the top of the tree.
std::vector<ConfigFile>* children_of(HostState& state, int parent) {
    if (parent == 0) return &state.config_files;
    ConfigFile* f = find_config_file(state, parent);
    return f != nullptr ? &f->children : nullptr;
}

// Detaches the file of this number with its branch.
std::optional<ConfigFile> take_branch(HostState& state, int number) {
    std::optional<ConfigFile> taken;
    std::vector<std::vector<ConfigFile>*> pending{&state.config_files};
    while (!pending.empty() && !taken) {
        std::vector<ConfigFile>* list = pending.back();
        pending.pop_back();
        for (auto it = list->begin(); it != list->end(); ++it) {
            if (it->number == number) {
                taken = std::move(*it);
                list->erase(it);
                break;
            }
            if (!it->children.empty()) pending.push_back(&it->children);
        }
    }
    return taken;
}

void forget_branch(RequestContext& context, ConfigFile& branch) {
    drop_open_references(context, branch.number);
    walk(branch.children, [&](ConfigFile& f, int) { drop_open_references(context, f.number); });
}

// Numbers not in use, lowest first after the highest in use; empty when too few are free.
std::vector<int> free_numbers(HostState& state, std::size_t count) {
    std::vector<bool> used(kMaxConfigNumber + 1, false);
    int highest = 0;
    walk(state.config_files, [&](const ConfigFile& f, int) {
        if (f.number > 0 && f.number <= kMaxConfigNumber) used[static_cast<std::size_t>(f.number)] = true;
        highest = std::max(highest, f.number);
    });
    std::vector<int> numbers;
    for (int pass = 0; pass < 2 && numbers.size() < count; ++pass) {
        for (int n = pass == 0 ? highest + 1 : 1; n <= (pass == 0 ? kMaxConfigNumber : highest); ++n) {
            if (!used[static_cast<std::size_t>(n)]) numbers.push_back(n);
            if (numbers.size() == count) break;
        }
    }
    if (numbers.size() < count) numbers.clear();
    return numbers;
}

bool find_in_branch(ConfigFile& branch, int number) {
    bool found = false;
    walk(branch.children, [&](const ConfigFile& f, int) { found = found || f.number == number; });
    return found;
}

std::size_t branch_size(const ConfigFile& branch) {
    std::size_t size = 1;
    walk(branch.children, [&](const ConfigFile&, int) { ++size; });
    return size;
}

void handle_list(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    if (!r.dot() || !r.at_end()) {
        reply.refuse(3, kInvalidRequest);
        return;
    }
    std::vector<std::string> entries;
    {
        std::lock_guard lock(context.host.mutex);
        walk(context.host.state.config_files, [&](const ConfigFile& f, int level) {
            entries.push_back(BodyWriter().number(f.number, 4).number(level, 4).text(f.name).take());
        });
    }
    reply.list(context.session, BodyWriter().number(static_cast<std::int64_t>(entries.size()), 4).take(), entries);
}

void handle_add(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    std::string name;
    int parent = 0;
    r.text(name);
    r.number(4, parent);
    if (!r.dot() || !r.at_end()) {
        reply.refuse(3, kInvalidRequest);
        return;
    }
    if (!valid_name(name)) {
        reply.refuse(3, kInvalidName);
        return;
    }
    std::lock_guard lock(context.host.mutex);
    HostState& state = context.host.state;
    std::vector<ConfigFile>* siblings = children_of(state, parent);
    if (siblings == nullptr) return reply.refuse(3, kConfigFileNotFound);
    if (name_taken(state, name)) return reply.refuse(3, kDuplicateName);
    const std::vector<int> numbers = free_numbers(state, 1);
    if (numbers.empty()) return reply.refuse(3, kNoNumbers);
    ConfigFile f;
    f.number = numbers[0];
    f.name = name;
    siblings->push_back(std::move(f));
    reply.ok(BodyWriter().number(numbers[0], 4).take());
}

void handle_delete(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    int number = 0;
    bool delete_flag = false;
    r.number(4, number);
    r.flag(delete_flag);  // whether the host removes the file itself too; the tree loses the node either way
    if (!r.ok() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    std::lock_guard lock(context.host.mutex);
    std::optional<ConfigFile> branch = number > 0 ? take_branch(context.host.state, number) : std::nullopt;
    if (!branch) return reply.refuse(3, kConfigFileNotFound);
    forget_branch(context, *branch);
    reply.ok();
}

void handle_move(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    int number = 0;
    int parent = 0;
    r.number(4, number);
    r.number(4, parent);
    if (!r.dot() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    std::lock_guard lock(context.host.mutex);
    HostState& state = context.host.state;
    ConfigFile* file = find_config_file(state, number);
    if (file == nullptr || (parent != 0 && find_config_file(state, parent) == nullptr))
        return reply.refuse(3, kConfigFileNotFound);
    if (parent == number || (parent != 0 && find_in_branch(*file, parent)))
        return reply.refuse(3, kMoveBelowItself);
    std::optional<ConfigFile> branch = take_branch(state, number);
    children_of(state, parent)->push_back(std::move(*branch));
    reply.ok();
}


void handle_rename(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    int number = 0;
    std::string name;
    r.number(4, number);
    r.text(name);
    if (!r.dot() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    if (!valid_name(name)) return reply.refuse(3, kInvalidName);
    std::lock_guard lock(context.host.mutex);
    HostState& state = context.host.state;
    ConfigFile* file = find_config_file(state, number);
    if (file == nullptr) return reply.refuse(3, kConfigFileNotFound);
    if (name_taken(state, name, number)) return reply.refuse(3, kDuplicateName);
    file->name = name;
    reply.ok();
}

void handle_open(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    int number = 0;
    r.number(4, number);
    if (!r.dot() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    std::lock_guard lock(context.host.mutex);
    if (find_config_file(context.host.state, number) == nullptr) return reply.refuse(3, kConfigFileNotFound);
    const int reference = open_config_file(context, number);
    if (reference == 0) return reply.refuse(3, kNoReferences);
    reply.ok(BodyWriter().number(reference, 4).take());
}

void handle_close(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    int reference = 0;
    r.number(4, reference);
    if (!r.dot() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    std::lock_guard lock(context.host.mutex);
    if (!close_config_file(context, reference)) return reply.refuse(3, kInvalidFileReference);
    reply.ok();
}

void handle_save(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    {
        std::lock_guard lock(context.host.mutex);
        if (open_file_from_body(context, r, reply) == nullptr) return;
        if (!r.at_end()) return reply.refuse(3, kInvalidRequest);
    }
    // Writing the state takes the host lock itself.
    if (context.request_save) context.request_save();
    reply.ok();
}

void handle_environment(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    std::string command;
    r.text(command);
    if (!r.ok() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    std::lock_guard lock(context.host.mutex);
    const HostState& state = context.host.state;
    std::string response = state.default_environment_response;
    for (const auto& c : state.environment_commands) {
        if (equals_ignore_case(c.command, command)) {
            response = c.response;
            break;
        }
    }
    reply.ok(BodyWriter().text(response).take());
}

void handle_copy(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    int number = 0;
    r.number(4, number);
    if (!r.ok() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    std::lock_guard lock(context.host.mutex);
    const ConfigFile* file = find_config_file(context.host.state, number);
    if (file == nullptr) return reply.refuse(3, kConfigFileNotFound);
    reply.ok(BodyWriter().number(put_on_clipboard(context.host, *file), 4).take());
}

void handle_cut(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    int number = 0;
    bool cut_flag = false;
    r.number(4, number);
    r.flag(cut_flag);
    if (!r.ok() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    std::lock_guard lock(context.host.mutex);
    std::optional<ConfigFile> branch = number > 0 ? take_branch(context.host.state, number) : std::nullopt;
    if (!branch) return reply.refuse(3, kConfigFileNotFound);
    forget_branch(context, *branch);
    reply.ok(BodyWriter().number(put_on_clipboard(context.host, std::move(*branch)), 4).take());
}

void handle_paste(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    int clip = 0;
    std::string name;
    int parent = 0;
    r.number(4, clip);
    r.text(name);
    r.number(4, parent);
    if (!r.ok() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    if (!valid_name(name)) return reply.refuse(3, kInvalidName);
    std::optional<ConfigFile> branch = from_clipboard(context.host, clip);
    if (!branch) return reply.refuse(3, kClipboardEmpty);
    std::lock_guard lock(context.host.mutex);
    HostState& state = context.host.state;
    std::vector<ConfigFile>* siblings = children_of(state, parent);
    if (siblings == nullptr) return reply.refuse(3, kConfigFileNotFound);
    if (name_taken(state, name)) return reply.refuse(3, kDuplicateName);
    // Every file of the pasted branch gets a number of its own: numbers name files across the whole tree.
    const std::vector<int> numbers = free_numbers(state, branch_size(*branch));
    if (numbers.empty()) return reply.refuse(3, kNoNumbers);
    std::size_t next = 0;
    branch->number = numbers[next++];
    branch->name = name;
    walk(branch->children, [&](ConfigFile& f, int) { f.number = numbers[next++]; });
    const int number = branch->number;
    siblings->push_back(std::move(*branch));
    reply.ok(BodyWriter().number(number, 4).take());
}

}  // namespace

void register_config_handlers(HandlerTable& table) {
    table.add(2, 13, handle_list);
    table.add(2, 14, handle_add);
    table.add(2, 15, handle_delete);
    table.add(2, 16, handle_move);
    table.add(2, 17, handle_rename);
    table.add(2, 18, handle_open);
    table.add(2, 19, handle_close);
    table.add(2, 40, handle_save);
    table.add(2, 42, handle_environment);
    table.add(2, 46, handle_copy);
    table.add(2, 47, handle_cut);
    table.add(2, 48, handle_paste);
}

}  // namespace kestra::hostsim
