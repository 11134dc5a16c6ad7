#pragma once

#include <QAbstractScrollArea>

#include "workspace/tree_controller.h"
#include "workspace/tree_layout.h"

class QMenu;
class QMimeData;

namespace kestra::ui {

// The tree of a connection's configuration files, drawn by hand: a glyph and the name of each visible node, dotted
// connectors, the selection in the palette's highlight. Clicks and keys change the selection through the tree
// controller, whose save prompt may keep the old one. It answers the file and tree commands of its window.
class CAdminView : public QAbstractScrollArea, public workspace::TreeListener {
    Q_OBJECT

public:
    explicit CAdminView(workspace::CTreeController& tree, QWidget* parent = nullptr);

    workspace::CTreeController& tree() { return tree_; }
    const workspace::TreeLayout& layout() const { return layout_; }
    // Where a node's box is, in viewport coordinates; empty when it is not shown.
    QRect node_rect(const model::CServerNode* node) const;

    // A command of the window; false when the tree does not answer it.
    bool handle_command(int id);

    void forget_branch(const model::CServerNode& branch) override;
    void tree_changed() override;

    QSize sizeHint() const override;

    // The node being dragged from any tree of the program; nullptr when no drag of a node runs. Cleared when a
    // drag ends and when its node leaves a tree.
    static model::CServerNode* dragged_node();
    static void set_dragged_node(model::CServerNode* node);

signals:
    // The selection or the tree changed what decides command enabling.
    void changed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void relayout();
    void show_selection();
    model::CServerNode* node_at(const QPoint& viewport_pos) const;
    void select(model::CServerNode* node);
    void enter();
    void add_file(bool paste);
    void rename_file();
    void put_on_clipboard();
    void start_drag(model::CServerNode* node);
    workspace::DropEffect effect_of(const QDropEvent* event) const;

    workspace::CTreeController& tree_;
    workspace::TreeLayout layout_;
    // The node a left press selected, while the button is held: leaving its box starts a drag.
    model::CServerNode* press_node_ = nullptr;
    // What this window last put on the clipboard (the clipboard owns it).
    const QMimeData* own_clip_ = nullptr;
};

}  // namespace kestra::ui
