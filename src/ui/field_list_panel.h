#pragma once
#include <QWidget>
class QListWidget;
namespace kestra::model { class CConfigTable; class CConfigFile; }
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
signals:
    // A field was added, changed, hidden or deleted.
    void fields_changed();

private:
    QListWidget* list_ = nullptr;
    model::CConfigTable* table_ = nullptr;
    bool show_update_allowed_ = false;
};
}  // namespace kestra::ui
