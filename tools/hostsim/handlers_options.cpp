// The host's side of the global options, limits and PC applications (30-33, 35-39). They change the open file's
// stored record directly; the file reference of the session names it.
#include <algorithm>
#include <mutex>
#include <set>

#include "body_codec.h"
#include "open_files.h"
#include "request_handlers.h"

namespace kestra::hostsim {
namespace {

constexpr const char* kInvalidRequest = "[Kestra]INVALID REQUEST";
constexpr const char* kInvalidOption = "[Kestra]INVALID OPTION VALUE";
constexpr const char* kAppNotFound = "[Kestra]APPLICATION NOT FOUND";
constexpr const char* kDuplicateProgram = "[Kestra]DUPLICATE PROGRAM NAME";
constexpr const char* kNoAppNumbers = "[Kestra]NO APPLICATION NUMBER FREE";
constexpr int kMaxAppNumber = 999;
constexpr std::int64_t kMaxRowCount = 2147483647;

BodyWriter& write_limits(BodyWriter& w, const Limits& l) {
    return w.flag(l.where_required)
        .flag(l.linear_selects)
        .flag(l.linear_joins)
        .number(l.row_limit_kind, 1)
        .number(l.row_count, 10);
}

bool read_digit_flag(BodyReader& r, bool& out) {
    int value = 0;
    if (!r.number(1, value) || value > 1) return false;
    out = value == 1;
    return true;
}

bool read_limits(BodyReader& r, Limits& out) {
    Limits l;
    int kind = 0;
    if (!read_digit_flag(r, l.where_required) || !read_digit_flag(r, l.linear_selects) ||
        !read_digit_flag(r, l.linear_joins) || !r.number(1, kind) || !r.number(10, l.row_count))
        return false;
    if (kind > 2 || l.row_count < 0 || l.row_count > kMaxRowCount) return false;
    l.row_limit_kind = kind;
    out = l;
    return true;
}

// A file reference and the "." that ends the body; nullptr after refusing.
ConfigFile* file_of_dotted_body(RequestContext& context, std::string_view body, Reply& reply) {
    BodyReader r(body);
    ConfigFile* file = open_file_from_body(context, r, reply);
    if (file == nullptr) return nullptr;
    if (!r.dot() || !r.at_end()) {
        reply.refuse(3, kInvalidRequest);
        return nullptr;
    }
    return file;
}

void handle_get_global(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    ConfigFile* file = file_of_dotted_body(context, body, reply);
    if (file == nullptr) return;
    const GlobalOptions& g = file->global;
    BodyWriter w;
    w.text(g.description).text(g.usercode).text(g.translation);
    w.number(g.priority, 2).number(g.date_base_month, 2).number(g.date_base_day, 2).number(g.date_base_year, 4);
    w.number(g.library_kind, 1).number(g.program_security, 1).number(g.security_use, 1).number(g.security_type, 1);
    w.text(g.guard_file).number(g.unique_indices, 1).text(g.app_name).number(g.hide_fields, 1);
    reply.ok(w.take());
}

void handle_put_global(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    ConfigFile* file = open_file_from_body(context, r, reply);
    if (file == nullptr) return;
    GlobalOptions g;
    r.text(g.description);
    r.text(g.usercode);
    r.text(g.translation);
    r.number(2, g.priority);
    r.number(2, g.date_base_month);
    r.number(2, g.date_base_day);
    r.number(4, g.date_base_year);
    r.number(1, g.library_kind);
    r.number(1, g.program_security);
    r.number(1, g.security_use);
    r.number(1, g.security_type);
    r.text(g.guard_file);
    r.number(1, g.unique_indices);
    r.text(g.app_name);
    r.number(1, g.hide_fields);
    if (!r.ok() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    if (g.usercode.size() > 17 || g.translation.size() > 19 || g.guard_file.size() > 255 || g.app_name.size() > 19 ||
        g.library_kind > 1 || g.program_security > 2 || g.security_use > 3 || g.security_type > 2 ||
        g.unique_indices > 1 || g.hide_fields > 1)
        return reply.refuse(6, kInvalidOption);
    file->global = std::move(g);
    reply.ok();
}

void handle_get_limits(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    ConfigFile* file = file_of_dotted_body(context, body, reply);
    if (file == nullptr) return;
    BodyWriter w;
    reply.ok(write_limits(w, file->limits).take());
}

void handle_put_limits(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    ConfigFile* file = open_file_from_body(context, r, reply);
    if (file == nullptr) return;
    Limits limits;
    if (!read_limits(r, limits) || !r.at_end()) return reply.refuse(6, kInvalidOption);
    file->limits = limits;
    reply.ok();
}

void handle_app_list(RequestContext& context, std::string_view body, Reply& reply) {
    std::vector<std::string> entries;
    {
        std::lock_guard lock(context.host.mutex);
        ConfigFile* file = file_of_dotted_body(context, body, reply);
        if (file == nullptr) return;
        for (const Application& app : file->applications)
            entries.push_back(BodyWriter().number(app.number, 3).text(app.program).flag(app.update_allowed).take());
    }
    reply.list(context.session, BodyWriter().number(static_cast<std::int64_t>(entries.size()), 3).take(), entries);
}

Application* find_app(ConfigFile& file, int number) {
    auto it = std::find_if(file.applications.begin(), file.applications.end(),
                           [&](const Application& a) { return a.number == number; });
    return it == file.applications.end() ? nullptr : &*it;
}

void handle_app_info(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    ConfigFile* file = open_file_from_body(context, r, reply);
    if (file == nullptr) return;
    int number = 0;
    r.number(3, number);
    if (!r.dot() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    const Application* app = find_app(*file, number);
    if (app == nullptr) return reply.refuse(3, kAppNotFound);
    BodyWriter w;
    w.text(app->program).flag(app->update_allowed).flag(app->local_limits.has_value());
    if (app->local_limits) write_limits(w, *app->local_limits);
    w.flag(app->tables.has_value());
    if (app->tables) {
        w.number(static_cast<std::int64_t>(app->tables->size()), 4);
        for (const AppTable& t : *app->tables) w.number(t.number, 4).flag(t.update_allowed);
    }
    reply.ok(w.take());
}

// One application as 35 and 38 carry it, after 38's number.
bool read_app_entry(BodyReader& r, Application& app) {
    bool local = false;
    bool listed = false;
    r.text(app.program);
    if (!read_digit_flag(r, app.update_allowed) || !read_digit_flag(r, local)) return false;
    app.local_limits.reset();
    if (local) {
        Limits limits;
        if (!read_limits(r, limits)) return false;
        app.local_limits = limits;
    }
    if (!read_digit_flag(r, listed)) return false;
    app.tables.reset();
    if (listed) {
        int count = 0;
        if (!r.number(4, count)) return false;
        std::vector<AppTable> tables;
        for (int i = 0; i < count; ++i) {
            AppTable t;
            if (!r.number(4, t.number) || !r.flag(t.update_allowed)) return false;
            tables.push_back(t);
        }
        app.tables = std::move(tables);
    }
    return r.ok() && !app.program.empty() && app.program.size() <= 19;
}

bool program_taken(const ConfigFile& file, const std::string& program, int except_number) {
    return std::any_of(file.applications.begin(), file.applications.end(), [&](const Application& a) {
        return a.number != except_number && equals_ignore_case(a.program, program);
    });
}

// N(3) count, the entries (each after its N(3) app number for a modify), then ".": the body after the reference.
bool read_app_entries(BodyReader& r, bool numbered, std::vector<Application>& apps) {
    int count = 0;
    r.number(3, count);
    for (int i = 0; i < count && r.ok(); ++i) {
        Application app;
        if (numbered) r.number(3, app.number);
        if (!read_app_entry(r, app)) return false;
        apps.push_back(std::move(app));
    }
    return r.dot() && r.at_end();
}

void handle_add_apps(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    ConfigFile* file = open_file_from_body(context, r, reply);
    if (file == nullptr) return;
    std::vector<Application> apps;
    if (!read_app_entries(r, false, apps) || apps.empty()) return reply.refuse(3, kInvalidRequest);
    // The whole message is taken or none of it.
    std::set<int> used;
    for (const Application& a : file->applications) used.insert(a.number);
    for (std::size_t i = 0; i < apps.size(); ++i) {
        if (program_taken(*file, apps[i].program, 0)) return reply.refuse(3, kDuplicateProgram);
        for (std::size_t j = 0; j < i; ++j)
            if (equals_ignore_case(apps[j].program, apps[i].program)) return reply.refuse(3, kDuplicateProgram);
    }
    BodyWriter w;
    int next = 1;
    for (Application& app : apps) {
        while (next <= kMaxAppNumber && used.count(next) != 0) ++next;
        if (next > kMaxAppNumber) return reply.refuse(3, kNoAppNumbers);
        app.number = next;
        used.insert(next);
        w.number(next, 3);
    }
    for (Application& app : apps) file->applications.push_back(std::move(app));
    reply.ok(w.take());
}

void handle_modify_apps(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    ConfigFile* file = open_file_from_body(context, r, reply);
    if (file == nullptr) return;
    std::vector<Application> apps;
    if (!read_app_entries(r, true, apps)) return reply.refuse(3, kInvalidRequest);
    for (const Application& app : apps) {
        if (find_app(*file, app.number) == nullptr) return reply.refuse(3, kAppNotFound);
        if (program_taken(*file, app.program, app.number)) return reply.refuse(3, kDuplicateProgram);
    }
    for (Application& app : apps) *find_app(*file, app.number) = std::move(app);
    reply.ok();
}

void handle_delete_apps(RequestContext& context, std::string_view body, Reply& reply) {
    std::lock_guard lock(context.host.mutex);
    BodyReader r(body);
    ConfigFile* file = open_file_from_body(context, r, reply);
    if (file == nullptr) return;
    int count = 0;
    r.number(3, count);
    std::vector<int> numbers;
    for (int i = 0; i < count && r.ok(); ++i) {
        int number = 0;
        if (r.number(3, number)) numbers.push_back(number);
    }
    if (!r.dot() || !r.at_end()) return reply.refuse(3, kInvalidRequest);
    for (int number : numbers)
        if (find_app(*file, number) == nullptr) return reply.refuse(3, kAppNotFound);
    std::erase_if(file->applications, [&](const Application& a) {
        return std::find(numbers.begin(), numbers.end(), a.number) != numbers.end();
    });
    reply.ok();
}

}  // namespace

void register_options_handlers(HandlerTable& table) {
    table.add(2, 30, handle_get_global);
    table.add(2, 31, handle_put_global);
    table.add(2, 32, handle_get_limits);
    table.add(2, 33, handle_put_limits);
    table.add(2, 35, handle_add_apps);
    table.add(2, 36, handle_app_info);
    table.add(2, 37, handle_delete_apps);
    table.add(2, 38, handle_modify_apps);
    table.add(2, 39, handle_app_list);
}

}  // namespace kestra::hostsim
