#include "ui/table_name_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "configsvc/table_selection_model.h"
#include "ui/host_text.h"
#include "ui/object_names.h"

namespace kestra::ui {

CTableNameDlg::CTableNameDlg(const std::string& message, const std::string& name, QWidget* parent) : QDialog(parent) {
    set_dialog_name(this, QStringLiteral("TableName"));
    setWindowTitle(QStringLiteral("Table Name"));
    message_ = new QLabel(from_host(message), this);
    set_control_role(message_, QStringLiteral("TableName"), QStringLiteral("Message"));
    edit_ = new QLineEdit(this);
    set_control_role(edit_, QStringLiteral("TableName"), QStringLiteral("Name"));
    // No maximum on the box itself: a proposed name over the limit must show whole beside its message.
    limit_host_text(edit_, configsvc::kMaxTableNameLength, true);
    edit_->setText(from_host(name));
    edit_->selectAll();
    edit_->setMinimumWidth(edit_->fontMetrics().horizontalAdvance(QString(32, QLatin1Char('M'))));
    auto* label = new QLabel(QStringLiteral("Table &Name"), this);
    label->setBuddy(edit_);

    auto* buttons = ok_cancel_buttons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message_);
    layout->addWidget(label);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
    edit_->setFocus(Qt::OtherFocusReason);
}

std::string CTableNameDlg::name() const {
    return to_host(edit_->text());
}

}  // namespace kestra::ui
