#include "ui/application_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/host_text.h"
#include "ui/object_names.h"
#include "ui/settings_dialogs.h"
#include "ui/ui_seams.h"
#include "workspace/command_ids.h"
#include "workspace/module_name_reader.h"

namespace kestra::ui {

namespace {

QCheckBox* check_box(QWidget* parent, int id, const QString& text, bool on) {
    auto* box = new QCheckBox(text, parent);
    set_control_id(box, id);
    box->setChecked(on);
    return box;
}

QPushButton* button(QWidget* parent, int id, const QString& text) {
    auto* b = new QPushButton(text, parent);
    set_control_id(b, id);
    b->setAutoDefault(false);
    return b;
}

QListWidget* table_list(QWidget* parent, int id) {
    auto* list = new QListWidget(parent);
    set_control_id(list, id);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QFont bold = list->font();
    bold.setBold(true);
    list->setFont(bold);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return list;
}

void paint_red(QListWidgetItem* item, bool red) {
    if (red)
        item->setForeground(QColor(0xFF, 0, 0));
    else
        item->setData(Qt::ForegroundRole, QVariant());
}

}  // namespace

CProgramDlg::CProgramDlg(const QString& table, bool update_allowed, QWidget* parent) : QDialog(parent) {
    set_dialog_name(this, 1024);
    setWindowTitle(QStringLiteral("Program"));
    auto* name = new QLabel(table, this);
    set_control_id(name, 1148);
    update_ = check_box(this, 1038, QStringLiteral("&Update Allowed"), update_allowed);
    auto* buttons = ok_cancel_buttons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addWidget(update_);
    layout->addWidget(buttons);
}

bool CProgramDlg::update_allowed() const {
    return update_->isChecked();
}

CApplicationDlg::CApplicationDlg(workspace::ApplicationForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    set_dialog_name(this, 1016);
    setWindowTitle(QString::fromStdString(form.title()));

    name_ = new QLineEdit(this);
    set_control_id(name_, workspace::ApplicationForm::kName);
    name_->setText(from_host(form.name));
    // After the text: a longer name from the host shows whole; typing turns to upper case and stops at 16.
    limit_host_text(name_, workspace::ApplicationForm::kNameTyped, true);
    auto* name_label = new QLabel(QStringLiteral("N&ame"), this);
    name_label->setBuddy(name_);
    auto* browse = button(this, 1150, QStringLiteral("&Browse..."));
    update_ = check_box(this, 1038, QStringLiteral("&Update Allowed"), form.update_allowed);
    override_ = check_box(this, 1069, QStringLiteral("&Override Global Limits"), form.override_limits);
    table_list_ = check_box(this, 1043, QStringLiteral("Limit &Tables to List"), form.table_list);

    auto* limits_box = new QGroupBox(QStringLiteral("Limit Overrides"), this);
    limits_ = std::make_unique<LimitControls>(limits_box);
    limits_->show(form.limits);

    tables_box_ = new QGroupBox(QStringLiteral("Table List"), this);
    accessible_ = table_list(tables_box_, 1017);
    available_ = table_list(tables_box_, 1018);
    copy_ = button(tables_box_, 1067, QStringLiteral("<< &Copy"));
    edit_ = button(tables_box_, 1039, QStringLiteral("Ed&it"));
    delete_ = button(tables_box_, 1068, QStringLiteral("&Delete"));
    auto* accessible_label = new QLabel(QStringLiteral("Accessable Tables"), tables_box_);
    set_buddy(accessible_label, accessible_);
    auto* available_label = new QLabel(QStringLiteral("Available Tables"), tables_box_);
    set_buddy(available_label, available_);
    auto* table_grid = new QGridLayout(tables_box_);
    table_grid->addWidget(accessible_label, 0, 0);
    table_grid->addWidget(available_label, 0, 2);
    table_grid->addWidget(accessible_, 1, 0);
    auto* middle = new QVBoxLayout;
    middle->addWidget(copy_);
    middle->addWidget(edit_);
    middle->addWidget(delete_);
    middle->addStretch();
    table_grid->addLayout(middle, 1, 1);
    table_grid->addWidget(available_, 1, 2);

    message_ = new QLabel(this);
    set_control_id(message_, 1149);

    auto* name_row = new QHBoxLayout;
    name_row->addWidget(name_label);
    name_row->addWidget(name_, 1);
    name_row->addWidget(browse);
    auto* left = new QVBoxLayout;
    left->addLayout(name_row);
    left->addWidget(update_);
    left->addWidget(override_);
    left->addWidget(limits_box);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(table_list_);
    right->addWidget(tables_box_, 1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right, 1);

    auto* buttons = ok_cancel_buttons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(message_);
    layout->addWidget(buttons);

    for (std::size_t i = 0; i < form.available_count(); ++i) {
        auto* item = new QListWidgetItem(from_host(form.available_name(i)), available_);
        paint_red(item, form.available_red(i));
    }
    fill_accessible();
    // Both lists as wide as the widest table name, so names show whole without scrolling sideways.
    int widest = available_->fontMetrics().horizontalAdvance(QString(12, QLatin1Char('M')));
    for (int i = 0; i < available_->count(); ++i)
        widest = std::max(widest, available_->fontMetrics().horizontalAdvance(available_->item(i)->text()));
    const int width = widest + available_->verticalScrollBar()->sizeHint().width() + 4 * available_->frameWidth();
    available_->setMinimumWidth(width);
    accessible_->setMinimumWidth(width);

    // The list's popup: Update Allowed on the selected accessible tables.
    auto* popup = new QMenu(accessible_);
    set_popup_name(popup, 103, QStringLiteral("_TablePopup_"));
    QAction* toggle = popup->addAction(QStringLiteral("&Update Allowed"));
    set_command_id(toggle, workspace::cmd::kUpdateAllowed);
    connect(toggle, &QAction::triggered, this, &CApplicationDlg::toggle_update);
    accessible_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(accessible_, &QListWidget::customContextMenuRequested, this,
            [this, popup](const QPoint& pos) { popup->popup(accessible_->viewport()->mapToGlobal(pos)); });

    connect(browse, &QPushButton::clicked, this, &CApplicationDlg::browse);
    connect(update_, &QCheckBox::toggled, this, [this] { fill_accessible(); });
    connect(override_, &QCheckBox::toggled, this, [this](bool on) { limits_->set_enabled(on); });
    connect(table_list_, &QCheckBox::toggled, this, [this](bool on) {
        tables_box_->setEnabled(on);
        update_buttons();
    });
    connect(copy_, &QPushButton::clicked, this, &CApplicationDlg::copy_tables);
    connect(available_, &QListWidget::itemDoubleClicked, this, &CApplicationDlg::copy_tables);
    connect(edit_, &QPushButton::clicked, this, &CApplicationDlg::edit_table);
    connect(accessible_, &QListWidget::itemDoubleClicked, this, &CApplicationDlg::edit_table);
    connect(delete_, &QPushButton::clicked, this, &CApplicationDlg::delete_tables);
    connect(accessible_, &QListWidget::itemSelectionChanged, this, &CApplicationDlg::update_buttons);
    connect(available_, &QListWidget::itemSelectionChanged, this, &CApplicationDlg::update_buttons);

    limits_->set_enabled(form.override_limits);
    tables_box_->setEnabled(form.table_list);
    update_buttons();
    name_->setFocus(Qt::OtherFocusReason);
}

std::vector<std::size_t> CApplicationDlg::selected(const QListWidget* list) const {
    std::vector<std::size_t> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) rows.push_back(static_cast<std::size_t>(i));
    return rows;
}

void CApplicationDlg::fill_accessible() {
    form_.update_allowed = update_->isChecked();
    const std::vector<std::size_t> keep = selected(accessible_);
    accessible_->clear();
    for (std::size_t i = 0; i < form_.accessible.size(); ++i) {
        auto* item = new QListWidgetItem(from_host(form_.accessible_name(i)), accessible_);
        paint_red(item, form_.accessible_red(i));
    }
    for (const std::size_t i : keep)
        if (i < form_.accessible.size()) accessible_->item(static_cast<int>(i))->setSelected(true);
    update_buttons();
}

void CApplicationDlg::update_buttons() {
    const bool on = table_list_->isChecked();
    copy_->setEnabled(on && !selected(available_).empty());
    delete_->setEnabled(on && !selected(accessible_).empty());
    edit_->setEnabled(on && form_.can_edit(selected(accessible_)));
}

void CApplicationDlg::browse() {
    FileRequest request;
    request.caption = QStringLiteral("Select Application");
    request.filter = QStringLiteral("Programs (*.EXE *.exe)");
    request.default_suffix = QStringLiteral("EXE");
    request.must_exist = true;
    const QString chosen = seams().file_dialog(this, request);
    if (chosen.isEmpty()) return;  // Cancel keeps the name
    const workspace::ModuleNameResult r = workspace::read_module_name(chosen.toStdString());
    if (r.ok) {
        name_->setText(from_host(r.text));
        message_->clear();
        return;
    }
    name_->clear();
    refuse_field(name_, message_, from_host(r.text));
}

void CApplicationDlg::copy_tables() {
    if (!table_list_->isChecked()) return;
    form_.copy_available(selected(available_));
    available_->clearSelection();
    fill_accessible();
}

void CApplicationDlg::delete_tables() {
    form_.remove_accessible(selected(accessible_));
    accessible_->clearSelection();
    fill_accessible();
}

void CApplicationDlg::edit_table() {
    const std::vector<std::size_t> rows = selected(accessible_);
    if (!form_.can_edit(rows)) return;
    auto& entry = form_.accessible[rows.front()];
    CProgramDlg dialog(from_host(form_.accessible_name(rows.front())), entry.update_allowed, this);
    if (seams().exec_dialog(dialog) != QDialog::Accepted) return;
    entry.update_allowed = dialog.update_allowed();
    fill_accessible();
}

void CApplicationDlg::toggle_update() {
    form_.toggle_update(selected(accessible_));
    accessible_->clearSelection();
    fill_accessible();
}

void CApplicationDlg::accept() {
    form_.name = to_host(name_->text());
    form_.update_allowed = update_->isChecked();
    form_.override_limits = override_->isChecked();
    form_.table_list = table_list_->isChecked();
    limits_->take(form_.limits);
    if (const auto r = form_.validate()) {
        refuse_field(name_, message_, from_host(r->message));
        return;
    }
    if (form_.override_limits) {
        if (const auto r = form_.limits.validate()) {
            refuse_field(find_control(this, r->control), message_, from_host(r->message));
            return;
        }
    }
    QDialog::accept();
}

}  // namespace kestra::ui
