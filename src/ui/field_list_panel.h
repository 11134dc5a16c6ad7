#pragma once
#include <QWidget>

#include "workspace/field_popup_model.h"

class QListWidget;
class QMenu;
class QPushButton;

namespace kestra::model {
class CConfigTable;
class CConfigFile;
}  // namespace kestra::model
namespace kestra::ui {
// The field list (ctl_1003) with New (ctl_1018), Edit (ctl_1020) and Delete/Hide (ctl_1041), and the field popup.
class CFieldListPanel : public QWidget {
    Q_OBJECT
  public:
    explicit CFieldListPanel(QWidget* parent = nullptr);
    // The table whose fields are shown and edited; the panel changes its fields directly.
    void set_table(model::CConfigTable* table, const model::CConfigFile* file);
    // Table Edit's Update Allowed box (ctl_1032): update-allowed fields drawn red while it is on.
    void set_show_update_allowed(bool on);
    // Redraws after the dialog changed fields itself (Replace).
    void refresh();

    QListWidget* list() const { return list_; }
    // The selected fields, in list order.
    workspace::FieldSelection selection() const;
    // Runs a popup or button command on the selection (as choosing it does).
    void run_command(int id);
    // Opens the popup for the selection at a point of the list (in list coordinates).
    void show_popup(const QPoint& pos);
  signals:
    // A field was added, changed, hidden or deleted.
    void fields_changed();

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void new_field();
    void edit_field();
    void rename_field();
    void hide_or_delete();
    void update_buttons();
    void changed();
    void fill_menu(QMenu* menu, const std::vector<workspace::FieldMenuItem>& items);

    model::CConfigTable* table_ = nullptr;
    const model::CConfigFile* file_ = nullptr;
    bool show_update_allowed_ = false;
    QListWidget* list_;
    QPushButton* new_;
    QPushButton* edit_;
    QPushButton* hide_;
};
}  // namespace kestra::ui
