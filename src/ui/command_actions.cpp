#include "ui/command_actions.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include "ui/host_text.h"
#include "ui/object_names.h"
#include "workspace/command_table.h"

namespace kestra::ui {

namespace {

QString text_of(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CommandActions::CommandActions(QWidget* owner) : QObject(owner) {
    for (const workspace::CommandInfo& command : workspace::command_table()) {
        auto* action = new QAction(owner);
        set_command_id(action, command.id);
        QList<QKeySequence> keys;
        for (const QString& key : text_of(command.keys).split(QLatin1Char(','), Qt::SkipEmptyParts))
            keys.push_back(QKeySequence::fromString(key, QKeySequence::PortableText));
        // With keys bound Qt shows them itself; otherwise the text after the tab ("+", "Ctrl+*") is shown as is.
        action->setText(keys.isEmpty() ? text_of(command.text) : text_of(workspace::menu_label(command)));
        action->setShortcuts(keys);
        owner->addAction(action);
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { emit triggered(id); });
        actions_[id] = action;
    }
}

QAction* CommandActions::action(int id) const {
    const auto it = actions_.find(id);
    return it != actions_.end() ? it->second : nullptr;
}

void CommandActions::update(const workspace::CommandState& state) {
    for (const auto& [id, action] : actions_) action->setEnabled(workspace::command_enabled(id, state));
}

void populate_menu(QMenu* menu, const std::vector<workspace::MenuItem>& items, const CommandActions& actions) {
    for (const workspace::MenuItem& item : items) {
        if (item.submenu()) {
            populate_menu(menu->addMenu(text_of(item.text)), item.items, actions);
        } else if (item.separator()) {
            menu->addSeparator();
        } else if (QAction* shared = actions.action(item.id)) {
            if (item.text.empty()) {
                menu->addAction(shared);
                continue;
            }
            auto* own = menu->addAction(text_of(item.text));
            set_command_id(own, item.id);
            own->setEnabled(shared->isEnabled());
            QObject::connect(own, &QAction::triggered, shared, &QAction::trigger);
        }
    }
}

void populate_menu_bar(QMenuBar* bar, const std::vector<workspace::MenuItem>& menus, const CommandActions& actions) {
    for (QAction* old : bar->actions()) {
        QMenu* menu = old->menu();
        bar->removeAction(old);
        if (menu != nullptr) menu->deleteLater();
    }
    for (const workspace::MenuItem& menu : menus) populate_menu(bar->addMenu(text_of(menu.text)), menu.items, actions);
}

QMenu* make_popup(std::string_view name, const CommandActions& actions, QWidget* parent) {
    auto* menu = new QMenu(parent);
    set_popup_name(menu, workspace::kPopupResource, text_of(name));
    populate_menu(menu, workspace::popup_menu(name), actions);
    return menu;
}

}  // namespace kestra::ui
