#include "ui/table_selection_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "configsvc/catalogue_requests.h"
#include "hostlink/host_session.h"
#include "ui/host_text.h"
#include "ui/object_names.h"
#include "ui/table_name_dialog.h"
#include "ui/ui_seams.h"
#include "workspace/admin_doc.h"

namespace kestra::ui {

namespace {

constexpr int kDescfileId = 1017;
constexpr int kDatabaseId = 1018;
constexpr int kDatasetsId = 1019;
constexpr int kTablesId = 1016;
constexpr int kCopyId = 1020;
constexpr int kCopyAllId = 1022;
constexpr int kDeleteId = 1021;

// Datasets, and tables over them, in bold; sets and tables over sets in the list's own font.
void add_entry(QListWidget* list, const QString& text, bool bold) {
    auto* item = new QListWidgetItem(text, list);
    QFont font = list->font();
    font.setBold(bold);
    item->setFont(font);
}

std::vector<std::size_t> selected_rows(const QListWidget* list) {
    std::vector<std::size_t> rows;
    for (const QListWidgetItem* item : list->selectedItems()) rows.push_back(static_cast<std::size_t>(list->row(item)));
    std::sort(rows.begin(), rows.end());
    return rows;
}

}  // namespace

void DropDownComboBox::showPopup() {
    if (before_popup && !before_popup()) return;
    QComboBox::showPopup();
}

CTableSelectionDlg::CTableSelectionDlg(workspace::CAdminDoc& doc, const configsvc::TableList& existing, QWidget* parent)
    : QDialog(parent),
      doc_(doc),
      model_(existing, doc.session().default_options().update_allowed, doc.session().default_options().return_groups) {
    set_dialog_name(this, QStringLiteral("DmsiiTableSelection"));
    setWindowTitle(QStringLiteral("DMSII Table Selection"));

    descfiles_ = new QComboBox(this);
    set_control_id(descfiles_, kDescfileId);
    descfiles_->setEditable(true);
    descfiles_->setInsertPolicy(QComboBox::NoInsert);
    limit_host_text(descfiles_->lineEdit(), model::kMaxWireText, true);
    databases_ = new DropDownComboBox(this);
    set_control_id(databases_, kDatabaseId);
    databases_->before_popup = [this] { return fetch_databases(); };
    const int combo_width = fontMetrics().horizontalAdvance(QString(40, QLatin1Char('X')));
    descfiles_->setMinimumWidth(combo_width);
    auto* form = new QFormLayout;
    auto* descfile_label = new QLabel(QStringLiteral("Description &File"), this);
    descfile_label->setBuddy(descfiles_);
    auto* database_label = new QLabel(QStringLiteral("Data&base"), this);
    database_label->setBuddy(databases_);
    form->addRow(descfile_label, descfiles_);
    form->addRow(database_label, databases_);

    tables_ = new QListWidget(this);
    set_control_id(tables_, kTablesId);
    tables_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    datasets_ = new QListWidget(this);
    set_control_id(datasets_, kDatasetsId);
    datasets_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (QListWidget* list : {tables_, datasets_}) {
        list->setMinimumSize(fontMetrics().horizontalAdvance(QString(24, QLatin1Char('X'))),
                             fontMetrics().lineSpacing() * 14);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    auto* tables_label = new QLabel(QStringLiteral("Available &Tables"), this);
    set_buddy(tables_label, tables_);
    auto* datasets_label = new QLabel(QStringLiteral("Data&sets"), this);
    set_buddy(datasets_label, datasets_);

    copy_ = new QPushButton(QStringLiteral("<< &Copy"), this);
    set_control_id(copy_, kCopyId);
    copy_all_ = new QPushButton(QStringLiteral("<< Copy &All"), this);
    set_control_id(copy_all_, kCopyAllId);
    delete_ = new QPushButton(QStringLiteral("&Delete"), this);
    set_control_id(delete_, kDeleteId);
    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    for (QPushButton* b : {copy_, copy_all_, delete_}) {
        b->setAutoDefault(false);
        middle->addWidget(b);
    }
    middle->addStretch(2);

    auto* lists = new QGridLayout;
    lists->addWidget(tables_label, 0, 0);
    lists->addWidget(tables_, 1, 0);
    lists->addLayout(middle, 1, 1);
    lists->addWidget(datasets_label, 0, 2);
    lists->addWidget(datasets_, 1, 2);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(2, 1);

    auto* box = ok_cancel_buttons(this);
    ok_ = box->button(QDialogButtonBox::Ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(lists, 1);
    layout->addWidget(box);
    // The lists' own size hints are wider than their entries need; start from the least that shows them.
    resize(minimumSizeHint());

    connect(descfiles_, &QComboBox::editTextChanged, this, &CTableSelectionDlg::descfile_changed);
    connect(databases_, &QComboBox::activated, this, &CTableSelectionDlg::database_chosen);
    connect(datasets_, &QListWidget::itemSelectionChanged, this, &CTableSelectionDlg::update_buttons);
    connect(tables_, &QListWidget::itemSelectionChanged, this, &CTableSelectionDlg::update_buttons);
    connect(datasets_, &QListWidget::itemDoubleClicked, this, &CTableSelectionDlg::insert_first_selected);
    connect(copy_, &QPushButton::clicked, this, &CTableSelectionDlg::copy);
    connect(copy_all_, &QPushButton::clicked, this, &CTableSelectionDlg::copy_all);
    connect(delete_, &QPushButton::clicked, this, &CTableSelectionDlg::delete_tables);

    load_descfiles();
    update_buttons();
    descfiles_->setFocus(Qt::OtherFocusReason);
}

void CTableSelectionDlg::load_descfiles() {
    std::vector<std::string> names;
    const std::int16_t rc = configsvc::get_descfile_list(doc_.client(), names);
    {
        const QSignalBlocker block(descfiles_);
        for (const std::string& name : names) descfiles_->addItem(from_host(name));
        // Nothing chosen until the administrator picks or types a name.
        descfiles_->setCurrentIndex(-1);
        descfiles_->setEditText(QString());
    }
    if (rc != hostlink::kSuccess) doc_.session().show_errors();
}

void CTableSelectionDlg::descfile_changed(const QString& text) {
    const std::string name = to_host(text);
    if (name == model_.descfile_name()) return;
    model_.set_descfile_name(name);
    {
        const QSignalBlocker block(databases_);
        databases_->clear();
    }
    datasets_->clear();
    update_buttons();
}

bool CTableSelectionDlg::fetch_databases() {
    if (model_.databases_fetched()) return true;
    // The name as it stands now, even when the box did not report the last change yet.
    descfile_changed(descfiles_->currentText());
    const std::int16_t rc = model_.fetch_databases(doc_.client());
    {
        const QSignalBlocker block(databases_);
        databases_->clear();
        for (const auto& database : model_.databases()) databases_->addItem(from_host(database->database_name.view()));
        databases_->setCurrentIndex(-1);
    }
    datasets_->clear();
    update_buttons();
    if (rc != hostlink::kSuccess) {
        doc_.session().show_errors();
        // The name is what to mend, whether the rule or the host refused it.
        descfiles_->setFocus(Qt::OtherFocusReason);
        descfiles_->lineEdit()->selectAll();
    }
    return databases_->count() > 0;
}

void CTableSelectionDlg::database_chosen(int index) {
    if (index < 0 || index >= databases_->count()) return;
    const int before = model_.current_database();
    const std::int16_t rc = model_.select_database(doc_.client(), to_host(databases_->itemText(index)));
    if (rc == hostlink::kSuccess && model_.current_database() == before) return;
    show_datasets();
    if (rc != hostlink::kSuccess) doc_.session().show_errors();
}

void CTableSelectionDlg::show_datasets() {
    datasets_->clear();
    for (const auto& entry : model_.datasets()) add_entry(datasets_, from_host(entry->name.view()), !entry->is_set());
    update_buttons();
}

void CTableSelectionDlg::show_new_tables() {
    tables_->clear();
    for (const auto& table : model_.new_tables()) add_entry(tables_, from_host(table->name.view()), !table->over_a_set);
    if (tables_->count() > 0) tables_->scrollToItem(tables_->item(tables_->count() - 1));
    update_buttons();
}

void CTableSelectionDlg::update_buttons() {
    copy_->setEnabled(!datasets_->selectedItems().isEmpty());
    const auto& entries = model_.datasets();
    copy_all_->setEnabled(std::any_of(entries.begin(), entries.end(), [](const auto& e) { return !e->is_set(); }));
    delete_->setEnabled(!tables_->selectedItems().isEmpty());
    ok_->setEnabled(model_.ok_enabled());
}

bool CTableSelectionDlg::edit_name(const std::string& message, std::string& name) {
    CTableNameDlg dialog(message, name, this);
    if (seams().exec_dialog(dialog) != QDialog::Accepted) return false;
    name = dialog.name();
    return true;
}

void CTableSelectionDlg::copy() {
    const std::vector<std::size_t> rows = selected_rows(datasets_);
    if (rows.empty()) return;
    model_.copy(rows, [this](const std::string& message, std::string& name) { return edit_name(message, name); });
    datasets_->clearSelection();
    show_new_tables();
}

void CTableSelectionDlg::insert_first_selected() {
    const std::vector<std::size_t> rows = selected_rows(datasets_);
    if (rows.empty()) return;
    model_.copy({rows.front()},
                [this](const std::string& message, std::string& name) { return edit_name(message, name); });
    datasets_->clearSelection();
    show_new_tables();
}

void CTableSelectionDlg::copy_all() {
    model_.copy_all([this](const std::string& message, std::string& name) { return edit_name(message, name); });
    datasets_->clearSelection();
    show_new_tables();
}

void CTableSelectionDlg::delete_tables() {
    const std::vector<std::size_t> rows = selected_rows(tables_);
    if (rows.empty()) return;
    model_.delete_new_tables(rows);
    tables_->clearSelection();
    show_new_tables();
}

}  // namespace kestra::ui
