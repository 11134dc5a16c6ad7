#include "ui/add_join_table_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/host_text.h"
#include "ui/object_names.h"

namespace kestra::ui {

CAddJoinTableDlg::CAddJoinTableDlg(const std::vector<std::string>& tables, QWidget* parent) : QDialog(parent) {
    set_dialog_name(this, 148);
    setWindowTitle(QStringLiteral("Add Join Table"));
    list_ = new QListWidget(this);
    set_control_role(list_, QStringLiteral("AddJoinTable"), QStringLiteral("List"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const std::string& name : tables) list_->addItem(from_host(name));
    auto* label = new QLabel(QStringLiteral("&Table"), this);
    set_buddy(label, list_);

    auto* buttons = ok_cancel_buttons(this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setEnabled(false);
    connect(list_, &QListWidget::itemSelectionChanged, this,
            [this] { ok_->setEnabled(!list_->selectedItems().isEmpty()); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (item == nullptr) return;
        list_->setCurrentItem(item);
        accept();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(260, 300);
}

int CAddJoinTableDlg::selected() const {
    const auto items = list_->selectedItems();
    return items.isEmpty() ? -1 : list_->row(items.front());
}

}  // namespace kestra::ui
