#include "ui/create_table_dialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/object_names.h"

namespace kestra::ui {

CCreateTableDlg::CCreateTableDlg(workspace::TableType initial, QWidget* parent)
    : QDialog(parent), normal_(new QRadioButton(QStringLiteral("&Normal"))),
      join_(new QRadioButton(QStringLiteral("&Join"))) {
    set_dialog_name(this, 146);
    setWindowTitle(QStringLiteral("Create Table"));
    set_control_id(normal_, 1024);
    set_control_id(join_, 1025);
    auto* group = new QGroupBox(QStringLiteral("Table Type"), this);
    auto* choices = new QVBoxLayout(group);
    choices->addWidget(normal_);
    choices->addWidget(join_);
    (initial == workspace::TableType::join ? join_ : normal_)->setChecked(true);
    // Wide enough that the caption shows whole in the title bar.
    group->setMinimumWidth(group->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 20);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(ok_cancel_buttons(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    (initial == workspace::TableType::join ? join_ : normal_)->setFocus(Qt::OtherFocusReason);
}

workspace::TableType CCreateTableDlg::choice() const {
    return join_->isChecked() ? workspace::TableType::join : workspace::TableType::normal;
}

}  // namespace kestra::ui
