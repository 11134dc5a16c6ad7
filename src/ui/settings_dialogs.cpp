#include "ui/settings_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTextEdit>
#include <QVBoxLayout>
#include <initializer_list>
#include <memory>

#include "app/ui_hooks.h"
#include "configsvc/options_requests.h"
#include "model/text_limits.h"
#include "ui/application_dialog.h"
#include "ui/host_text.h"
#include "ui/object_names.h"
#include "ui/table_entry_dialogs.h"
#include "ui/ui_seams.h"
#include "workspace/admin_doc.h"

namespace kestra::ui {

namespace {

using workspace::GlobalSettingsForm;
using workspace::LimitsForm;

QLineEdit* line_edit(QWidget* parent, int id) {
    auto* edit = new QLineEdit(parent);
    set_control_id(edit, id);
    return edit;
}

QCheckBox* check_box(QWidget* parent, int id, const QString& text) {
    auto* box = new QCheckBox(text, parent);
    set_control_id(box, id);
    return box;
}

// A radio group keyed by position: button i stands for code i.
QButtonGroup* radio_group(QWidget* parent, QLayout* layout,
                          std::initializer_list<std::pair<int, const char*>> buttons) {
    auto* group = new QButtonGroup(parent);
    group->setExclusive(true);
    int code = 0;
    for (const auto& [id, text] : buttons) {
        auto* radio = new QRadioButton(QString::fromLatin1(text), parent);
        set_control_id(radio, id);
        group->addButton(radio, code++);
        layout->addWidget(radio);
    }
    return group;
}

// Checks the button of `index`, or none for -1: an unknown code shows no choice.
void check_coded(QButtonGroup* group, int index) {
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(group->id(b) == index);
    group->setExclusive(true);
}

void take_coded(const QButtonGroup* group, workspace::CodedChoice& choice, int opened) {
    // Only a choice a person made replaces the code the group opened with.
    const int checked = group->checkedId();
    if (checked >= 0 && checked != opened) choice.choose(checked);
}

QLabel* buddy_label(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

void digits_only(QLineEdit* edit, int max_digits) {
    // Typing is kept to digits; OK still checks the range, since a pasted or loaded text may be anything.
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(max_digits)), edit));
}

void refuse(QDialog* dialog, QWidget* field, const workspace::FormRefusal& r) {
    app::message_box(r.message, {}, app::MessageIcon::Warning);
    refuse_field(field);
    (void)dialog;
}

}  // namespace

// --- the five limit controls ---

LimitControls::LimitControls(QGroupBox* group) {
    auto* layout = new QVBoxLayout(group);
    where_ = check_box(group, LimitsForm::kWhereRequired, QStringLiteral("'&WHERE' Clause Required in SELECT"));
    selects_ = check_box(group, LimitsForm::kLinearSelects, QStringLiteral("Linear &SELECT Allowed"));
    joins_ = check_box(group, LimitsForm::kLinearJoins, QStringLiteral("Linear &JOIN Allowed"));
    layout->addWidget(where_);
    layout->addWidget(selects_);
    layout->addWidget(joins_);
    auto* kind_box = new QGroupBox(QStringLiteral("Rows Read Limit"), group);
    kind_box_ = kind_box;
    auto* kind_layout = new QVBoxLayout(kind_box);
    kind_ = radio_group(kind_box, kind_layout,
                        {{LimitsForm::kNoLimit, "&No Limit"},
                         {LimitsForm::kSilentEof, "Silent &End of Query"},
                         {LimitsForm::kErrorMessage, "Error &Message"}});
    count_ = line_edit(kind_box, LimitsForm::kRowCount);
    digits_only(count_, 10);
    auto* row = new QHBoxLayout;
    row->addWidget(buddy_label(QStringLiteral("&Limit"), count_, kind_box));
    row->addWidget(count_);
    kind_layout->addLayout(row);
    layout->addWidget(kind_box);
}

void LimitControls::show(const LimitsForm& form) {
    where_->setChecked(form.where_required);
    selects_->setChecked(form.linear_selects);
    joins_->setChecked(form.linear_joins);
    check_coded(kind_, form.row_limit_kind.checked());
    count_->setText(QString::fromStdString(form.row_count));
}

void LimitControls::take(LimitsForm& form) const {
    form.where_required = where_->isChecked();
    form.linear_selects = selects_->isChecked();
    form.linear_joins = joins_->isChecked();
    take_coded(kind_, form.row_limit_kind, form.row_limit_kind.checked());
    form.row_count = count_->text().toStdString();
}

void LimitControls::set_enabled(bool on) {
    for (QWidget* w :
         {static_cast<QWidget*>(where_), static_cast<QWidget*>(selects_), static_cast<QWidget*>(joins_), kind_box_})
        w->setEnabled(on);
}

// --- Global Settings ---

CGlobalSettingsDlg::CGlobalSettingsDlg(GlobalSettingsForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    set_dialog_name(this, 1017);
    setWindowTitle(QStringLiteral("Global Settings"));

    description_ = new QTextEdit(this);
    set_control_id(description_, GlobalSettingsForm::kDescription);
    description_->setAcceptRichText(false);
    description_->setTabChangesFocus(true);
    description_->setFixedHeight(description_->fontMetrics().lineSpacing() * 3 + 10);
    usercode_ = line_edit(this, GlobalSettingsForm::kUsercode);
    priority_ = line_edit(this, GlobalSettingsForm::kPriority);
    digits_only(priority_, 2);
    app_name_ = line_edit(this, GlobalSettingsForm::kAppName);
    limit_host_text(app_name_, GlobalSettingsForm::kAppNameTyped, true);
    translation_ = new QComboBox(this);
    set_control_id(translation_, GlobalSettingsForm::kTranslation);
    translation_->setEditable(true);
    translation_->setInsertPolicy(QComboBox::NoInsert);
    limit_host_text(translation_->lineEdit(), model::kTranslationMax);

    auto* texts = new QFormLayout;
    texts->addRow(buddy_label(QStringLiteral("&Description"), description_, this), description_);
    texts->addRow(buddy_label(QStringLiteral("U&sercode"), usercode_, this), usercode_);
    texts->addRow(buddy_label(QStringLiteral("&Priority"), priority_, this), priority_);
    texts->addRow(buddy_label(QStringLiteral("&AppName"), app_name_, this), app_name_);
    texts->addRow(buddy_label(QStringLiteral("&Translate Table"), translation_, this), translation_);

    auto* app_security = new QGroupBox(QStringLiteral("Application Security"), this);
    auto* app_layout = new QVBoxLayout(app_security);
    program_security_ =
        radio_group(app_security, app_layout, {{1000, "&None"}, {1001, "Update &Only"}, {1002, "Update and &Inquiry"}});

    auto* type_box = new QGroupBox(QStringLiteral("Security Type"), this);
    auto* type_layout = new QVBoxLayout(type_box);
    security_type_ = radio_group(type_box, type_layout, {{1121, "Pri&vate"}, {1120, "P&ublic"}, {1122, "&Guarded"}});
    guardfile_ = line_edit(type_box, GlobalSettingsForm::kGuardfile);
    limit_host_text(guardfile_, model::kGuardfileMax);
    guardfile_->setAccessibleName(QStringLiteral("Guard File"));
    type_layout->addWidget(guardfile_);

    auto* use_box = new QGroupBox(QStringLiteral("Security Use"), this);
    auto* use_layout = new QVBoxLayout(use_box);
    security_use_ = radio_group(use_box, use_layout, {{1119, "S&ecured"}, {1116, "In"}, {1117, "Out"}, {1118, "IO"}});

    auto* date_box = new QGroupBox(QStringLiteral("Relative Date Base"), this);
    auto* date_layout = new QHBoxLayout(date_box);
    month_ = line_edit(date_box, GlobalSettingsForm::kMonth);
    day_ = line_edit(date_box, GlobalSettingsForm::kDay);
    year_ = line_edit(date_box, GlobalSettingsForm::kYear);
    for (auto [edit, text, digits] :
         {std::tuple{month_, "&Month", 2}, std::tuple{day_, "Da&y", 2}, std::tuple{year_, "Yea&r", 4}}) {
        // Digits and a sign may be typed; the range is checked at OK with its own message.
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,%1}").arg(digits)), edit));
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
        date_layout->addWidget(buddy_label(QString::fromLatin1(text), edit, date_box));
        date_layout->addWidget(edit);
    }
    date_layout->addStretch();

    unique_ = check_box(this, 1035, QStringLiteral("Ignore Unique Indices"));
    database_ = check_box(this, 1034, QStringLiteral("Use Database Libraries"));
    hide_ = check_box(this, 1036, QStringLiteral("Hide Fields"));
    // Tab finishes the left column before the security boxes on the right.
    QWidget* previous = translation_;
    for (QWidget* w : std::initializer_list<QWidget*>{month_, day_, year_, unique_, database_, hide_}) {
        QWidget::setTabOrder(previous, w);
        previous = w;
    }

    auto* right = new QVBoxLayout;
    right->addWidget(app_security);
    right->addWidget(type_box);
    right->addWidget(use_box);
    auto* left = new QVBoxLayout;
    left->addLayout(texts);
    left->addWidget(date_box);
    left->addWidget(unique_);
    left->addWidget(database_);
    left->addWidget(hide_);
    left->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addLayout(right, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(ok_cancel_buttons(this));

    fields_ = {{GlobalSettingsForm::kDescription, description_},
               {GlobalSettingsForm::kUsercode, usercode_},
               {GlobalSettingsForm::kPriority, priority_},
               {GlobalSettingsForm::kAppName, app_name_},
               {GlobalSettingsForm::kTranslation, translation_},
               {GlobalSettingsForm::kGuardfile, guardfile_},
               {GlobalSettingsForm::kMonth, month_},
               {GlobalSettingsForm::kDay, day_},
               {GlobalSettingsForm::kYear, year_}};

    description_->setPlainText(from_host(form.description));
    usercode_->setText(from_host(form.usercode));
    // After the text: the "<default>" placeholder shows as it is, while what is typed turns to upper case.
    limit_host_text(usercode_, model::kUsercodeMax, true);
    priority_->setText(from_host(form.priority));
    app_name_->setText(from_host(form.app_name));
    translation_->setEditText(from_host(form.translation));
    guardfile_->setText(from_host(form.guardfile));
    month_->setText(from_host(form.month));
    day_->setText(from_host(form.day));
    year_->setText(from_host(form.year));
    unique_->setChecked(form.ignore_unique_indices);
    database_->setChecked(form.database_libraries);
    hide_->setChecked(form.hide_fields);
    check_coded(program_security_, form.program_security.checked());
    check_coded(security_type_, form.security_type.checked());
    check_coded(security_use_, form.security_use.checked());
}

void CGlobalSettingsDlg::take() {
    form_.description = to_host(description_->toPlainText());
    form_.usercode = to_host(usercode_->text());
    form_.priority = to_host(priority_->text());
    form_.app_name = to_host(app_name_->text());
    form_.translation = to_host(translation_->currentText());
    form_.guardfile = to_host(guardfile_->text());
    form_.month = to_host(month_->text());
    form_.day = to_host(day_->text());
    form_.year = to_host(year_->text());
    form_.ignore_unique_indices = unique_->isChecked();
    form_.database_libraries = database_->isChecked();
    form_.hide_fields = hide_->isChecked();
    take_coded(program_security_, form_.program_security, form_.program_security.checked());
    take_coded(security_type_, form_.security_type, form_.security_type.checked());
    take_coded(security_use_, form_.security_use, form_.security_use.checked());
}

void CGlobalSettingsDlg::accept() {
    take();
    if (const auto r = form_.validate()) {
        const auto field = fields_.find(r->control);
        refuse(this, field == fields_.end() ? nullptr : field->second, *r);
        return;
    }
    QDialog::accept();
}

// --- Limits ---

CLimitsDlg::CLimitsDlg(LimitsForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    set_dialog_name(this, 1006);
    setWindowTitle(QStringLiteral("Limits"));
    auto* group = new QGroupBox(QStringLiteral("Limits"), this);
    controls_ = std::make_unique<LimitControls>(group);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(ok_cancel_buttons(this));
    controls_->show(form);
}

void CLimitsDlg::accept() {
    controls_->take(form_);
    if (const auto r = form_.validate()) {
        refuse(this, find_control(this, r->control), *r);
        return;
    }
    QDialog::accept();
}

// --- the view's Edit ---

void CSettingsEntryDialogs::new_entry(CClientConfigView& view, workspace::ViewMode mode) {
    if (mode == workspace::ViewMode::tables) return CTableEntryDialogs::new_table(view);
    model::CServerNode* node = view.model().node();
    if (mode != workspace::ViewMode::applications || node == nullptr || node->is_root()) return;
    model::CConfigFile& file = node->config;
    workspace::CAdminDoc& doc = view.tree().doc();
    auto app = std::make_unique<model::CPcApplication>();
    workspace::ApplicationForm form;
    form.load(file, *app, true);
    CApplicationDlg dialog(form, &view);
    if (seams().exec_dialog(dialog) != QDialog::Accepted) return;
    form.store(*app);
    file.applications.push_back(std::move(app));
    file.modified = true;
    if (configsvc::add_apps(doc.client(), file) != 0) {
        // The host has no such application: the record goes again.
        file.applications.pop_back();
        doc.session().show_errors();
    }
}

void CSettingsEntryDialogs::edit_entry(CClientConfigView& view, workspace::ViewMode mode, int index) {
    if (mode == workspace::ViewMode::tables) return CTableEntryDialogs::edit_table(view, index);
    model::CServerNode* node = view.model().node();
    if (node == nullptr || node->is_root()) return;
    model::CConfigFile& file = node->config;
    workspace::CAdminDoc& doc = view.tree().doc();
    if (mode == workspace::ViewMode::applications) {
        if (index < 0 || static_cast<std::size_t>(index) >= file.applications.size()) return;
        model::CPcApplication& app = *file.applications[static_cast<std::size_t>(index)];
        // Fetched before the window opens, so what is not edited goes back as the host has it; a failed fetch
        // opens nothing.
        if (configsvc::get_app_info(doc.client(), file, app) != 0) {
            doc.session().show_errors();
            return;
        }
        workspace::ApplicationForm form;
        form.load(file, app, false);
        CApplicationDlg dialog(form, &view);
        if (seams().exec_dialog(dialog) != QDialog::Accepted) return;
        form.store(app);
        app.changed = true;
        file.modified = true;
        if (configsvc::modify_apps(doc.client(), file) != 0) doc.session().show_errors();
    } else if (mode == workspace::ViewMode::global) {
        GlobalSettingsForm form;
        form.load(file.global_options, file.description.view());
        CGlobalSettingsDlg dialog(form, &view);
        if (seams().exec_dialog(dialog) != QDialog::Accepted) return;
        form.store(file.global_options, file.description);
        view.refill();
        // Marked modified whatever the host answers: a later Save carries the values.
        file.modified = true;
        if (configsvc::put_global(doc.client(), file) != 0) doc.session().show_errors();
    } else if (mode == workspace::ViewMode::limits) {
        LimitsForm form;
        form.load(file.limits);
        CLimitsDlg dialog(form, &view);
        if (seams().exec_dialog(dialog) != QDialog::Accepted) return;
        form.store(file.limits);
        view.refill();
        file.modified = true;
        if (configsvc::put_limits(doc.client(), file) != 0) doc.session().show_errors();
    }
}

EntryDialogs& settings_entry_dialogs() {
    static CSettingsEntryDialogs dialogs;
    return dialogs;
}

}  // namespace kestra::ui
