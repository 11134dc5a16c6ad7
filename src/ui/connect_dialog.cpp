#include "ui/connect_dialog.h"

#include <QPushButton>

#include "hostlink/host_session.h"
#include "hostlink/password_scramble.h"
#include "ui/host_text.h"
#include "ui/object_names.h"
#include "ui_connect_dialog.h"

namespace kestra::ui {

using Focus = hostlink::ConnectDialogModel::Focus;

CConnectDlg::CConnectDlg(hostlink::CHostSession& session, const std::string& ini_path, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::ConnectDialog>()), model_(session, ini_path) {
    form_->setupUi(this);
    set_control_id(form_->buttons->button(QDialogButtonBox::Ok), kOkId);
    set_control_id(form_->buttons->button(QDialogButtonBox::Cancel), kCancelId);
    limit_host_text(form_->ctl_Connect_UserId, hostlink::kLoginFieldMax);
    limit_host_text(form_->ctl_Connect_Password, hostlink::kLoginFieldMax);
    limit_host_text(form_->ctl_Connect_Chargecode, hostlink::kLoginFieldMax);
    // Room for the longest value: 18 characters.
    const int width = fontMetrics().horizontalAdvance(QString(hostlink::kLoginFieldMax, QLatin1Char('M')));
    form_->ctl_Connect_UserId->setMinimumWidth(width);
    connect(form_->buttons, &QDialogButtonBox::accepted, this, &CConnectDlg::accept);
    connect(form_->buttons, &QDialogButtonBox::rejected, this, &CConnectDlg::reject);
    connect(form_->ctl_Connect_Configure, &QPushButton::clicked, this, &CConnectDlg::configure);

    model_.open();
    form_->ctl_Connect_UserId->setText(from_host(model_.user_id));
    form_->ctl_Connect_Chargecode->setText(from_host(model_.chargecode));
    for (const std::string& name : model_.providers()) form_->ctl_Connect_Provider->addItem(from_host(name));
    form_->ctl_Connect_Provider->setCurrentIndex(model_.selected_provider());
    fill_connections();
    connect(form_->ctl_Connect_Provider, &QComboBox::currentIndexChanged, this, &CConnectDlg::provider_changed);
    if (QWidget* first = focus_widget(model_.initial_focus())) first->setFocus(Qt::OtherFocusReason);
}

CConnectDlg::~CConnectDlg() = default;

QWidget* CConnectDlg::focus_widget(Focus focus) const {
    switch (focus) {
        case Focus::UserId:
            return form_->ctl_Connect_UserId;
        case Focus::Password:
            return form_->ctl_Connect_Password;
        case Focus::Provider:
            return form_->ctl_Connect_Provider;
        case Focus::None:
            break;
    }
    return nullptr;
}

void CConnectDlg::fill_connections() {
    QComboBox* list = form_->ctl_Connect_Connection;
    list->clear();
    for (const std::string& name : model_.connection_names()) list->addItem(from_host(name));
    // With no saved name the first connection is offered rather than none, which no provider can open.
    int selected = model_.selected_connection();
    if (selected < 0 && list->count() > 0) selected = 0;
    list->setCurrentIndex(selected);
    // Nothing to configure while no provider is held.
    form_->ctl_Connect_Configure->setEnabled(model_.configure_enabled());
}

void CConnectDlg::provider_changed(int index) {
    model_.select_provider(index);
    fill_connections();
}

void CConnectDlg::configure() {
    model_.configure(this);
    fill_connections();
}

void CConnectDlg::accept() {
    model_.user_id = to_host(form_->ctl_Connect_UserId->text());
    model_.password = to_host(form_->ctl_Connect_Password->text());
    model_.chargecode = to_host(form_->ctl_Connect_Chargecode->text());
    model_.select_connection(form_->ctl_Connect_Connection->currentIndex());
    const auto result = model_.ok();
    // The typed password is not kept beyond the scrambled copy the login needs.
    model_.password.assign(model_.password.size(), '\0');
    model_.password.clear();
    if (!result.accepted) {
        if (result.beep) refuse_field(focus_widget(result.focus));
        return;
    }
    QDialog::accept();
}

void CConnectDlg::reject() {
    model_.cancel();
    QDialog::reject();
}

}  // namespace kestra::ui
