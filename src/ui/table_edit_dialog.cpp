#include "ui/table_edit_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "configsvc/cobol_table_request.h"
#include "model/text_limits.h"
#include "ui/cobol_table_dialog.h"
#include "ui/field_list_panel.h"
#include "ui/host_text.h"
#include "ui/object_names.h"
#include "ui/replace_dialog.h"
#include "ui/table_info_dialog.h"
#include "ui/ui_seams.h"
#include "ui/where_condition_dialog.h"

namespace kestra::ui {

namespace {

constexpr int kTemplate = 1021;
constexpr int kNameId = 1022;
constexpr int kReturnGroupsId = 1033;
constexpr int kUpdateAllowedId = 1032;
constexpr int kMessageId = 1062;
const QString kDialog = QStringLiteral("TableEdit");

}  // namespace

CTableEditDlg::CTableEditDlg(workspace::CTableEditModel& edit, const model::CConfigFile& file, QWidget* parent)
    : QDialog(parent), edit_(edit), name_(new QLineEdit(this)),
      return_groups_(new QCheckBox(QStringLiteral("Return &Groups"), this)),
      update_allowed_(new QCheckBox(QStringLiteral("&Update Allowed"), this)), fields_(new CFieldListPanel(this)),
      message_(new QLabel(this)) {
    set_dialog_name(this, kTemplate);
    setWindowTitle(QStringLiteral("Table Edit"));
    set_control_id(name_, kNameId);
    set_control_id(return_groups_, kReturnGroupsId);
    set_control_id(update_allowed_, kUpdateAllowedId);
    set_control_id(message_, kMessageId);
    // The loaded name is kept whole however long; typing adds at most what a name may have.
    name_->setText(from_host(edit.name));
    limit_host_text(name_, model::kTableNameMax, true);
    return_groups_->setChecked(edit.return_groups());
    update_allowed_->setChecked(edit.update_allowed);
    fields_->set_table(&edit.table(), &file);
    fields_->set_show_update_allowed(edit.update_allowed);

    auto* name_label = new QLabel(QStringLiteral("Table Na&me:"), this);
    name_label->setBuddy(name_);
    auto* fields_label = new QLabel(QStringLiteral("&Fields:"), this);
    fields_label->setBuddy(fields_);
    message_->setTextFormat(Qt::PlainText);
    message_->setMinimumHeight(message_->fontMetrics().height());

    auto* top = new QGridLayout;
    top->addWidget(name_label, 0, 0);
    top->addWidget(name_, 0, 1);
    auto* flags = new QHBoxLayout;
    flags->addWidget(return_groups_);
    flags->addWidget(update_allowed_);
    flags->addStretch();
    top->addLayout(flags, 1, 1);

    auto* side = new QVBoxLayout;
    auto button = [this, side](const QString& role, const QString& caption, void (CTableEditDlg::*slot)()) {
        auto* b = new QPushButton(caption, this);
        set_control_role(b, kDialog, role);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        side->addWidget(b);
        return b;
    };
    button(QStringLiteral("Replace"), QStringLiteral("&Replace"), &CTableEditDlg::replace);
    button(QStringLiteral("AddWhere"), QStringLiteral("Add &Where"), &CTableEditDlg::add_where);
    button(QStringLiteral("Info"), QStringLiteral("&Info"), &CTableEditDlg::info);
    side->addStretch();

    auto* middle = new QHBoxLayout;
    // The panel keeps its own preferred size; the dialog grows around it.
    middle->addWidget(fields_, 1);
    middle->addLayout(side);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(fields_label);
    layout->addLayout(middle, 1);
    layout->addWidget(message_);
    layout->addWidget(ok_cancel_buttons(this));

    connect(return_groups_, &QCheckBox::toggled, this, [this](bool on) {
        edit_.set_return_groups(on);
        fields_->refresh();
    });
    connect(update_allowed_, &QCheckBox::toggled, this, [this](bool on) {
        edit_.update_allowed = on;
        fields_->set_show_update_allowed(on);
    });
    name_->setFocus(Qt::OtherFocusReason);
}

void CTableEditDlg::replace() {
    CReplaceDlg dialog(this);
    if (seams().exec_dialog(dialog) != QDialog::Accepted) return;
    const workspace::ReplaceResult result = edit_.replace(dialog.from(), dialog.to());
    // Names that could not take the new text stay; the beep says some did not change.
    if (result.kept != 0) seams().beep();
    if (result.renamed != 0) {
        fields_->refresh();
        emit fields_->fields_changed();
    }
}

void CTableEditDlg::add_where() {
    CWhereConditionDlg dialog(edit_.where(), this);
    if (seams().exec_dialog(dialog) != QDialog::Accepted) return;
    edit_.set_where(dialog.where());
}

void CTableEditDlg::info() {
    const model::CConfigTable& table = edit_.table();
    if (configsvc::is_cobol_table(table)) {
        CCobolTableDlg dialog(table, this);
        seams().exec_dialog(dialog);
        return;
    }
    CTableInfoDlg dialog(table, this);
    seams().exec_dialog(dialog);
}

void CTableEditDlg::accept() {
    edit_.name = to_host(name_->text());
    if (const char* problem = edit_.ok()) {
        name_->setText(from_host(edit_.name));
        refuse_field(name_, message_, QString::fromLatin1(problem));
        return;
    }
    message_->clear();
    QDialog::accept();
}

}  // namespace kestra::ui
