#pragma once

#include <QDialog>

#include "expr/expression_edit_logic.h"

class QLabel;

namespace kestra::ui {

class HostPlainTextEdit;

// "Edit Expression" / "Edit Search Condition": one text that the caller's parser checks on OK. A refused text
// shows the parser's message, and the dialog stays with the text from the error on selected.
class CExpressionEditDlg : public QDialog {
    Q_OBJECT

public:
    // The longest text typed into the box.
    static constexpr std::size_t kMaxLength = 999;

    CExpressionEditDlg(expr::CExpressionParser& parser, QWidget* parent = nullptr);

    // After OK, the text the parser accepted (upper-cased as it keeps it).
    QString text() const;

    void accept() override;

private:
    expr::CExpressionParser& parser_;
    expr::ExpressionEditLogic logic_;
    QLabel* label_;
    HostPlainTextEdit* edit_;
};

}  // namespace kestra::ui
