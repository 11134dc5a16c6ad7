#include "ui/where_condition_dialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/host_plain_text_edit.h"
#include "ui/host_text.h"
#include "ui/object_names.h"
#include "ui/ui_seams.h"

namespace kestra::ui {

namespace {

using Logic = expr::WhereConditionLogic;

constexpr int kTemplate = 116;
constexpr int kEditId = 1112;
constexpr int kValueLabelId = 1159;
constexpr int kValueId = 1008;
constexpr int kFunctionListId = 1025;
constexpr int kFunctionLabelId = 1034;
constexpr int kInsertListId = 1026;
constexpr int kHelpId = 1043;
constexpr int kAddId = 1017;

struct ButtonDef {
    Logic::Button button;
    int id;
    const char* caption;
};
// In rows as they stand in the dialog: grouping, logic, arithmetic, comparison.
constexpr ButtonDef kButtons[] = {
    {Logic::kOpenParen, 1036, "("},     {Logic::kCloseParen, 1037, ")"}, {Logic::kComma, 1160, ","},
    {Logic::kAnd, 1038, "AND"},         {Logic::kOr, 1039, "OR"},        {Logic::kNot, 1042, "NOT"},
    {Logic::kPlus, 1040, "+"},          {Logic::kMinus, 1041, "-"},      {Logic::kTimes, 1050, "*"},
    {Logic::kDivide, 1051, "/"},        {Logic::kConcat, 1161, "&&"},    {Logic::kEqual, 1044, "="},
    {Logic::kNotEqual, 1045, "<>"},     {Logic::kGreater, 1046, ">"},    {Logic::kLess, 1047, "<"},
    {Logic::kGreaterEqual, 1048, ">="}, {Logic::kLessEqual, 1049, "<="},
};
constexpr int kButtonsPerRow = 6;

}  // namespace

CWhereConditionDlg::CWhereConditionDlg(const std::string& where, QWidget* parent) : QDialog(parent), logic_(where) {
    set_dialog_name(this, kTemplate);
    setWindowTitle(QStringLiteral("Table Where Condition"));

    // No limit while typing: a paste is never cut; OK refuses what the table cannot hold.
    edit_ = new HostPlainTextEdit(0, this);
    set_control_id(edit_, kEditId);
    edit_->setPlainText(from_host(where));
    edit_->setMinimumSize(edit_->fontMetrics().horizontalAdvance(QString(56, QLatin1Char('x'))),
                          edit_->fontMetrics().lineSpacing() * 5);
    edit_->installEventFilter(this);
    auto* edit_label = new QLabel(QStringLiteral("&Where Condition"), this);
    edit_label->setBuddy(edit_);
    connect(edit_, &QPlainTextEdit::textChanged, this, [this] {
        // Emptying the box resets at once; other typing waits for the focus to leave.
        logic_.SetText(to_host(edit_->toPlainText()), false);
        refresh();
    });

    auto* grid = new QGridLayout;
    int at = 0;
    for (const ButtonDef& def : kButtons) {
        auto* b = new QPushButton(QString::fromLatin1(def.caption), this);
        set_control_id(b, def.id);
        b->setAutoDefault(false);
        buttons_[static_cast<std::size_t>(def.button)] = b;
        grid->addWidget(b, at / kButtonsPerRow, at % kButtonsPerRow);
        ++at;
        const Logic::Button which = def.button;
        connect(b, &QPushButton::clicked, this, [this, which] { press(which); });
    }

    // The guided mode: laid out, never offered.
    auto* insert_list = new QListWidget(this);
    set_control_id(insert_list, kInsertListId);
    auto* insert_label = new QLabel(QStringLiteral("&Insert"), this);
    set_buddy(insert_label, insert_list);
    auto* function_list = new QListWidget(this);
    set_control_id(function_list, kFunctionListId);
    auto* function_label = new QLabel(QStringLiteral("F&unction"), this);
    set_control_id(function_label, kFunctionLabelId);
    set_buddy(function_label, function_list);
    auto* help = new QLabel(this);
    set_control_id(help, kHelpId);
    help->setFrameShape(QFrame::StyledPanel);
    help->setWordWrap(true);
    auto* value = new QLineEdit(this);
    set_control_id(value, kValueId);
    auto* value_label = new QLabel(QStringLiteral("&Value"), this);
    set_control_id(value_label, kValueLabelId);
    value_label->setBuddy(value);
    auto* add = new QPushButton(QStringLiteral("&Add"), this);
    set_control_id(add, kAddId);
    add->setAutoDefault(false);
    for (QWidget* w :
         {static_cast<QWidget*>(insert_list), static_cast<QWidget*>(insert_label), static_cast<QWidget*>(function_list),
          static_cast<QWidget*>(function_label), static_cast<QWidget*>(help), static_cast<QWidget*>(value),
          static_cast<QWidget*>(value_label), static_cast<QWidget*>(add)})
        w->setEnabled(false);
    const int list_height = fontMetrics().lineSpacing() * 5;
    const int list_width = fontMetrics().horizontalAdvance(QStringLiteral("TIMESTAMPADD")) + 40;
    insert_list->setMaximumHeight(list_height);
    function_list->setMaximumHeight(list_height);
    insert_list->setFixedWidth(list_width);
    function_list->setFixedWidth(list_width);
    help->setMinimumWidth(list_width);

    message_ = new QLabel(this);
    set_control_role(message_, QStringLiteral("WhereCondition"), QStringLiteral("Message"));
    message_->setWordWrap(true);

    auto* box = ok_cancel_buttons(this);

    auto* guided = new QGridLayout;
    guided->addWidget(insert_label, 0, 0);
    guided->addWidget(insert_list, 1, 0);
    guided->addWidget(function_label, 0, 1);
    guided->addWidget(function_list, 1, 1);
    guided->addWidget(help, 1, 2);
    guided->setColumnStretch(2, 1);
    guided->setRowStretch(1, 1);
    auto* value_row = new QHBoxLayout;
    value_row->addWidget(value_label);
    value_row->addWidget(value, 1);
    value_row->addWidget(add);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_label);
    layout->addWidget(edit_, 1);
    layout->addLayout(grid);
    layout->addLayout(guided);
    layout->addLayout(value_row);
    layout->addWidget(message_);
    layout->addWidget(box);

    refresh();
    edit_->setFocus(Qt::OtherFocusReason);
}

bool CWhereConditionDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::FocusOut) {
        logic_.SetText(to_host(edit_->toPlainText()), true);
        refresh();
    }
    return QDialog::eventFilter(watched, event);
}

void CWhereConditionDlg::press(Logic::Button button) {
    logic_.SetText(to_host(edit_->toPlainText()), false);
    logic_.Press(button);
    {
        const QSignalBlocker block(edit_);
        edit_->setPlainText(from_host(logic_.text()));
    }
    QTextCursor end = edit_->textCursor();
    end.movePosition(QTextCursor::End);
    edit_->setTextCursor(end);
    refresh();
}

void CWhereConditionDlg::refresh() {
    for (const ButtonDef& def : kButtons)
        buttons_[static_cast<std::size_t>(def.button)]->setEnabled(logic_.IsEnabled(def.button));
}

void CWhereConditionDlg::accept() {
    logic_.SetText(to_host(edit_->toPlainText()), true);
    refresh();
    std::string accepted;
    if (!logic_.Accept(accepted)) {
        message_->setText(from_host(logic_.message()));
        seams().beep();
        edit_->setFocus(Qt::OtherFocusReason);
        // The cursor where the table's room ends, the part beyond it selected.
        const auto room = static_cast<qsizetype>(expr::WhereConditionLogic::kMaxLength);
        edit_->select_range(room, edit_->document()->characterCount() - 1, room);
        return;
    }
    message_->clear();
    where_ = std::move(accepted);
    QDialog::accept();
}

}  // namespace kestra::ui
