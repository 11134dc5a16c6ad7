#include "ui/options_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/admin_app.h"
#include "configsvc/config_client.h"
#include "configsvc/config_file_requests.h"
#include "hostlink/host_session.h"
#include "ui/host_text.h"
#include "ui/object_names.h"
#include "ui/ui_seams.h"

namespace kestra::ui {

namespace {

constexpr std::size_t kCommandMax = 999;

QCheckBox* check_box(QWidget* parent, int id, const QString& text, bool on) {
    auto* box = new QCheckBox(text, parent);
    set_control_id(box, id);
    box->setChecked(on);
    return box;
}

}  // namespace

COptionsDlg::COptionsDlg(bool return_groups, bool update_allowed, QWidget* parent) : QDialog(parent) {
    set_dialog_name(this, 1005);
    setWindowTitle(QStringLiteral("Options"));
    auto* group = new QGroupBox(QStringLiteral("Default Table Settings"), this);
    auto* inner = new QVBoxLayout(group);
    groups_ = check_box(group, 1041, QStringLiteral("Return &Groups"), return_groups);
    update_ = check_box(group, 1039, QStringLiteral("&Update Allowed"), update_allowed);
    inner->addWidget(groups_);
    inner->addWidget(update_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(ok_cancel_buttons(this));
}

bool COptionsDlg::return_groups() const {
    return groups_->isChecked();
}
bool COptionsDlg::update_allowed() const {
    return update_->isChecked();
}

CPreferencesDlg::CPreferencesDlg(QWidget* parent) : QDialog(parent) {
    set_dialog_name(this, 128);
    setWindowTitle(QStringLiteral("Preferences"));
    const app::CAdminApp& a = app::admin_app();
    confirm_delete_ =
        check_box(this, 1165, QStringLiteral("&Confirm Configuration File Delete"), a.confirm_config_delete != 0);
    auto_save_ =
        check_box(this, 1166, QStringLiteral("&Automatically Save Configuration Files"), a.auto_save_config != 0);
    cobol_ = check_box(this, 1167, QStringLiteral("&New Tables from COBOL Source"), a.new_table_from_cobol != 0);
    sort_ = check_box(this, 1193, QStringLiteral("&Sort Datasets"), a.sort_datasets != 0);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* w : {confirm_delete_, auto_save_, cobol_, sort_}) layout->addWidget(w);
    layout->addWidget(ok_cancel_buttons(this));
}

void CPreferencesDlg::store() const {
    app::CAdminApp& a = app::admin_app();
    a.confirm_config_delete = confirm_delete_->isChecked() ? 1 : 0;
    a.auto_save_config = auto_save_->isChecked() ? 1 : 0;
    a.new_table_from_cobol = cobol_->isChecked() ? 1 : 0;
    a.sort_datasets = sort_->isChecked() ? 1 : 0;
}

CEnvironmentCommandDlg::CEnvironmentCommandDlg(configsvc::CConfigClient& client, QWidget* parent)
    : QDialog(parent), client_(client) {
    set_dialog_name(this, 129);
    setWindowTitle(QStringLiteral("Environment Command"));
    command_ = new QLineEdit(this);
    set_control_id(command_, 1167);
    limit_host_text(command_, kCommandMax);
    command_->setMinimumWidth(command_->fontMetrics().horizontalAdvance(QString(48, QLatin1Char('M'))));
    response_ = new QPlainTextEdit(this);
    set_control_id(response_, 1169);
    response_->setReadOnly(true);
    auto* form = new QFormLayout;
    auto* command_label = new QLabel(QStringLiteral("&Command"), this);
    command_label->setBuddy(command_);
    auto* response_label = new QLabel(QStringLiteral("&Response"), this);
    response_label->setBuddy(response_);
    form->addRow(command_label, command_);
    form->addRow(response_label, response_);

    auto* buttons = new QDialogButtonBox(this);
    auto* send_button = buttons->addButton(QStringLiteral("&Send"), QDialogButtonBox::ActionRole);
    auto* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    set_control_id(send_button, kOkId);
    set_control_id(cancel, kCancelId);
    send_button->setDefault(true);
    send_button->setAutoDefault(true);
    connect(send_button, &QPushButton::clicked, this, &CEnvironmentCommandDlg::send);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    // Opening clears the command.
    command_->clear();
    command_->setFocus(Qt::OtherFocusReason);
}

void CEnvironmentCommandDlg::send() {
    std::string reply;
    if (configsvc::send_environment_command(client_, to_host(command_->text()), reply) == 0) {
        response_->setPlainText(from_host(reply));
        command_->setFocus(Qt::OtherFocusReason);
        command_->selectAll();
        return;
    }
    client_.session().show_errors();
    response_->setPlainText(QStringLiteral("*** Error ***"));
}

void run_options_dialog(hostlink::CHostSession& session, QWidget* parent) {
    hostlink::CDefaultOptions& options = session.default_options();
    COptionsDlg dialog(options.return_groups, options.update_allowed, parent);
    if (seams().exec_dialog(dialog) != QDialog::Accepted) return;
    options.return_groups = dialog.return_groups();
    options.update_allowed = dialog.update_allowed();
    if (options.set(session) != 0) session.show_errors();
}

void run_preferences_dialog(QWidget* parent) {
    CPreferencesDlg dialog(parent);
    if (seams().exec_dialog(dialog) == QDialog::Accepted) dialog.store();
}

void run_environment_command(configsvc::CConfigClient& client, QWidget* parent) {
    CEnvironmentCommandDlg dialog(client, parent);
    seams().exec_dialog(dialog);
}

}  // namespace kestra::ui
