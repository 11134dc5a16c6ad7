#pragma once

#include <QWidget>
#include <vector>

#include "workspace/config_view_model.h"
#include "workspace/tree_controller.h"

class QLabel;
class QListWidget;
class QPushButton;
class QToolButton;

namespace kestra::ui {

class CClientConfigView;

// Where New and Edit of the configuration view lead: the table, application, limits and global dialogs. Tests
// install their own; without one, nothing opens.
class EntryDialogs {
public:
    virtual ~EntryDialogs() = default;
    virtual void new_entry(CClientConfigView& view, workspace::ViewMode mode) = 0;
    // `index` is the selected entry's (tables and applications), -1 in limits and global mode.
    virtual void edit_entry(CClientConfigView& view, workspace::ViewMode mode, int index) = 0;
};
void set_entry_dialogs(EntryDialogs* dialogs);

// Form 103: the tables, applications, limits or global options of the file selected in the tree, with the buttons
// that switch between them and add, delete and edit entries.
class CClientConfigView : public QWidget, public workspace::TreeListener {
    Q_OBJECT

public:
    explicit CClientConfigView(workspace::CTreeController& tree, QWidget* parent = nullptr);

    workspace::CConfigViewModel& model() { return model_; }
    workspace::CTreeController& tree() { return tree_; }
    QListWidget* list() const { return list_; }
    void set_mode(workspace::ViewMode mode);
    // Refills the caption, the list and the buttons from the model.
    void refill();

    bool handle_command(int id);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    void forget_branch(const model::CServerNode& branch) override;
    void tree_changed() override;

    // The New, Delete and Edit buttons.
    void on_new();
    void on_delete();
    void on_edit();

signals:
    void changed();

protected:
    void focusInEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    void update_buttons();
    std::vector<std::size_t> selected_rows() const;
    void table_popup(const QPoint& pos);

    workspace::CTreeController& tree_;
    workspace::CConfigViewModel model_;
    QLabel* caption_ = nullptr;
    QListWidget* list_ = nullptr;
    QToolButton* modes_[4] = {};
    QPushButton* new_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* edit_ = nullptr;
};

}  // namespace kestra::ui
