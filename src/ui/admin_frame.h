#pragma once

#include <QMdiSubWindow>
#include <QRect>
#include <memory>

#include "workspace/admin_doc.h"
#include "workspace/tree_controller.h"

class QSplitter;

namespace kestra::ui {

class CAdminView;
class CClientConfigView;

// The window of one connection: its document, and a splitter of two panes, the tree on the left and the view of
// the selected file on the right. It answers the connection's commands. Closing it saves its placement under the
// connection's keys and logs out.
class CAdminFrame : public QMdiSubWindow {
    Q_OBJECT

  public:
    // Both panes start at 200 by 200.
    static constexpr int kPaneSize = 200;

    CAdminFrame(std::unique_ptr<workspace::CAdminDoc> doc, std::string ini_path, QWidget* parent = nullptr);
    ~CAdminFrame() override;

    workspace::CAdminDoc& doc() { return *doc_; }
    workspace::CTreeController& tree() { return *tree_; }
    CAdminView* tree_view() const { return tree_view_; }
    CClientConfigView* config_view() const { return config_view_; }
    QSplitter* splitter() const { return splitter_; }
    // Puts the tree and the file view into the panes (each replaces what was there).
    void set_panes(QWidget* tree, QWidget* view);

    // Applies the connection's saved placement and splitter sizes; false when none was saved or it did not parse.
    bool restore_placement();
    // Writes them, as they are now.
    void save_placement() const;

    // A command of the connection window; false when this window does not answer it.
    bool handle_command(int id);

  signals:
    // The window changed what decides command enabling (selection, modified flag, clipboard ownership).
    void commands_changed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void focus_pane(int step);

    std::unique_ptr<workspace::CAdminDoc> doc_;
    std::unique_ptr<workspace::CTreeController> tree_;
    CAdminView* tree_view_ = nullptr;
    CClientConfigView* config_view_ = nullptr;
    std::string ini_path_;
    QSplitter* splitter_;
    // The geometry it has when neither maximised nor minimised, which is what a placement saves.
    QRect normal_geometry_;
};

}  // namespace kestra::ui
