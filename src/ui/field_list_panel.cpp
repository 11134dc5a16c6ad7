#include "ui/field_list_panel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <set>

#include "model/config_file.h"
#include "model/config_table.h"
#include "model/date_formats.h"
#include "ui/artwork.h"
#include "ui/field_edit_dialog.h"
#include "ui/host_text.h"
#include "ui/keyboard_popup.h"
#include "ui/object_names.h"
#include "ui/ui_seams.h"
#include "ui/user_defined_field_dialog.h"
#include "workspace/menu_model.h"

namespace kestra::ui {

namespace {

using workspace::FieldCommand;

constexpr int kListId = 1003;
constexpr int kNewId = 1018;
constexpr int kEditId = 1020;
constexpr int kHideId = 1041;
constexpr int kFieldRole = Qt::UserRole;

// What a screen reader says beside the name: what the colours and the picture show.
QString describe(const model::CConfigField& field) {
    QStringList parts;
    switch (field.field_kind) {
        case model::FieldKind::user_defined:
            parts << QStringLiteral("Offset field");
            break;
        case model::FieldKind::calculated:
            parts << QStringLiteral("Calculated field");
            break;
        default:
            parts << QStringLiteral("Host field");
            break;
    }
    if (!field.visible) parts << QStringLiteral("hidden");
    if (field.update_allowed) parts << QStringLiteral("update allowed");
    if (field.date_kind == model::DateKind::currency) parts << QStringLiteral("currency");
    if (const std::string_view format = field.date_format_text(); !format.empty()) parts << from_host(format);
    return parts.join(QStringLiteral(", "));
}

// A kind the host sent that the program does not know is drawn as a host field, as it is described.
FieldOrigin origin_of(const model::CConfigField& field) {
    switch (field.field_kind) {
        case model::FieldKind::user_defined:
            return FieldOrigin::offset;
        case model::FieldKind::calculated:
            return FieldOrigin::calculated;
        default:
            return FieldOrigin::host;
    }
}

}  // namespace

CFieldListPanel::CFieldListPanel(QWidget* parent) : QWidget(parent) {
    list_ = new QListWidget(this);
    set_control_id(list_, kListId);
    list_->setAccessibleName(QStringLiteral("Fields"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setIconSize(QSize(32, 16));
    list_->setUniformItemSizes(true);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    // The Menu key and Shift+F10 open the popup on the current field, not wherever the middle of the list falls.
    install_keyboard_popup(list_, [this] {
        if (list_->currentItem() != nullptr) show_popup(below_current_item(list_));
    });
    // A label's mnemonic gives the focus to the panel (only to one that accepts focus): the list takes the keys.
    setFocusPolicy(list_->focusPolicy());
    setFocusProxy(list_);

    new_ = new QPushButton(QStringLiteral("&New"), this);
    set_control_id(new_, kNewId);
    edit_ = new QPushButton(QStringLiteral("&Edit"), this);
    set_control_id(edit_, kEditId);
    hide_ = new QPushButton(QStringLiteral("&Hide"), this);
    set_control_id(hide_, kHideId);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new_);
    buttons->addWidget(edit_);
    buttons->addWidget(hide_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    connect(list_, &QListWidget::itemSelectionChanged, this, &CFieldListPanel::update_buttons);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] {
        if (selection().size() == 1) edit_field();
    });
    connect(list_, &QListWidget::customContextMenuRequested, this, &CFieldListPanel::show_popup);
    connect(new_, &QPushButton::clicked, this, &CFieldListPanel::new_field);
    connect(edit_, &QPushButton::clicked, this, &CFieldListPanel::edit_field);
    connect(hide_, &QPushButton::clicked, this, &CFieldListPanel::hide_or_delete);
    update_buttons();
}

void CFieldListPanel::set_table(model::CConfigTable* table, const model::CConfigFile* file) {
    table_ = table;
    file_ = file;
    list_->clear();
    refresh();
}

void CFieldListPanel::set_show_update_allowed(bool on) {
    if (on == show_update_allowed_) return;
    show_update_allowed_ = on;
    refresh();
}

void CFieldListPanel::refresh() {
    const workspace::FieldSelection before = selection();
    const std::set<const model::CConfigField*> selected(before.begin(), before.end());
    {
        const QSignalBlocker block(list_);
        list_->clear();
        if (table_ != nullptr) {
            const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
            for (const auto& field : table_->fields) {
                // Return Groups off leaves the GROUP fields out, as the table is then returned.
                if (!table_->lists_field(*field)) continue;
                auto* item = new QListWidgetItem(from_host(field->name.view()), list_);
                item->setIcon(field_icon(origin_of(*field), field->date_kind != model::DateKind::standard));
                if (show_update_allowed_ && field->update_allowed)
                    item->setForeground(QColor(Qt::red));
                else if (!field->visible)
                    item->setForeground(grey);
                item->setData(Qt::AccessibleDescriptionRole, describe(*field));
                item->setData(kFieldRole, QVariant::fromValue(reinterpret_cast<quintptr>(field.get())));
                item->setSelected(selected.count(field.get()) != 0);
            }
        }
    }
    update_buttons();
}

workspace::FieldSelection CFieldListPanel::selection() const {
    workspace::FieldSelection out;
    if (table_ == nullptr) return out;
    // Each line knows its field, so a selection read while the table changed underneath (before the redraw)
    // never names a field that is gone or another one.
    std::set<const model::CConfigField*> present;
    for (const auto& field : table_->fields) present.insert(field.get());
    for (int row = 0; row < list_->count(); ++row) {
        const QListWidgetItem* item = list_->item(row);
        if (!item->isSelected()) continue;
        auto* field = reinterpret_cast<model::CConfigField*>(item->data(kFieldRole).value<quintptr>());
        if (present.count(field) != 0) out.push_back(field);
    }
    return out;
}

void CFieldListPanel::update_buttons() {
    const workspace::FieldSelection selected = selection();
    new_->setEnabled(table_ != nullptr);
    edit_->setEnabled(selected.size() == 1);
    const workspace::HideButtonState hide = workspace::hide_button_state(selected);
    hide_->setText(from_host(hide.text));
    hide_->setEnabled(hide.enabled);
}

void CFieldListPanel::show_popup(const QPoint& pos) {
    if (table_ == nullptr) return;
    // A right click on a field outside the selection makes it the selection.
    if (QListWidgetItem* item = list_->itemAt(pos); item != nullptr && !item->isSelected()) {
        list_->clearSelection();
        list_->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    }
    const std::vector<workspace::FieldMenuItem> items = workspace::field_popup_menu(selection());
    if (items.empty()) return;
    // An earlier popup may still wait for its deletion: unnamed, it is never taken for the new one.
    for (QMenu* old : findChildren<QMenu*>(QStringLiteral("menu_103_FieldPopup"), Qt::FindDirectChildrenOnly)) {
        old->setObjectName(QString());
        old->deleteLater();
    }
    auto* menu = new QMenu(this);
    set_popup_name(menu, workspace::kPopupResource, QStringLiteral("_FieldPopup_"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    fill_menu(menu, items);
    menu->popup(list_->viewport()->mapToGlobal(pos));
}

void CFieldListPanel::fill_menu(QMenu* menu, const std::vector<workspace::FieldMenuItem>& items) {
    for (const workspace::FieldMenuItem& item : items) {
        if (item.separator()) {
            menu->addSeparator();
        } else if (item.submenu()) {
            QMenu* sub = menu->addMenu(from_host(item.text));
            QString role = from_host(item.text).remove(QLatin1Char('&'));
            sub->setObjectName(QStringLiteral("menu_103_FieldPopup_") + role.remove(QLatin1Char(' ')));
            fill_menu(sub, item.items);
        } else {
            QAction* action = menu->addAction(from_host(item.text));
            set_command_id(action, item.id);
            action->setCheckable(item.checkable);
            action->setChecked(item.checked);
            // Only a chosen entry acts: hovering over the formats and closing the menu changes nothing. The command
            // runs once the menu has gone, so a dialog it opens is not stacked on a popup that deletes itself.
            const int id = item.id;
            connect(action, &QAction::triggered, this, [this, id] { run_command(id); }, Qt::QueuedConnection);
        }
    }
}

void CFieldListPanel::run_command(int id) {
    if (table_ == nullptr) return;
    const workspace::FieldSelection selected = selection();
    if (selected.empty()) return;
    std::int32_t kind = 0;
    std::int32_t index = 0;
    if (id == FieldCommand::rename) {
        rename_field();
    } else if (id == FieldCommand::hide) {
        hide_or_delete();
    } else if (id == FieldCommand::update_allowed) {
        workspace::toggle_update_allowed(selected);
        list_->clearSelection();
        changed();
    } else if (workspace::format_for_command(id, kind, index)) {
        workspace::set_field_format(selected, kind, index);
        list_->clearSelection();
        changed();
    }
}

void CFieldListPanel::new_field() {
    if (table_ == nullptr) return;
    CUserDefinedFieldDlg dialog(*table_, nullptr, this);
    if (seams().exec_dialog(dialog) != QDialog::Accepted) return;
    std::unique_ptr<model::CConfigField> field = dialog.take_new_field();
    if (!field) return;
    table_->fields.push_back(std::move(field));
    list_->clearSelection();
    changed();
}

void CFieldListPanel::edit_field() {
    const workspace::FieldSelection selected = selection();
    if (table_ == nullptr || selected.size() != 1) return;
    model::CConfigField& field = *selected.front();
    int result = QDialog::Rejected;
    if (field.field_kind == model::FieldKind::host) {
        CFieldEditDlg dialog(*table_, field, this);
        result = seams().exec_dialog(dialog);
    } else {
        CUserDefinedFieldDlg dialog(*table_, &field, this);
        result = seams().exec_dialog(dialog);
    }
    if (result == QDialog::Accepted) changed();
}

void CFieldListPanel::rename_field() {
    const workspace::FieldSelection selected = selection();
    if (table_ == nullptr || selected.size() != 1) return;
    CRenameFieldDlg dialog(*table_, *selected.front(), this);
    if (seams().exec_dialog(dialog) == QDialog::Accepted) changed();
}

void CFieldListPanel::hide_or_delete() {
    const workspace::FieldSelection selected = selection();
    if (table_ == nullptr || selected.empty() || !workspace::hide_button_state(selected).enabled) return;
    workspace::hide_or_delete_fields(*table_, selected);
    list_->clearSelection();
    changed();
}

void CFieldListPanel::changed() {
    refresh();
    emit fields_changed();
}

void CFieldListPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) refresh();
}

}  // namespace kestra::ui
