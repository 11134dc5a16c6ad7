#include "configsvc/config_apply.h"

#include <algorithm>
#include <memory>

#include "configsvc/config_document.h"
#include "configsvc/field_requests.h"
#include "configsvc/options_requests.h"
#include "configsvc/table_requests.h"
#include "hostlink/host_session.h"

namespace kestra::configsvc {

namespace {

using hostlink::kSuccess;
using model::CConfigField;
using model::CConfigFile;
using model::CConfigTable;
using model::CPcApplication;

constexpr const char* kApplyRefused = "The document cannot be applied";

template <class Text, class Source>
void copy_text(Text& to, const Source& from) {
    to.assign(from.view());
}

CConfigTable* live_table(CConfigFile& live, const CConfigTable* table) {
    for (const auto& t : live.tables)
        if (t.get() == table) return t.get();
    return nullptr;
}

CConfigField* field_numbered(CConfigTable& table, std::int32_t number) {
    for (const auto& f : table.fields)
        if (f->tblfieldnum == number) return f.get();
    return nullptr;
}

void copy_definition(CConfigField& to, const CConfigField& from) {
    copy_text(to.name, from.name);
    to.update_allowed = from.update_allowed;
    to.date_kind = from.date_kind;
    to.date_format = from.date_format;
    if (to.field_kind == model::FieldKind::host) return;
    to.data_type_code = from.data_type_code;
    to.length = from.length;
    to.decimals = from.decimals;
    to.offset = from.offset;
    to.offset_value = from.offset_value;
    to.offset_in_characters = from.offset_in_characters;
    to.offset_from_start = from.offset_from_start;
    copy_text(to.base_field, from.base_field);
    copy_text(to.expression, from.expression);
}

std::vector<std::unique_ptr<model::CJoinMember>> copy_members(const CConfigTable& from) {
    std::vector<std::unique_ptr<model::CJoinMember>> out;
    for (const auto& m : from.members) out.push_back(std::make_unique<model::CJoinMember>(*m));
    return out;
}

class Applier {
  public:
    Applier(CConfigClient& client, CPendingUnloadList& pending, CConfigFile& live, const ConfigPlan& plan,
            ApplyReport& report)
        : client_(client),
          pending_(pending),
          live_(live),
          plan_(plan),
          report_(report),
          reference_(static_cast<std::uint32_t>(live.file_reference)) {}

    std::int16_t run() {
        std::int16_t rc = kSuccess;
        for (const TablePlan& t : plan_.tables)
            if (t.current == nullptr && (rc = add_join(t)) != kSuccess) return rc;
        if ((rc = table_list()) != kSuccess) return rc;
        for (const TablePlan& t : plan_.tables)
            if (t.current != nullptr && t.needs_load() && (rc = edit_table(t)) != kSuccess) return rc;
        if (!plan_.table_deletions.empty()) {
            rc = remove_tables(client_, pending_, live_, plan_.table_deletions);
            if ((rc = step(rc, "22 delete tables")) != kSuccess) return rc;
        }
        // The host keeps these at once, whatever becomes of the file; they come last and are undone on failure.
        if ((rc = global_and_limits()) != kSuccess) return rc;
        if ((rc = applications()) != kSuccess) {
            restore();
            return rc;
        }
        return kSuccess;
    }

  private:
    std::int16_t step(std::int16_t rc, const std::string& what) {
        if (rc == kSuccess)
            report_.applied.push_back(what);
        else if (report_.failed.empty())
            report_.failed = what;
        return rc;
    }

    std::int16_t add_join(const TablePlan& t) {
        auto table = std::make_unique<CConfigTable>();
        copy_text(table->name, t.desired->name);
        table->join_table = true;
        table->table_option = t.desired->table_option;
        std::int16_t rc = step(add_join_table(client_, reference_, *table), "52 add join table " + table->name.str());
        if (rc != kSuccess) return rc;
        CConfigTable& added = *table;
        live_.tables.push_back(std::move(table));
        live_.modified = true;
        added.update_allowed = t.desired->update_allowed;
        added.return_groups = t.desired->return_groups;
        // Its flags go with the table list that follows.
        added.changed = t.header;
        if (!t.members) return kSuccess;
        if ((rc = step(load_join_table(client_, reference_, added, true), "55 load join table " + added.name.str())) !=
            kSuccess)
            return rc;
        added.members = copy_members(*t.desired);
        added.changed = true;
        rc = step(modify_join_members(client_, added), "56 modify join members " + added.name.str());
        added.changed = t.header;
        return unload(added, rc);
    }

    std::int16_t table_list() {
        bool any = false;
        for (const TablePlan& t : plan_.tables) {
            if (!t.header) continue;
            any = true;
            CConfigTable* table = t.current != nullptr ? live_table(live_, t.current) : nullptr;
            if (table == nullptr) continue;  // an added join is already marked
            if (!table->join_table) copy_text(table->name, t.desired->name);
            table->table_option = t.desired->table_option;
            table->update_allowed = t.desired->update_allowed;
            table->return_groups = t.desired->return_groups;
            table->changed = true;
        }
        if (!any) return kSuccess;
        const std::int16_t rc = step(modify_tables(client_, reference_, live_.tables), "34 modify tables");
        // A join's changed flag is for its members, which go with their own request.
        for (const auto& table : live_.tables)
            if (table->join_table) table->changed = false;
        live_.modified = true;
        return rc;
    }

    std::int16_t unload(CConfigTable& table, std::int16_t rc) {
        // Only a table whose every request was accepted is unloaded with its changes.
        const std::int16_t unloaded = unload_table(client_, pending_, table, rc == kSuccess, false);
        if (rc != kSuccess) return rc;
        return step(unloaded, "24 unload table " + table.name.str() + " with save");
    }

    std::int16_t edit_table(const TablePlan& t) {
        CConfigTable* table = live_table(live_, t.current);
        if (table == nullptr) return kSuccess;
        live_.modified = true;
        const std::string name = table->name.str();
        if (table->join_table) {
            std::int16_t rc =
                step(load_join_table(client_, reference_, *table, !t.members), "55 load join table " + name);
            if (rc != kSuccess) return unload(*table, rc);
            if (t.join_header) {
                copy_text(table->name, t.desired->name);
                rc = step(modify_join_header(client_, reference_, *table), "53 modify join header " + name);
                if (rc != kSuccess) return unload(*table, rc);
            }
            if (t.members) {
                table->members = copy_members(*t.desired);
                table->changed = true;
                rc = step(modify_join_members(client_, *table), "56 modify join members " + name);
            }
            return unload(*table, rc);
        }
        std::int16_t rc = step(load_table(client_, reference_, *table), "23 load table " + name);
        if (rc == kSuccess) rc = step(get_field_list(client_, *table), "25 field list " + name);
        if (rc != kSuccess) return unload(*table, rc);
        if (t.where) {
            copy_text(table->where_condition, t.desired->where_condition);
            if ((rc = step(put_where_condition(client_, *table), "41 put where condition " + name)) != kSuccess)
                return unload(*table, rc);
        }
        for (const FieldEdit& e : t.changes) {
            CConfigField* f = field_numbered(*table, e.number);
            if (f == nullptr) continue;
            copy_definition(*f, *e.desired);
            f->name_changed = e.rename;
            f->bModified = true;
        }
        for (const FieldEdit& e : t.marks) {
            CConfigField* f = field_numbered(*table, e.number);
            if (f == nullptr) continue;
            f->visible = e.desired->visible;
            f->bVisibility = true;
            f->bModified = true;
        }
        if (!t.changes.empty() && (rc = step(change_fields(client_, *table), "26 change fields " + name)) != kSuccess)
            return unload(*table, rc);
        if (!t.marks.empty() && (rc = step(mark_fields(client_, *table), "27 mark fields " + name)) != kSuccess)
            return unload(*table, rc);
        if (!t.cuts.empty()) {
            for (const std::int32_t number : t.cuts) {
                auto it = std::find_if(table->fields.begin(), table->fields.end(),
                                       [number](const auto& f) { return f->tblfieldnum == number; });
                if (it == table->fields.end()) continue;
                (*it)->bDeleted = true;
                (*it)->bModified = true;
                table->cut_fields.push_back(std::move(*it));
                table->fields.erase(it);
            }
            if ((rc = step(delete_cut_fields(client_, *table), "27 delete fields " + name)) != kSuccess)
                return unload(*table, rc);
        }
        if (!t.additions.empty()) {
            for (const CConfigField* d : t.additions) {
                auto f = std::make_unique<CConfigField>(*d);
                f->tblfieldnum = 0;
                f->is_new = true;
                f->bModified = true;
                f->name_changed = false;
                f->bVisibility = false;
                f->bDeleted = false;
                table->fields.push_back(std::move(f));
            }
            rc = step(add_fields(client_, *table), "28 add fields " + name);
        }
        return unload(*table, rc);
    }

    std::int16_t global_and_limits() {
        saved_description_ = live_.description.str();
        saved_global_ = live_.global_options;
        saved_limits_ = live_.limits;
        std::int16_t rc = kSuccess;
        if (plan_.global) {
            const CConfigFile& want = *desired_file();
            copy_text(live_.description, want.description);
            live_.global_options = want.global_options;
            if ((rc = step(put_global(client_, live_), "31 put global options")) != kSuccess) {
                restore();
                return rc;
            }
            global_sent_ = true;
        }
        if (plan_.limits) {
            live_.limits = desired_file()->limits;
            if ((rc = step(put_limits(client_, live_), "33 put limits")) != kSuccess) {
                restore();
                return rc;
            }
            limits_sent_ = true;
        }
        return kSuccess;
    }

    void restore() {
        if (global_sent_) {
            live_.description.assign(saved_description_);
            live_.global_options = saved_global_;
            if (put_global(client_, live_) == kSuccess)
                report_.restored.push_back("global options");
            else
                report_.kept.push_back("global options");
        }
        if (limits_sent_) {
            live_.limits = saved_limits_;
            if (put_limits(client_, live_) == kSuccess)
                report_.restored.push_back("limits");
            else
                report_.kept.push_back("limits");
        }
        report_.kept.insert(report_.kept.end(), apps_done_.begin(), apps_done_.end());
    }

    const CConfigFile* desired_file() const { return plan_.desired; }

    std::int16_t resolve_tables(CPcApplication& to, const CPcApplication& from) {
        to.table_list = from.table_list;
        to.tables.clear();
        for (const auto& entry : from.tables) {
            const CConfigTable* table = nullptr;
            for (const auto& t : live_.tables)
                if (model::equal_ignoring_case(t->name.view(), entry->name.view())) table = t.get();
            if (table == nullptr) {
                client_.refuse(kApplyRefused);
                report_.failed = "application " + from.program_name.str() + ": no table " + entry->name.str();
                return hostlink::kError;
            }
            auto e = std::make_unique<CConfigTable>();
            copy_text(e->name, table->name);
            e->table_number = table->table_number;
            e->update_allowed = entry->update_allowed;
            to.tables.push_back(std::move(e));
        }
        return kSuccess;
    }

    void copy_application(CPcApplication& to, const CPcApplication& from) {
        copy_text(to.program_name, from.program_name);
        to.update_allowed = from.update_allowed;
        to.local_limits = from.local_limits;
        to.limits = from.local_limits ? from.limits : live_.limits;
    }

    std::int16_t applications() {
        std::int16_t rc = kSuccess;
        if (!plan_.application_deletions.empty()) {
            rc = step(delete_apps(client_, live_, plan_.application_deletions), "37 delete applications");
            if (rc != kSuccess) return rc;
            apps_done_.push_back("deleted applications");
            std::erase_if(live_.applications, [this](const auto& app) {
                return std::find(plan_.application_deletions.begin(), plan_.application_deletions.end(),
                                 app->app_number) != plan_.application_deletions.end();
            });
        }
        if (!plan_.application_changes.empty()) {
            for (const ApplicationPlan& a : plan_.application_changes) {
                CPcApplication* app = nullptr;
                for (const auto& p : live_.applications)
                    if (p.get() == a.current) app = p.get();
                if (app == nullptr) continue;
                copy_application(*app, *a.desired);
                if ((rc = resolve_tables(*app, *a.desired)) != kSuccess) return rc;
                app->changed = true;
            }
            if ((rc = step(modify_apps(client_, live_), "38 modify applications")) != kSuccess) return rc;
            apps_done_.push_back("modified applications");
        }
        if (!plan_.application_additions.empty()) {
            for (const CPcApplication* d : plan_.application_additions) {
                auto app = std::make_unique<CPcApplication>();
                copy_application(*app, *d);
                if ((rc = resolve_tables(*app, *d)) != kSuccess) return rc;
                app->is_new = true;
                app->changed = true;
                live_.applications.push_back(std::move(app));
            }
            if ((rc = step(add_apps(client_, live_), "35 add applications")) != kSuccess) return rc;
        }
        return kSuccess;
    }

    CConfigClient& client_;
    CPendingUnloadList& pending_;
    CConfigFile& live_;
    const ConfigPlan& plan_;
    ApplyReport& report_;
    const std::uint32_t reference_;
    std::string saved_description_;
    model::CGlobalOptions saved_global_;
    model::CConfigLimits saved_limits_;
    bool global_sent_ = false;
    bool limits_sent_ = false;
    std::vector<std::string> apps_done_;
};

}  // namespace

std::int16_t apply_config_plan(CConfigClient& client, CPendingUnloadList& pending, CConfigFile& live,
                               const ConfigPlan& plan, ApplyReport& report) {
    if (!plan.refusals.empty()) {
        client.refuse(kApplyRefused);
        return hostlink::kError;
    }
    return Applier(client, pending, live, plan, report).run();
}

}  // namespace kestra::configsvc
