#include "configsvc/table_selection_model.h"

#include <algorithm>

#include "app/admin_app.h"
#include "hostlink/host_session.h"

namespace kestra::configsvc {

namespace {

bool same_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
        if (up(a[i]) != up(b[i])) return false;
    }
    return true;
}

const DatasetList& no_datasets() {
    static const DatasetList empty;
    return empty;
}

}  // namespace

std::string derive_table_name(std::string_view entry_name) {
    std::string name;
    name.reserve(entry_name.size());
    for (char c : entry_name) {
        if (c == ')') continue;
        name.push_back((c == '(' || c == ',' || c == '-' || c == '=') ? '_' : c);
    }
    return name;
}

bool table_name_taken(const TableList& tables, std::string_view name) {
    return std::any_of(tables.begin(), tables.end(),
                       [&](const auto& t) { return t && same_ignoring_case(t->name.view(), name); });
}

CTableSelectionModel::CTableSelectionModel(const TableList& existing, bool update_allowed, bool return_groups)
    : existing_(existing),
      update_allowed_(update_allowed),
      return_groups_(return_groups),
      sort_datasets_(app::admin_app().sort_datasets != 0) {}

void CTableSelectionModel::set_descfile_name(std::string_view name) {
    if (name == descfile_name_) return;
    descfile_name_.assign(name);
    databases_.clear();
    databases_fetched_ = false;
    current_ = -1;
}

std::int16_t CTableSelectionModel::fetch_databases(CConfigClient& client) {
    if (databases_fetched_) return hostlink::kSuccess;
    current_ = -1;
    const std::int16_t rc = get_descfile_databases(client, descfile_name_, databases_);
    // A list that ended early still shows what came; opening the box again asks once more.
    databases_fetched_ = rc == hostlink::kSuccess;
    return rc;
}

std::int16_t CTableSelectionModel::select_database(CConfigClient& client, std::string_view name) {
    auto found = std::find_if(databases_.begin(), databases_.end(),
                              [&](const auto& d) { return d->database_name == name; });
    if (found == databases_.end()) return hostlink::kSuccess;
    const int index = static_cast<int>(found - databases_.begin());
    if (index == current_) return hostlink::kSuccess;
    current_ = index;
    model::CDescDatabaseEntry& database = **found;
    if (database.datasets_held) return hostlink::kSuccess;
    const std::int16_t rc = get_descfile_datasets(client, descfile_name_, database);
    if (rc != hostlink::kSuccess) {
        database.datasets.clear();
        current_ = -1;
        return rc;
    }
    if (!database.datasets.empty() && sort_datasets_) configsvc::sort_datasets(database.datasets);
    return hostlink::kSuccess;
}

const DatasetList& CTableSelectionModel::datasets() const {
    if (current_ < 0 || static_cast<std::size_t>(current_) >= databases_.size()) return no_datasets();
    return databases_[static_cast<std::size_t>(current_)]->datasets;
}

const char* CTableSelectionModel::table_name_problem(std::string_view name) const {
    if (name.empty()) return kEmptyTableNameText;
    if (name.size() > kMaxTableNameLength) return kTableNameTooLong;
    if (table_name_taken(new_tables_, name) || table_name_taken(existing_, name)) return kDuplicateTableNameText;
    return nullptr;
}

int CTableSelectionModel::insert_table(const model::CDescDatasetEntry& entry, const TableNameEditor& edit_name,
                                       std::string_view proposed_name) {
    std::string name = proposed_name.empty() ? derive_table_name(entry.name.view()) : std::string(proposed_name);
    while (const char* problem = table_name_problem(name)) {
        if (!edit_name || !edit_name(problem, name)) return 1;
    }
    auto table = std::make_unique<model::CConfigTable>();
    table->name.assign(name);
    table->dataset.assign(entry.base_dataset.view());
    table->over_a_set = entry.is_set();
    if (entry.is_set()) table->set.assign(entry.name.view(), model::TextFit::cut);
    table->update_allowed = update_allowed_;
    table->return_groups = return_groups_;
    table->description_file.assign(descfile_name_, model::TextFit::cut);
    if (current_ >= 0 && static_cast<std::size_t>(current_) < databases_.size())
        table->database.assign(databases_[static_cast<std::size_t>(current_)]->database_name.view(),
                               model::TextFit::cut);
    new_tables_.push_back(std::move(table));
    return 0;
}

int CTableSelectionModel::copy(std::vector<std::size_t> chosen, const TableNameEditor& edit_name) {
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    const DatasetList& list = datasets();
    for (std::size_t i : chosen) {
        if (i >= list.size()) break;
        if (insert_table(*list[i], edit_name) != 0) return 1;
    }
    return 0;
}

int CTableSelectionModel::copy_all(const TableNameEditor& edit_name) {
    for (const auto& entry : datasets()) {
        if (entry->is_set()) continue;
        if (insert_table(*entry, edit_name) != 0) return 1;
    }
    return 0;
}

void CTableSelectionModel::delete_new_tables(std::vector<std::size_t> chosen) {
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    std::size_t removed = 0;
    for (std::size_t i : chosen) {
        const std::size_t at = i - removed;
        if (at >= new_tables_.size()) break;
        new_tables_.erase(new_tables_.begin() + static_cast<std::ptrdiff_t>(at));
        ++removed;
    }
}

TableList CTableSelectionModel::take_new_tables() {
    TableList out = std::move(new_tables_);
    new_tables_.clear();
    return out;
}

}  // namespace kestra::configsvc
