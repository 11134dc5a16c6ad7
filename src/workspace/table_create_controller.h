#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/admin_app.h"
#include "model/config_file.h"
#include "model/config_table.h"

namespace kestra::workspace {

class CAdminDoc;

using NewTables = std::vector<std::unique_ptr<model::CConfigTable>>;

// The choices of Create Table, as the "default table type" preference keeps them.
enum class TableType { normal = 0, join = 1 };

// The windows creating a table passes through; each is answered by the desktop program or by a test.
struct CreateTableWindows {
    // Create Table, opening on `initial`; the choice made with OK, nothing on Cancel.
    std::function<std::optional<TableType>(TableType initial)> choose_type;
    // DMSII Table Selection: the new tables, not yet on the host; none on Cancel.
    std::function<NewTables()> dmsii_selection;
    // COBOL Table Selection: the new table, already added on the host; none on Cancel.
    std::function<NewTables()> cobol_selection;
    // The join editor for a new join, which adds the join itself.
    std::function<void()> new_join;
};

// New in the tables mode of the configuration view: Create Table, then the selection window of the chosen kind.
class CTableCreateController {
  public:
    CTableCreateController(CAdminDoc& doc, model::CConfigFile& file, app::CAdminApp& settings);

    // Runs the windows; returns how many plain tables were appended to the file.
    std::size_t run(const CreateTableWindows& windows);

    // Sends the add-tables request for tables made in DMSII Table Selection and appends them. When the host took
    // part of a batched request before refusing, its table list is read again, as the model no longer says what
    // the host holds. Returns how many were appended.
    std::size_t add_dmsii_tables(NewTables tables);
    // Appends tables the COBOL window already added on the host.
    std::size_t add_cobol_tables(NewTables tables);

  private:
    std::size_t append(NewTables tables);

    CAdminDoc& doc_;
    model::CConfigFile& file_;
    app::CAdminApp& settings_;
};

}  // namespace kestra::workspace
