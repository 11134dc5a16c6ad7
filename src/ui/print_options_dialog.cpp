#include "ui/print_options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/object_names.h"

namespace kestra::ui {

CPrintOptionsDlg::CPrintOptionsDlg(const report::PrintOptions& options, QWidget* parent)
    : QDialog(parent), options_(options) {
    set_dialog_name(this, kTemplateId);
    setWindowTitle(QStringLiteral("Print Options"));

    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("Please select the information to print"), this);
    set_control_role(heading, QStringLiteral("PrintOptions"), QStringLiteral("Heading"));
    layout->addWidget(heading);

    global_options_ = add_check(kGlobalOptionsId, QStringLiteral("Global Options"), options.global_options);
    limits_ = add_check(kLimitsId, QStringLiteral("Limits"), options.limits);
    applications_ = add_check(kApplicationsId, QStringLiteral("Applications"), options.applications);
    for (QCheckBox* box : {global_options_, limits_, applications_}) layout->addWidget(box);

    auto* tables = new QGroupBox(QStringLiteral("Tables"), this);
    set_control_role(tables, QStringLiteral("PrintOptions"), QStringLiteral("Tables"));
    auto* table_layout = new QVBoxLayout(tables);
    name_ = add_check(kNameId, QStringLiteral("Name"), options.names);
    detail_ = add_check(kDetailId, QStringLiteral("Detail"), options.detail);
    fields_ = add_check(kFieldsId, QStringLiteral("Fields"), options.fields);
    for (QCheckBox* box : {name_, detail_, fields_}) {
        box->setParent(tables);
        table_layout->addWidget(box);
    }
    layout->addWidget(tables);

    auto* buttons = ok_cancel_buttons(this);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    global_options_->setFocus(Qt::OtherFocusReason);
}

QCheckBox* CPrintOptionsDlg::add_check(int id, const QString& text, bool checked) {
    auto* box = new QCheckBox(text, this);
    set_control_id(box, id);
    box->setChecked(checked);
    return box;
}

void CPrintOptionsDlg::accept() {
    options_.global_options = global_options_->isChecked();
    options_.limits = limits_->isChecked();
    options_.applications = applications_->isChecked();
    options_.names = name_->isChecked();
    options_.detail = detail_->isChecked();
    options_.fields = fields_->isChecked();
    options_.confirm();
    name_->setChecked(options_.names);
    QDialog::accept();
}

}  // namespace kestra::ui
