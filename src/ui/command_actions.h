#pragma once

#include <QObject>
#include <map>
#include <string_view>
#include <vector>

#include "workspace/command_enabling.h"
#include "workspace/menu_model.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace kestra::ui {

// One QAction per command of the command table, owned by the window that answers them (named cmd_<id>, the id
// as data(), keys bound, and added to the window so keys work without a menu). Menus, popups and the toolbar all
// show these actions; `triggered(id)` is the one place commands arrive.
class CommandActions : public QObject {
    Q_OBJECT

  public:
    explicit CommandActions(QWidget* owner);

    QAction* action(int id) const;
    const std::map<int, QAction*>& all() const { return actions_; }
    // Enables each action after the rules, for that state.
    void update(const workspace::CommandState& state);

  signals:
    void triggered(int id);

  private:
    std::map<int, QAction*> actions_;
};

// Fills a menu from the menu model: items show the command's action; a popup item with a text of its own gets an
// action of its own that passes the command on. Submenus are made and filled alike.
void populate_menu(QMenu* menu, const std::vector<workspace::MenuItem>& items, const CommandActions& actions);
// Replaces the menu bar's menus with the model's.
void populate_menu_bar(QMenuBar* bar, const std::vector<workspace::MenuItem>& menus, const CommandActions& actions);
// The popup of menu resource 103 of that name, parented to `parent`, named menu_103_<name>.
QMenu* make_popup(std::string_view name, const CommandActions& actions, QWidget* parent);

}  // namespace kestra::ui
