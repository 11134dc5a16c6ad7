#pragma once

#include <QMainWindow>
#include <QRect>
#include <memory>
#include <string>

class QLabel;
class QMenu;
class QMdiArea;
class QToolBar;

namespace kestra::ui {

class CAdminFrame;
class CommandActions;

// The main window: the connection windows in an MDI area, the toolbar, the status bar with the selected file's
// pane, and the menu bar, which holds File, View and Help while no connection window is open and all seven menus
// once one is. It answers the application's and its own commands and hands the others to the active connection
// window.
class CMainFrame : public QMainWindow {
    Q_OBJECT

  public:
    // Reads and writes placements in `ini_path` (empty: the application's settings file).
    explicit CMainFrame(std::string ini_path = {}, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Shows the window where it was last closed ("WindowPos"), or as the system places it.
    void show_with_placement();
    // Runs the Connect dialog until a login succeeds (a new connection window, returned) or the user cancels
    // (nullptr). A failed login shows its diagnostics and the dialog again.
    CAdminFrame* new_connection();

    CAdminFrame* active_connection() const;
    QMdiArea* mdi_area() const { return mdi_; }
    CommandActions& commands() const { return *actions_; }
    QToolBar* tool_bar() const { return tool_bar_; }

    // Runs a command as if chosen from a menu.
    void run_command(int id);

  public slots:
    // Enables the commands and fills the file pane for the active window; views call it when their state changes.
    void update_commands();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void build_tool_bar();
    void update_menu_bar();
    void window_count_changed();
    void list_windows(QMenu* menu);
    void about();
    void print_setup();
    void arrange_icons();
    bool clipboard_has_data() const;

    std::string ini_path_;
    QMdiArea* mdi_;
    CommandActions* actions_;
    QToolBar* tool_bar_ = nullptr;
    QLabel* file_pane_ = nullptr;
    bool window_menus_ = false;
    bool menus_built_ = false;
    QRect normal_geometry_;
};

}  // namespace kestra::ui
