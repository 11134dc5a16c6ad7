#include "configsvc/options_requests.h"

#include <string>

#include "configsvc/request_batch.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"

namespace kestra::configsvc {

namespace {

using hostlink::kError;
using hostlink::kSuccess;

constexpr std::uint16_t kGetGlobal = 30;
constexpr std::uint16_t kPutGlobal = 31;
constexpr std::uint16_t kGetLimits = 32;
constexpr std::uint16_t kPutLimits = 33;
constexpr std::uint16_t kAddApps = 35;
constexpr std::uint16_t kAppInfo = 36;
constexpr std::uint16_t kDeleteApps = 37;
constexpr std::uint16_t kModifyApps = 38;
constexpr std::uint16_t kAppList = 39;

// File reference, N(3) count and "." around the entries of 35, 37 and 38, with one character to spare.
constexpr std::size_t kAppHead = 9;
// The count of those requests has three digits.
constexpr std::size_t kMaxAppsPerMessage = 999;

void write_limits(BodyWriter& w, const model::CConfigLimits& limits) {
    w.number(limits.where_required ? 1 : 0, 1);
    w.number(limits.linear_selects ? 1 : 0, 1);
    w.number(limits.linear_joins ? 1 : 0, 1);
    w.number(limits.row_limit_kind, 1);
    w.number(limits.row_count, 10);
}

// A flag counts only when it is "1"; a row count beyond 32 bits makes the block unusable.
bool read_limits(ReplyReader& r, model::CConfigLimits& out) {
    model::CConfigLimits limits;
    limits.where_required = r.flag();
    limits.linear_selects = r.flag();
    limits.linear_joins = r.flag();
    limits.row_limit_kind = static_cast<std::int32_t>(r.number(1));
    const std::uint64_t rows = r.number_wide(10);
    if (r.failed() || rows > static_cast<std::uint64_t>(kMaxRowCount)) return false;
    limits.row_count = static_cast<std::int32_t>(rows);
    out = limits;
    return true;
}

// The elements an add entry and a modify entry share, after the modify entry's app number.
void write_app_entry(BodyWriter& w, const model::CPcApplication& app) {
    w.text(app.program_name.view());
    w.number(app.update_allowed ? 1 : 0, 1);
    w.number(app.local_limits ? 1 : 0, 1);
    if (app.local_limits) write_limits(w, app.limits);
    w.number(app.table_list ? 1 : 0, 1);
    if (!app.table_list) return;
    w.number_whole(static_cast<std::int64_t>(app.tables.size()), 4);
    for (const auto& table : app.tables) {
        w.number_whole(table->table_number, 4);
        w.number(table->update_allowed ? 1 : 0, 1);
    }
}

std::size_t app_room(CConfigClient& client) {
    const std::size_t limit = client.session().data_limit();
    return limit > kAppHead ? limit - kAppHead : 0;
}

// Sends `entries` as request `code` in as many messages as the room needs, each one's reply read before the next.
// `accepted` is called for every message the host took, with the range of entries it carried and its reply.
template <typename Accepted>
std::int16_t send_app_batches(CConfigClient& client, std::uint16_t code, std::int32_t reference,
                              const std::vector<std::string>& entries, const char* failure, Accepted accepted) {
    const std::size_t room = app_room(client);
    std::size_t begin = 0;
    while (begin < entries.size()) {
        const std::size_t end = batch_end(entries, begin, room, kMaxAppsPerMessage);
        BodyWriter body = client.body();
        body.number(reference, 4);
        body.number(static_cast<std::int64_t>(end - begin), 3);
        for (std::size_t i = begin; i < end; ++i) body.raw(entries[i]);
        body.stop();
        ReplyReader reply;
        const std::int16_t rc = client.request(code, body, Upper::yes, failure, reply);
        if (rc != kSuccess) return rc;
        const bool sound = accepted(begin, end, reply);
        client.done();
        if (!sound) {
            client.session().post_error(hostlink::kSqlLinkFailure, failure);
            return kError;
        }
        begin = end;
    }
    return kSuccess;
}

std::int16_t bad_reply(CConfigClient& client, const char* failure) {
    client.done();
    client.session().post_error(hostlink::kSqlLinkFailure, failure);
    return kError;
}

}  // namespace

std::int16_t get_global(CConfigClient& client, model::CConfigFile& file) {
    BodyWriter body = client.body();
    body.number(file.file_reference, 4);
    body.stop();
    ReplyReader r;
    const std::int16_t rc = client.request(kGetGlobal, body, Upper::yes, kGetGlobalFailure, r);
    if (rc != kSuccess) return rc;

    std::string description, usercode, translation, guardfile, app_name;
    model::CGlobalOptions g;
    r.text(description);
    r.text(usercode);
    r.text(translation);
    g.priority = static_cast<std::int32_t>(r.number(2));
    g.date_base_month = static_cast<std::int32_t>(r.number(2));
    g.date_base_day = static_cast<std::int32_t>(r.number(2));
    g.date_base_year = static_cast<std::int32_t>(r.number(4));
    g.library_kind = r.number(1) != 0;
    g.program_security = static_cast<std::int32_t>(r.number(1));
    g.security_use = static_cast<std::int32_t>(r.number(1));
    g.security_type = static_cast<std::int32_t>(r.number(1));
    r.text(guardfile);
    // Older hosts end the reply here; what they leave out takes its default.
    if (!r.at_end()) g.unique_indices = r.number(1) != 0;
    if (!r.at_end()) r.text(app_name);
    if (!r.at_end()) g.hide_fields = r.number(1) != 0;
    if (r.failed()) return bad_reply(client, kGetGlobalFailure);

    model::WireText new_description;
    if (!new_description.assign(description) || !g.usercode.assign(usercode) ||
        !g.translation.assign(translation) || !g.guardfile.assign(guardfile) || !g.app_name.assign(app_name))
        return bad_reply(client, kGetGlobalFailure);
    client.done();
    file.description = new_description;
    file.global_options = g;
    return kSuccess;
}

std::int16_t put_global(CConfigClient& client, const model::CConfigFile& file) {
    const model::CGlobalOptions& g = file.global_options;
    BodyWriter body = client.body();
    body.number(file.file_reference, 4);
    body.text(file.description.view());
    body.text(g.usercode.view());
    body.text(g.translation.view());
    body.number(g.priority, 2);
    body.number(g.date_base_month, 2);
    body.number(g.date_base_day, 2);
    body.number(g.date_base_year, 4);
    body.number(g.library_kind ? 1 : 0, 1);
    body.number(g.program_security, 1);
    body.number(g.security_use, 1);
    body.number(g.security_type, 1);
    body.text(g.guardfile.view());
    body.number(g.unique_indices ? 1 : 0, 1);
    body.text(g.app_name.view());
    body.number(g.hide_fields ? 1 : 0, 1);
    return client.simple_request(kPutGlobal, body, Upper::no, kPutGlobalFailure);
}

std::int16_t get_limits(CConfigClient& client, model::CConfigFile& file) {
    BodyWriter body = client.body();
    body.number(file.file_reference, 4);
    body.stop();
    ReplyReader r;
    const std::int16_t rc = client.request(kGetLimits, body, Upper::yes, kGetLimitsFailure, r);
    if (rc != kSuccess) return rc;
    model::CConfigLimits limits;
    if (!read_limits(r, limits)) return bad_reply(client, kGetLimitsFailure);
    client.done();
    file.limits = limits;
    return kSuccess;
}

std::int16_t put_limits(CConfigClient& client, const model::CConfigFile& file) {
    BodyWriter body = client.body();
    body.number(file.file_reference, 4);
    write_limits(body, file.limits);
    return client.simple_request(kPutLimits, body, Upper::no, kPutLimitsFailure);
}

std::int16_t get_app_list(CConfigClient& client, model::CConfigFile& file) {
    file.applications.clear();
    BodyWriter body = client.body();
    body.number(file.file_reference, 4);
    body.stop();
    ReplyReader r;
    const std::int16_t rc = client.request(kAppList, body, Upper::yes, kAppListFailure, r, kAppListReceiveError);
    if (rc != kSuccess) return rc;
    ListReader list(client, r, 3, kAppListReceiveError);
    while (list.next()) {
        ReplyReader& e = list.reply();
        auto app = std::make_unique<model::CPcApplication>();
        app->app_number = static_cast<std::int32_t>(e.number(3));
        std::string name;
        e.text(name);
        app->update_allowed = e.number(1) != 0;
        if (e.failed() || !app->program_name.assign(name)) {
            list.fail_entry();
            break;
        }
        app->changed = false;
        app->is_new = false;
        file.applications.push_back(std::move(app));
    }
    const bool failed = list.failed();
    client.done();
    return failed ? kError : kSuccess;
}

std::int16_t get_app_info(CConfigClient& client, const model::CConfigFile& file, model::CPcApplication& app) {
    BodyWriter body = client.body();
    body.number(file.file_reference, 4);
    body.number(app.app_number, 3);
    body.stop();
    ReplyReader r;
    const std::int16_t rc = client.request(kAppInfo, body, Upper::yes, kAppInfoFailure, r);
    if (rc != kSuccess) return rc;

    std::string name;
    r.text(name);
    const bool update_allowed = r.number(1) != 0;
    const bool local_limits = r.number(1) != 0;
    model::CConfigLimits limits = file.limits;
    if (local_limits && !read_limits(r, limits)) return bad_reply(client, kAppInfoFailure);
    const bool table_list = r.number(1) != 0;
    std::vector<std::unique_ptr<model::CConfigTable>> tables;
    if (table_list) {
        const std::uint32_t count = r.number(4);
        // Each table takes five characters: a count the reply cannot hold is a broken reply, not an allocation.
        if (r.failed() || count > r.remaining() / 5) return bad_reply(client, kAppInfoFailure);
        for (std::uint32_t i = 0; i < count; ++i) {
            auto table = std::make_unique<model::CConfigTable>();
            table->table_number = static_cast<std::int32_t>(r.number(4));
            table->update_allowed = r.number(1) != 0;
            tables.push_back(std::move(table));
        }
    }
    model::WireText program_name;
    if (r.failed() || !program_name.assign(name)) return bad_reply(client, kAppInfoFailure);
    client.done();
    app.program_name = program_name;
    app.update_allowed = update_allowed;
    app.local_limits = local_limits;
    app.table_list = table_list;
    app.limits = limits;
    app.tables = std::move(tables);
    return kSuccess;
}

std::int16_t add_apps(CConfigClient& client, model::CConfigFile& file) {
    std::vector<model::CPcApplication*> apps;
    for (auto& app : file.applications)
        if (app->is_new && app->app_number == 0) apps.push_back(app.get());
    // Every entry is built and checked before the first message, so a batch never stops half sent over an
    // entry that could never go.
    const std::size_t room = app_room(client);
    std::vector<std::string> entries;
    for (const auto* app : apps) {
        std::string entry;
        if (!encode_entry(room, entry, [&](BodyWriter& w) { write_app_entry(w, *app); })) {
            client.refuse(kAddAppsFailure);
            return kError;
        }
        entries.push_back(std::move(entry));
    }
    if (entries.empty()) {
        client.session().post_error(hostlink::kSqlLinkFailure, kNothingToAdd);
        return kError;
    }
    return send_app_batches(client, kAddApps, file.file_reference, entries, kAddAppsFailure,
                            [&](std::size_t begin, std::size_t end, ReplyReader& reply) {
                                for (std::size_t i = begin; i < end; ++i) {
                                    const std::uint32_t number = reply.number(3);
                                    if (reply.failed()) return false;
                                    apps[i]->app_number = static_cast<std::int32_t>(number);
                                    apps[i]->is_new = false;
                                    apps[i]->changed = false;
                                }
                                return true;
                            });
}

std::int16_t modify_apps(CConfigClient& client, model::CConfigFile& file) {
    std::vector<model::CPcApplication*> apps;
    // An application the host has not numbered yet goes with the add request, never as number 000.
    for (auto& app : file.applications)
        if (app->changed && !app->is_new) apps.push_back(app.get());
    const std::size_t room = app_room(client);
    std::vector<std::string> entries;
    for (const auto* app : apps) {
        std::string entry;
        if (!encode_entry(room, entry, [&](BodyWriter& w) {
                w.number_whole(app->app_number, 3);
                write_app_entry(w, *app);
            })) {
            client.refuse(kModifyAppsFailure);
            return kError;
        }
        entries.push_back(std::move(entry));
    }
    return send_app_batches(client, kModifyApps, file.file_reference, entries, kModifyAppsFailure,
                            [&](std::size_t begin, std::size_t end, ReplyReader&) {
                                for (std::size_t i = begin; i < end; ++i) apps[i]->changed = false;
                                return true;
                            });
}

std::int16_t delete_apps(CConfigClient& client, const model::CConfigFile& file,
                         const std::vector<std::int32_t>& app_numbers) {
    const std::size_t room = app_room(client);
    std::vector<std::string> entries;
    for (const std::int32_t number : app_numbers) {
        std::string entry;
        if (!encode_entry(room, entry, [&](BodyWriter& w) { w.number(number, 3); })) {
            client.refuse(kDeleteAppsFailure);
            return kError;
        }
        entries.push_back(std::move(entry));
    }
    return send_app_batches(client, kDeleteApps, file.file_reference, entries, kDeleteAppsFailure,
                            [](std::size_t, std::size_t, ReplyReader&) { return true; });
}

}  // namespace kestra::configsvc
