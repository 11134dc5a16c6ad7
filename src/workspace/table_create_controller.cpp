#include "workspace/table_create_controller.h"

#include <algorithm>

#include "configsvc/table_requests.h"
#include "hostlink/host_session.h"
#include "workspace/admin_doc.h"

namespace kestra::workspace {

namespace {
constexpr std::int16_t kOk = 0;
}

CTableCreateController::CTableCreateController(CAdminDoc& doc, model::CConfigFile& file, app::CAdminApp& settings)
    : doc_(doc), file_(file), settings_(settings) {}

std::size_t CTableCreateController::run(const CreateTableWindows& windows) {
    const TableType initial = settings_.default_table_type == 1 ? TableType::join : TableType::normal;
    const std::optional<TableType> choice = windows.choose_type(initial);
    if (!choice) return 0;
    // Kept in the preferences, written when the program ends.
    settings_.default_table_type = static_cast<int>(*choice);
    if (*choice == TableType::join) {
        if (windows.new_join) windows.new_join();
        return 0;
    }
    if (settings_.new_table_from_cobol != 0) return add_cobol_tables(windows.cobol_selection());
    return add_dmsii_tables(windows.dmsii_selection());
}

std::size_t CTableCreateController::add_dmsii_tables(NewTables tables) {
    if (tables.empty()) return 0;
    configsvc::CConfigClient& client = doc_.client();
    if (configsvc::add_tables(client, static_cast<std::uint32_t>(file_.file_reference), tables) != kOk) {
        doc_.session().show_errors();
        // Every accepted batch numbered its tables; none numbered means the host holds what the model holds.
        const bool part_taken =
            std::any_of(tables.begin(), tables.end(), [](const auto& t) { return t->table_number != 0; });
        if (part_taken) {
            file_.modified = true;
            if (configsvc::get_table_list(client, doc_.pending_unloads(), file_) != kOk) doc_.session().show_errors();
        }
        return 0;
    }
    return append(std::move(tables));
}

std::size_t CTableCreateController::add_cobol_tables(NewTables tables) { return append(std::move(tables)); }

std::size_t CTableCreateController::append(NewTables tables) {
    const std::size_t n = tables.size();
    for (auto& t : tables) file_.tables.push_back(std::move(t));
    if (n != 0) file_.modified = true;
    return n;
}

}  // namespace kestra::workspace
