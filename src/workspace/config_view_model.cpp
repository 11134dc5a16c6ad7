#include "workspace/config_view_model.h"

#include <algorithm>

#include "configsvc/options_requests.h"
#include "configsvc/table_requests.h"
#include "hostlink/host_session.h"
#include "workspace/admin_doc.h"
#include "workspace/view_lines.h"

namespace kestra::workspace {

using model::CConfigFile;

namespace {

constexpr std::int16_t kOk = hostlink::kSuccess;

// Sorted, without repeats, and within `size`.
std::vector<std::size_t> clean(std::vector<std::size_t> indices, std::size_t size) {
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    indices.erase(std::remove_if(indices.begin(), indices.end(), [size](std::size_t i) { return i >= size; }),
                  indices.end());
    return indices;
}

}  // namespace

void CConfigViewModel::forget_branch(const model::CServerNode& branch) {
    if (node_ != nullptr && branch.contains(node_)) node_ = nullptr;
}

std::string CConfigViewModel::caption() const {
    switch (mode_) {
        case ViewMode::limits:
            return "Limits:";
        case ViewMode::applications:
            return "Applications:";
        case ViewMode::tables:
            return "Tables:";
        case ViewMode::global:
            return "Global:";
    }
    return {};
}

std::vector<ViewLine> CConfigViewModel::lines() const {
    std::vector<ViewLine> out;
    if (!showing_file()) return out;
    const CConfigFile& file = node_->config;
    switch (mode_) {
        case ViewMode::tables:
            for (const auto& t : file.tables)
                out.push_back({t->name.str(), t->update_allowed, t->join_table ? LineGlyph::join : LineGlyph::table});
            break;
        case ViewMode::applications:
            for (const auto& a : file.applications) out.push_back({a->program_name.str(), a->update_allowed});
            break;
        case ViewMode::limits:
            for (auto& text : limit_lines(file.limits)) out.push_back({std::move(text)});
            break;
        case ViewMode::global:
            for (auto& text : global_lines(file.global_options)) out.push_back({std::move(text)});
            break;
    }
    return out;
}

ViewButtons CConfigViewModel::buttons(std::size_t selected) const {
    ViewButtons b;
    if (!showing_file()) return b;
    if (entries_mode()) {
        b.add = true;
        b.remove = selected >= 1;
        b.edit = selected == 1;
    } else {
        b.edit = true;
    }
    return b;
}

bool CConfigViewModel::delete_entries(CAdminDoc& doc, std::vector<std::size_t> indices) {
    if (!showing_file() || !entries_mode()) return false;
    CConfigFile& file = node_->config;
    configsvc::CConfigClient& client = doc.client();
    if (mode_ == ViewMode::tables) {
        indices = clean(std::move(indices), file.tables.size());
        if (indices.empty()) return false;
        std::vector<std::int32_t> numbers;
        for (std::size_t i : indices) numbers.push_back(file.tables[i]->table_number);
        const std::size_t before = file.tables.size();
        // remove_tables takes out exactly what the host deleted, even when a later batch failed.
        if (configsvc::remove_tables(client, doc.pending_unloads(), file, numbers) != kOk)
            doc.session().show_errors();
        return file.tables.size() != before;
    }
    indices = clean(std::move(indices), file.applications.size());
    if (indices.empty()) return false;
    std::vector<std::int32_t> numbers;
    for (std::size_t i : indices) numbers.push_back(file.applications[i]->app_number);
    if (configsvc::delete_apps(client, file, numbers) != kOk) {
        doc.session().show_errors();
        // Some batches may have gone through: the host's list says what is left.
        const std::size_t before = file.applications.size();
        if (configsvc::get_app_list(client, file) != kOk) doc.session().show_errors();
        if (file.applications.size() != before) file.modified = true;
        return file.applications.size() != before;
    }
    std::size_t removed = 0;
    for (std::size_t i : indices) {
        file.applications.erase(file.applications.begin() + static_cast<std::ptrdiff_t>(i - removed));
        ++removed;
    }
    file.modified = true;
    return true;
}

bool CConfigViewModel::toggle_update_allowed(CAdminDoc& doc, std::vector<std::size_t> indices) {
    if (!showing_file() || !entries_mode()) return false;
    CConfigFile& file = node_->config;
    configsvc::CConfigClient& client = doc.client();
    const auto reference = static_cast<std::uint32_t>(std::max(file.file_reference, 0));
    bool any = false;
    if (mode_ == ViewMode::tables) {
        indices = clean(std::move(indices), file.tables.size());
        std::vector<model::CConfigTable*> loaded;
        for (std::size_t i : indices) {
            model::CConfigTable& t = *file.tables[i];
            // Loaded first, so the modify request carries the table's details unchanged.
            const std::int16_t rc = t.join_table ? configsvc::load_join_table(client, reference, t, true)
                                                 : configsvc::load_table(client, reference, t);
            if (rc != kOk) {
                doc.session().show_errors();
                continue;
            }
            t.update_allowed = !t.update_allowed;
            t.changed = true;
            loaded.push_back(&t);
        }
        if (loaded.empty()) return false;
        const bool sent = configsvc::modify_tables(client, reference, file.tables) == kOk;
        if (!sent) doc.session().show_errors();
        for (model::CConfigTable* t : loaded) {
            // A join's changed flag is for its members, which this does not touch.
            if (t->join_table) t->changed = false;
            if (configsvc::unload_table(client, doc.pending_unloads(), *t, sent, false) != kOk)
                doc.session().show_errors();
        }
        // A batch that failed part-way leaves the host and the model apart: the host's list says what holds.
        if (!sent && configsvc::get_table_list(client, doc.pending_unloads(), file) != kOk)
            doc.session().show_errors();
        file.modified = true;
        return true;
    }
    indices = clean(std::move(indices), file.applications.size());
    for (std::size_t i : indices) {
        model::CPcApplication& a = *file.applications[i];
        if (configsvc::get_app_info(client, file, a) != kOk) {
            doc.session().show_errors();
            continue;
        }
        a.update_allowed = !a.update_allowed;
        a.changed = true;
        any = true;
    }
    if (!any) return false;
    if (configsvc::modify_apps(client, file) != kOk) {
        doc.session().show_errors();
        if (configsvc::get_app_list(client, file) != kOk) doc.session().show_errors();
    }
    file.modified = true;
    return true;
}

}  // namespace kestra::workspace
