#include "ui/replace_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "model/text_limits.h"
#include "ui/host_text.h"
#include "ui/object_names.h"

namespace kestra::ui {

CReplaceDlg::CReplaceDlg(QWidget* parent) : QDialog(parent), from_(new QLineEdit(this)), to_(new QLineEdit(this)) {
    set_dialog_name(this, 1027);
    setWindowTitle(QStringLiteral("Replace"));
    set_control_id(from_, 1109);
    set_control_id(to_, 1110);
    // Field names are upper case; what is looked for is typed the same way.
    limit_host_text(from_, model::kFieldNameMax, true);
    limit_host_text(to_, model::kFieldNameMax, true);
    auto* form = new QFormLayout;
    auto* from_label = new QLabel(QStringLiteral("&Replace"), this);
    auto* to_label = new QLabel(QStringLiteral("&With"), this);
    from_label->setBuddy(from_);
    to_label->setBuddy(to_);
    form->addRow(from_label, from_);
    form->addRow(to_label, to_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(ok_cancel_buttons(this));
    from_->setMinimumWidth(from_->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 16);
}

std::string CReplaceDlg::from() const { return to_host(from_->text()); }

std::string CReplaceDlg::to() const { return to_host(to_->text()); }

}  // namespace kestra::ui
