#include "workspace/join_controller.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "app/ui_hooks.h"
#include "configsvc/field_requests.h"
#include "configsvc/table_requests.h"
#include "workspace/admin_doc.h"

namespace kestra::workspace {

using model::CConfigTable;

namespace {

std::uint32_t reference_of(const model::CConfigFile& file) {
    return static_cast<std::uint32_t>(std::max(file.file_reference, 0));
}

}  // namespace

void CJoinController::show_errors() {
    if (!doc_.session().diagnostics().empty()) doc_.session().show_errors();
}

bool CJoinController::load_member(CConfigTable& table) {
    const bool was_loaded = table.loaded;
    configsvc::CConfigClient& client = doc_.client();
    std::int16_t rc = configsvc::load_table(client, reference_of(file_), table);
    if (rc == 0 && !was_loaded && std::find(loaded_.begin(), loaded_.end(), &table) == loaded_.end())
        loaded_.push_back(&table);
    if (rc == 0) rc = configsvc::get_field_list(client, table);
    if (rc == 0) rc = configsvc::load_sets(client, table);
    if (rc != 0) show_errors();
    return rc == 0;
}

void CJoinController::unload_members() {
    std::int16_t rc = 0;
    for (CConfigTable* table : loaded_) {
        // A table deleted meanwhile is no longer in the file; its record is gone.
        const bool present =
            std::any_of(file_.tables.begin(), file_.tables.end(), [&](const auto& t) { return t.get() == table; });
        if (present && table->loaded) {
            const std::int16_t one =
                configsvc::unload_table(doc_.client(), doc_.pending_unloads(), *table, false, false);
            if (rc == 0) rc = one;
        }
    }
    loaded_.clear();
    if (rc != 0) show_errors();
}

bool CJoinController::new_join(const JoinEditWindow& window, std::size_t& index) {
    auto join = std::make_unique<CConfigTable>();
    join->join_table = true;
    CJoinEditModel model(file_, *join, [this](CConfigTable& t) { return load_member(t); });
    model.open();
    if (!window(model, kNewJoinTitle)) {
        unload_members();
        return false;
    }
    configsvc::CConfigClient& client = doc_.client();
    if (configsvc::add_join_table(client, reference_of(file_), *join) != 0) {
        show_errors();
        unload_members();
        return false;
    }
    file_.tables.push_back(std::move(join));
    file_.modified = true;
    index = file_.tables.size() - 1;
    CConfigTable& added = *file_.tables.back();
    // The members go to the host under the handle of the table as loaded, not the default one.
    if (configsvc::load_join_table(client, reference_of(file_), added, true) != 0) {
        show_errors();
        unload_members();
        return true;
    }
    added.changed = true;
    if (configsvc::modify_join_members(client, added) != 0) show_errors();
    if (configsvc::unload_table(client, doc_.pending_unloads(), added, true, false) != 0) show_errors();
    unload_members();
    return true;
}

bool CJoinController::edit_join(std::size_t index, const JoinEditWindow& window) {
    if (index >= file_.tables.size() || !file_.tables[index]->join_table) return false;
    configsvc::CConfigClient& client = doc_.client();
    CConfigTable* original = file_.tables[index].get();
    if (configsvc::load_join_table(client, reference_of(file_), *original, false) != 0) {
        show_errors();
        return false;
    }
    auto copy = copy_join_table(*original);
    copy->changed = false;
    CJoinEditModel model(
        file_, *copy, [this](CConfigTable& t) { return load_member(t); }, original);
    const CJoinEditModel::OpenResult opened = model.open();
    bool accepted = false;
    if (opened != CJoinEditModel::OpenResult::failed) {
        if (opened == CJoinEditModel::OpenResult::repaired) app::message_box(kJoinInconsistent);
        accepted = window(model, kEditJoinTitle);
    }
    if (!accepted) {
        if (configsvc::unload_table(client, doc_.pending_unloads(), *original, false, false) != 0) show_errors();
        unload_members();
        return false;
    }

    if (!(copy->name == original->name.view())) {
        if (configsvc::modify_join_header(client, reference_of(file_), *copy) != 0) {
            show_errors();
            copy->name = original->name;
        } else {
            original->name = copy->name;
            file_.modified = true;
        }
    }
    CConfigTable* current = original;
    if (copy->changed) {
        if (configsvc::modify_join_members(client, *copy) != 0) {
            show_errors();
        } else {
            configsvc::replace_table(client, doc_.pending_unloads(), file_, index, std::move(copy));
            current = file_.tables[index].get();
            file_.modified = true;
        }
    }
    if (configsvc::unload_table(client, doc_.pending_unloads(), *current, true, false) != 0) show_errors();
    unload_members();
    return true;
}

}  // namespace kestra::workspace
