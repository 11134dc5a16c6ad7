#include "ui/table_entry_dialogs.h"

#include "app/admin_app.h"
#include "model/server_node.h"
#include "ui/cobol_table_dialog.h"
#include "ui/create_table_dialog.h"
#include "ui/join_entry.h"
#include "ui/table_edit_dialog.h"
#include "ui/table_selection_dialog.h"
#include "ui/ui_seams.h"
#include "workspace/admin_doc.h"
#include "workspace/table_create_controller.h"
#include "workspace/table_edit_model.h"

namespace kestra::ui {

void CTableEntryDialogs::new_table(CClientConfigView& view) {
    model::CServerNode* node = view.model().node();
    if (node == nullptr || node->is_root()) return;
    model::CConfigFile& file = node->config;
    workspace::CAdminDoc& doc = view.tree().doc();
    workspace::CreateTableWindows windows;
    windows.choose_type = [&](workspace::TableType initial) -> std::optional<workspace::TableType> {
        CCreateTableDlg dialog(initial, &view);
        if (seams().exec_dialog(dialog) != QDialog::Accepted) return std::nullopt;
        return dialog.choice();
    };
    windows.dmsii_selection = [&] {
        CTableSelectionDlg dialog(doc, file.tables, &view);
        if (seams().exec_dialog(dialog) != QDialog::Accepted) return configsvc::TableList();
        return dialog.take_new_tables();
    };
    windows.cobol_selection = [&] {
        CCobolTableDlg dialog(doc, file, &view);
        if (seams().exec_dialog(dialog) != QDialog::Accepted) return configsvc::TableList();
        return dialog.take_new_tables();
    };
    windows.new_join = [&] { new_join(view); };
    workspace::CTableCreateController(doc, file, app::admin_app()).run(windows);
}

void CTableEntryDialogs::edit_table(CClientConfigView& view, int index) {
    model::CServerNode* node = view.model().node();
    if (node == nullptr || node->is_root()) return;
    model::CConfigFile& file = node->config;
    if (index < 0 || static_cast<std::size_t>(index) >= file.tables.size()) return;
    model::CConfigTable& table = *file.tables[static_cast<std::size_t>(index)];
    if (table.join_table) {
        edit_join(view, index);
        return;
    }
    workspace::CAdminDoc& doc = view.tree().doc();
    if (!workspace::load_table_for_edit(doc, file, table)) return;
    workspace::CTableEditModel edit(file, table);
    CTableEditDlg dialog(edit, file, &view);
    if (seams().exec_dialog(dialog) == QDialog::Accepted)
        workspace::save_edited_table(doc, file, edit);
    else
        workspace::discard_edited_table(doc, edit);
}

}  // namespace kestra::ui
