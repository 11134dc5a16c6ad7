#include "ui/config_name_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/server_node.h"
#include "ui/host_text.h"
#include "ui/object_names.h"

namespace kestra::ui {

namespace {
constexpr int kNameId = 1000;
constexpr int kMessageId = 1107;
constexpr int kCurrentNameId = 1108;
}  // namespace

CConfigNameDlg::CConfigNameDlg(configsvc::NameUse use, const model::CServerNode& tree, std::string current,
                               QWidget* parent)
    : QDialog(parent), use_(use), tree_(tree), current_(std::move(current)), edit_(new QLineEdit(this)),
      message_(new QLabel(this)) {
    const bool rename = use == configsvc::NameUse::rename;
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    if (rename) {
        set_dialog_name(this, 101);
        setWindowTitle(QStringLiteral("Rename Configuration File Name"));
        auto* shown = new QLabel(from_host(current_), this);
        set_control_id(shown, kCurrentNameId);
        form->addRow(QStringLiteral("Current name:"), shown);
        set_control_role(edit_, QStringLiteral("RenameConfig"), QStringLiteral("Name"));
        edit_->setText(from_host(current_));
    } else {
        set_dialog_name(this, 102);
        setWindowTitle(QStringLiteral("Add Configuration File "));
        set_control_id(edit_, kNameId);
    }
    auto* label = new QLabel(QStringLiteral("&Name:"), this);
    label->setBuddy(edit_);
    form->addRow(label, edit_);
    edit_->setMinimumWidth(320);
    limit_host_text(edit_, kMaxName, true);
    layout->addLayout(form);
    set_control_id(message_, kMessageId);
    message_->setAccessibleName(QStringLiteral("Message"));
    layout->addWidget(message_);
    auto* buttons = ok_cancel_buttons(this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    layout->addWidget(buttons);
    auto enable = [this] { ok_->setEnabled(!edit_->text().trimmed().isEmpty()); };
    connect(edit_, &QLineEdit::textChanged, this, enable);
    enable();
    edit_->selectAll();
}

void CConfigNameDlg::accept() {
    std::string name = to_host(edit_->text());
    if (use_ == configsvc::NameUse::rename && configsvc::trim_config_file_name(name) == current_) {
        reject();
        return;
    }
    if (const char* problem = configsvc::check_config_file_name(name, tree_, use_)) {
        refuse_field(edit_, message_, QString::fromLatin1(problem));
        return;
    }
    name_ = std::move(name);
    QDialog::accept();
}

}  // namespace kestra::ui
