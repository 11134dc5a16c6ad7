#include "ui/join_entry.h"

#include <QListWidget>

#include "ui/client_config_view.h"
#include "ui/host_text.h"
#include "ui/join_edit_dialog.h"
#include "ui/ui_seams.h"
#include "workspace/join_controller.h"
#include "workspace/tree_controller.h"

namespace kestra::ui {

namespace {

workspace::JoinEditWindow edit_window(CClientConfigView& view) {
    return [&view](workspace::CJoinEditModel& model, const std::string& title) {
        CEditJoinDlg dialog(model, from_host(title), &view);
        return seams().exec_dialog(dialog) == QDialog::Accepted;
    };
}

model::CServerNode* shown_file(CClientConfigView& view) {
    model::CServerNode* node = view.model().node();
    return node != nullptr && !node->is_root() ? node : nullptr;
}

// The view's list shows the file's tables in order: the entry at `index` becomes the one selected.
void select_only(CClientConfigView& view, std::size_t index) {
    view.refill();
    QListWidget* list = view.list();
    list->clearSelection();
    if (QListWidgetItem* item = list->item(static_cast<int>(index))) {
        list->setCurrentItem(item);
        item->setSelected(true);
    }
    emit view.changed();
}

}  // namespace

void new_join(CClientConfigView& view) {
    model::CServerNode* node = shown_file(view);
    if (node == nullptr) return;
    workspace::CJoinController controller(view.tree().doc(), node->config);
    std::size_t index = 0;
    if (controller.new_join(edit_window(view), index)) select_only(view, index);
}

void edit_join(CClientConfigView& view, int index) {
    model::CServerNode* node = shown_file(view);
    if (node == nullptr || index < 0) return;
    workspace::CJoinController controller(view.tree().doc(), node->config);
    if (controller.edit_join(static_cast<std::size_t>(index), edit_window(view)))
        select_only(view, static_cast<std::size_t>(index));
}

}  // namespace kestra::ui
