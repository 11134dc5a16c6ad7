#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "configsvc/catalogue_requests.h"
#include "configsvc/config_client.h"
#include "configsvc/table_field_names.h"
#include "model/config_table.h"

namespace kestra::configsvc {

inline constexpr std::size_t kMaxTableNameLength = model::kTableNameMax;
inline constexpr const char* kDuplicateTableNameText = "*** Duplicate table name ***";
inline constexpr const char* kEmptyTableNameText = "*** You must enter a table name ***";

using TableList = std::vector<std::unique_ptr<model::CConfigTable>>;

// The table name of a dataset or set: "(", ",", "-" and "=" become "_", ")" is dropped.
std::string derive_table_name(std::string_view entry_name);

// True when `name` equals, letter case ignored, the name of a table in `tables`.
bool table_name_taken(const TableList& tables, std::string_view name);

// The table name dialog: shows `message` and lets the administrator edit `name`. False on Cancel.
using TableNameEditor = std::function<bool(const std::string& message, std::string& name)>;

// What the DMSII Table Selection dialog holds and does, without the window: the description file, its databases,
// the current database with its datasets, and the new tables made from chosen entries.
class CTableSelectionModel {
public:
    // `existing` are the configuration file's tables (for the duplicate rule); the defaults are the document's
    // current settings for new tables.
    CTableSelectionModel(const TableList& existing, bool update_allowed, bool return_groups);

    // A changed name drops the databases, marks them not fetched and leaves no current database.
    void set_descfile_name(std::string_view name);
    const std::string& descfile_name() const { return descfile_name_; }

    // Request 3, when the databases are not held yet (the combo box opening); 0 when they are.
    std::int16_t fetch_databases(CConfigClient& client);
    bool databases_fetched() const { return databases_fetched_; }
    const DatabaseList& databases() const { return databases_; }

    // Shows the datasets of the database named exactly `name`: fetched once, sorted when the setting says so.
    // An unknown name or the current database does nothing. A failed fetch leaves no current database, so the
    // next selection asks again.
    std::int16_t select_database(CConfigClient& client, std::string_view name);
    int current_database() const { return current_; }
    // The current database's datasets in the held order; empty when none is current.
    const DatasetList& datasets() const;

    void set_sort_datasets(bool on) { sort_datasets_ = on; }
    bool sort_datasets() const { return sort_datasets_; }

    // The refusal text for a table name, or nullptr when it may be used.
    const char* table_name_problem(std::string_view name) const;

    // Makes a new table of the entry, named from it (or `proposed_name` when one is given). Returns 0 when inserted,
    // 1 when the administrator cancelled the name.
    int insert_table(const model::CDescDatasetEntry& entry, const TableNameEditor& edit_name,
                     std::string_view proposed_name = {});
    // Inserts the chosen entries of the current database in list order; stops at the first cancelled one and
    // returns 1 then.
    int copy(std::vector<std::size_t> chosen, const TableNameEditor& edit_name);
    // Inserts every dataset (not the sets) of the current database in list order, as copy does.
    int copy_all(const TableNameEditor& edit_name);
    // The dialog's "Delete": removes the chosen new tables.
    void delete_new_tables(std::vector<std::size_t> chosen);

    const TableList& new_tables() const { return new_tables_; }
    // The caller takes the new tables on OK.
    TableList take_new_tables();
    bool ok_enabled() const { return !new_tables_.empty(); }
    int new_table_count() const { return static_cast<int>(new_tables_.size()); }

private:
    const TableList& existing_;
    bool update_allowed_;
    bool return_groups_;
    bool sort_datasets_;
    std::string descfile_name_;
    DatabaseList databases_;
    bool databases_fetched_ = false;
    int current_ = -1;
    TableList new_tables_;
};

}  // namespace kestra::configsvc
