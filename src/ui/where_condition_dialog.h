#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "expr/where_condition_logic.h"

class QLabel;
class QPushButton;

namespace kestra::ui {

class HostPlainTextEdit;

// "Table Where Condition": the condition is typed or built with operator buttons and kept as typed. The guided
// controls are there but stay disabled, as nothing checks a where condition while it is written.
class CWhereConditionDlg : public QDialog {
    Q_OBJECT

public:
    explicit CWhereConditionDlg(const std::string& where, QWidget* parent = nullptr);

    // After OK: the condition as typed.
    const std::string& where() const { return where_; }
    const expr::WhereConditionLogic& logic() const { return logic_; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void press(expr::WhereConditionLogic::Button button);
    void refresh();

    expr::WhereConditionLogic logic_;
    std::string where_;
    HostPlainTextEdit* edit_;
    QLabel* message_;
    std::array<QPushButton*, expr::WhereConditionLogic::kButtonCount> buttons_{};
};

}  // namespace kestra::ui
