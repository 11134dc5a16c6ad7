#include "ui/expression_edit_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui_hooks.h"
#include "ui/host_plain_text_edit.h"
#include "ui/host_text.h"
#include "ui/object_names.h"

namespace kestra::ui {

namespace {
constexpr int kTemplate = 157;
constexpr int kLabelId = 1192;
constexpr int kEditId = 1000;
}  // namespace

CExpressionEditDlg::CExpressionEditDlg(expr::CExpressionParser& parser, QWidget* parent)
    : QDialog(parent), parser_(parser), logic_(parser) {
    set_dialog_name(this, kTemplate);
    setWindowTitle(from_host(logic_.title()));

    label_ = new QLabel(from_host(logic_.label()), this);
    set_control_id(label_, kLabelId);
    edit_ = new HostPlainTextEdit(kMaxLength, this);
    set_control_id(edit_, kEditId);
    edit_->setPlainText(from_host(logic_.edit_text()));
    // Room for a few lines of a long condition without scrolling.
    edit_->setMinimumSize(edit_->fontMetrics().horizontalAdvance(QString(60, QLatin1Char('x'))),
                          edit_->fontMetrics().lineSpacing() * 6);
    label_->setBuddy(edit_);

    auto* buttons = ok_cancel_buttons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(edit_, 1);
    layout->addWidget(buttons);
    edit_->setFocus(Qt::OtherFocusReason);
}

QString CExpressionEditDlg::text() const {
    return from_host(parser_.GetText());
}

void CExpressionEditDlg::accept() {
    if (logic_.Save(to_host(edit_->toPlainText()))) {
        QDialog::accept();
        return;
    }
    app::message_box(logic_.message(), {}, app::MessageIcon::Warning, app::MessageButtons::Ok);
    edit_->setFocus(Qt::OtherFocusReason);
    edit_->select_range(static_cast<qsizetype>(logic_.selection_start()),
                        static_cast<qsizetype>(logic_.selection_end()),
                        static_cast<qsizetype>(logic_.selection_start()));
}

}  // namespace kestra::ui
