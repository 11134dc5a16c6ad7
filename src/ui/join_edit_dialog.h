#pragma once

#include <QDialog>
#include <QTreeWidget>
#include <cstddef>
#include <functional>
#include <vector>

#include "workspace/join_edit_model.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace kestra::ui {

// The tree of Edit Join: the root "Join Tables", one item per member and one per join field. Members are dragged
// onto another member, one of its join fields or the root; the tree scrolls near its edges meanwhile.
class CJoinTree : public QTreeWidget {
    Q_OBJECT

  public:
    // The drag's data: the member's index as text.
    static constexpr char kMemberMime[] = "application/x-kestra-join-member";
    static constexpr int kMemberRole = Qt::UserRole;         // member index, -1 on the root
    static constexpr int kJoinFieldRole = Qt::UserRole + 1;  // join field index, -1 on members and the root

    explicit CJoinTree(QWidget* parent = nullptr);

    // Called with the dragged member and the place it is dropped on.
    std::function<void(std::size_t from, std::size_t to)> on_move;

  protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    Qt::DropActions supportedDropActions() const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The member position a drop at `pos` leads to; -1 when nowhere.
    int drop_target(const QPoint& pos) const;
};

// "Edit Join" / "New Join": the join's name and the tree of its members, their popups, Add Table and the moves.
class CEditJoinDlg : public QDialog {
    Q_OBJECT

  public:
    CEditJoinDlg(workspace::CJoinEditModel& model, const QString& title, QWidget* parent = nullptr);

    CJoinTree* tree() const { return tree_; }
    // Item of member k, or of its join field i.
    QTreeWidgetItem* member_item(std::size_t k) const;
    QTreeWidgetItem* join_field_item(std::size_t k, std::size_t i) const;
    // Opens the popup of the item (as a right click on it does); nullptr when it has none.
    QMenu* open_popup(QTreeWidgetItem* item);

    void accept() override;

  private:
    void refill(int member = -1, int join_field = -1);
    void update_buttons();
    void run(int menu, std::size_t k, std::size_t i, int id);
    void edit_where(std::size_t k);
    void edit_join_value(std::size_t k, std::size_t i);
    void add_table();
    void move(std::size_t from, std::size_t to);
    int current_member() const;

    workspace::CJoinEditModel& model_;
    QLineEdit* name_;
    CJoinTree* tree_;
    QLabel* message_;
    QPushButton* add_;
    QPushButton* up_;
    QPushButton* down_;
};

}  // namespace kestra::ui
