#include "ui/field_edit_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "model/text_limits.h"
#include "ui/field_format_box.h"
#include "ui/host_text.h"
#include "ui/object_names.h"

namespace kestra::ui {

namespace {

constexpr int kFieldEditTemplate = 1023;
constexpr int kNameId = 1098;
constexpr int kMessageId = 1147;
constexpr int kHideId = 1029;
constexpr int kUpdateId = 1103;
constexpr std::array<int, 6> kFormatIds = {1099, 1100, 1101, 1105, 1104, 1102};

constexpr int kRenameTemplate = 1026;
constexpr int kRenameNameId = 1111;
constexpr int kRenameMessageId = 1164;

QLabel* message_line(QWidget* parent, int id) {
    auto* label = new QLabel(parent);
    set_control_id(label, id);
    // Room for the longest message, so the dialog does not jump when one appears.
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("**You must enter a field name**")));
    return label;
}

QLineEdit* name_edit(QWidget* parent, int id, const model::CConfigField& field, bool upper) {
    auto* edit = new QLineEdit(parent);
    set_control_id(edit, id);
    // A name loaded from the host may be longer than may be typed: no maximum on the box, the check is at OK.
    limit_host_text(edit, model::kFieldNameMax, upper);
    edit->setText(from_host(field.name.view()));
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(30, QLatin1Char('M'))));
    return edit;
}

}  // namespace

CFieldEditDlg::CFieldEditDlg(model::CConfigTable& table, model::CConfigField& field, QWidget* parent)
    : QDialog(parent), table_(table), field_(field) {
    set_dialog_name(this, kFieldEditTemplate);
    setWindowTitle(QStringLiteral("Field Edit"));
    form_.load(field);

    name_ = name_edit(this, kNameId, field, true);
    auto* name_label = new QLabel(QStringLiteral("Name"), this);
    name_label->setBuddy(name_);
    message_ = message_line(this, kMessageId);
    hide_ = new QCheckBox(QStringLiteral("Hide"), this);
    set_control_id(hide_, kHideId);
    hide_->setChecked(form_.hidden);
    update_ = new QCheckBox(QStringLiteral("Update Allowed"), this);
    set_control_id(update_, kUpdateId);
    update_->setChecked(form_.update_allowed);
    format_ = new CFieldFormatBox(kFormatIds, form_.format, this);

    auto* top = new QGridLayout;
    top->addWidget(name_label, 0, 0);
    top->addWidget(name_, 0, 1);
    top->addWidget(message_, 1, 1);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(hide_);
    boxes->addWidget(update_);
    boxes->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(boxes);
    layout->addWidget(format_);
    layout->addWidget(ok_cancel_buttons(this));
    name_->setFocus(Qt::OtherFocusReason);
}

void CFieldEditDlg::accept() {
    form_.name = to_host(name_->text());
    form_.hidden = hide_->isChecked();
    form_.update_allowed = update_->isChecked();
    if (const auto refusal = form_.apply(table_, field_)) {
        refuse_field(name_, message_, from_host(refusal->message));
        return;
    }
    QDialog::accept();
}

CRenameFieldDlg::CRenameFieldDlg(model::CConfigTable& table, model::CConfigField& field, QWidget* parent)
    : QDialog(parent), table_(table), field_(field) {
    set_dialog_name(this, kRenameTemplate);
    setWindowTitle(QStringLiteral("Rename Field"));
    name_ = name_edit(this, kRenameNameId, field, false);
    name_->selectAll();
    auto* label = new QLabel(QStringLiteral("&Name"), this);
    label->setBuddy(name_);
    message_ = message_line(this, kRenameMessageId);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(name_, 1);
    layout->addLayout(row);
    layout->addWidget(message_);
    layout->addWidget(ok_cancel_buttons(this));
    name_->setFocus(Qt::OtherFocusReason);
}

void CRenameFieldDlg::accept() {
    if (const auto refusal = workspace::rename_checked(table_, field_, to_host(name_->text()), kRenameNameId)) {
        refuse_field(name_, message_, from_host(refusal->message));
        return;
    }
    QDialog::accept();
}

}  // namespace kestra::ui
