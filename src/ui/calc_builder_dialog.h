#pragma once

#include <QDialog>
#include <array>
#include <string>
#include <vector>

#include "expr/calc_builder.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kestra::ui {

// "Calculation Builder": the definition of a calculated field built from lists and buttons. After every change the
// text is checked and the checker's state decides what is offered and whether OK is enabled. "Expression Syntax
// Error" is shown once for each text that has it, after the focus has moved, never while it moves.
class CCalcBuilderDlg : public QDialog {
    Q_OBJECT

public:
    // The longest definition typed into the box.
    static constexpr std::size_t kMaxLength = 255;

    // Opens on `definition` (the field's current one) and checks it at once without a box: an invalid definition
    // leaves OK off.
    CCalcBuilderDlg(std::vector<expr::CalcField> fields, int required_kind, const std::string& definition,
                    QWidget* parent = nullptr);

    // After OK: the definition to store.
    const std::string& definition() const { return definition_; }
    const expr::CalcBuilderLogic& logic() const { return logic_; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void text_left();
    void press(expr::CalcBuilderLogic::Button button);
    void category_chosen(int row);
    void function_chosen(int row);
    void add();
    // Hands the box's text to the logic when it differs, without a check.
    void take_text();
    // Draws what the logic holds, then the box or beep it asks for.
    void refresh();
    void report();

    expr::CalcBuilderLogic logic_;
    std::string definition_;
    // The last text a syntax error was shown (or the opening text, shown none) for.
    std::string reported_;
    bool box_queued_ = false;

    QLineEdit* text_;
    QListWidget* insert_list_;
    QListWidget* function_list_;
    QLabel* function_label_;
    QLabel* help_;
    QLabel* value_label_;
    QLineEdit* value_;
    QPushButton* add_;
    QPushButton* ok_;
    std::array<QPushButton*, expr::CalcBuilderLogic::kButtonCount> buttons_{};
};

}  // namespace kestra::ui
