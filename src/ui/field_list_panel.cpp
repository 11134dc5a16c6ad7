#include "ui/field_list_panel.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/config_table.h"
#include "ui/host_text.h"
#include "ui/object_names.h"

namespace kestra::ui {

// A plain list of the field names with the three buttons; the field editor replaces it.
CFieldListPanel::CFieldListPanel(QWidget* parent) : QWidget(parent), list_(new QListWidget(this)) {
    set_control_id(list_, 1003);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    setFocusProxy(list_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    const std::pair<int, const char*> kButtons[] = {{1018, "&New"}, {1020, "&Edit"}, {1041, "&Hide"}};
    for (const auto& [id, caption] : kButtons) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        set_control_id(b, id);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
}

void CFieldListPanel::set_table(model::CConfigTable* table, const model::CConfigFile*) {
    table_ = table;
    refresh();
}

void CFieldListPanel::set_show_update_allowed(bool on) {
    show_update_allowed_ = on;
    refresh();
}

void CFieldListPanel::refresh() {
    list_->clear();
    if (table_ == nullptr) return;
    for (const auto& f : table_->fields) {
        auto* item = new QListWidgetItem(from_host(f->name.view()), list_);
        if (show_update_allowed_ && f->update_allowed) item->setForeground(QColor(0xFF, 0, 0));
    }
}

}  // namespace kestra::ui
