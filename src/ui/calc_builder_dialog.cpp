#include "ui/calc_builder_dialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ui_hooks.h"
#include "ui/host_text.h"
#include "ui/object_names.h"
#include "ui/ui_seams.h"

namespace kestra::ui {

namespace {

using Logic = expr::CalcBuilderLogic;

constexpr int kTemplate = 127;
constexpr int kTextId = 1020;
constexpr int kInsertListId = 1152;
constexpr int kFunctionListId = 1153;
constexpr int kHelpId = 1155;
constexpr int kValueId = 1154;
constexpr int kValueLabelId = 1018;
constexpr int kFunctionLabelId = 1158;
constexpr int kAddId = 1157;

struct ButtonDef {
    Logic::Button button;
    int id;
    const char* caption;
};
constexpr ButtonDef kButtons[] = {
    {Logic::kOpenParen, 1036, "("}, {Logic::kCloseParen, 1037, ")"}, {Logic::kPlus, 1038, "+"},
    {Logic::kMinus, 1039, "-"},     {Logic::kTimes, 1040, "*"},      {Logic::kDivide, 1041, "/"},
    {Logic::kNot, 1042, "NOT"},     {Logic::kComma, 1162, ","},      {Logic::kConcat, 1163, "&&"},
};

// Refills a list only when its entries changed, so the selection of a list that stays is kept.
void show_entries(QListWidget* list, const std::vector<std::string>& entries) {
    bool same = list->count() == static_cast<int>(entries.size());
    for (int i = 0; same && i < list->count(); ++i)
        same = list->item(i)->text() == from_host(entries[static_cast<std::size_t>(i)]);
    if (same) return;
    const QSignalBlocker block(list);
    list->clear();
    for (const std::string& e : entries) list->addItem(from_host(e));
}

}  // namespace

CCalcBuilderDlg::CCalcBuilderDlg(std::vector<expr::CalcField> fields, int required_kind, const std::string& definition,
                                 QWidget* parent)
    : QDialog(parent), logic_(std::move(fields), required_kind) {
    set_dialog_name(this, kTemplate);
    setWindowTitle(QStringLiteral("Calculation Builder"));

    text_ = new QLineEdit(this);
    set_control_id(text_, kTextId);
    limit_host_text(text_, kMaxLength);
    text_->installEventFilter(this);
    auto* text_label = new QLabel(QStringLiteral("&Calculation"), this);
    text_label->setBuddy(text_);

    insert_list_ = new QListWidget(this);
    set_control_id(insert_list_, kInsertListId);
    auto* insert_label = new QLabel(QStringLiteral("&Insert"), this);
    set_buddy(insert_label, insert_list_);

    function_list_ = new QListWidget(this);
    set_control_id(function_list_, kFunctionListId);
    function_label_ = new QLabel(QStringLiteral("F&unction"), this);
    set_control_id(function_label_, kFunctionLabelId);
    set_buddy(function_label_, function_list_);

    help_ = new QLabel(this);
    set_control_id(help_, kHelpId);
    help_->setWordWrap(true);
    help_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    help_->setFrameShape(QFrame::StyledPanel);
    help_->setMinimumWidth(fontMetrics().horizontalAdvance(QString(26, QLatin1Char('x'))));

    value_ = new QLineEdit(this);
    set_control_id(value_, kValueId);
    limit_host_text(value_, kMaxLength);
    value_->installEventFilter(this);
    value_label_ = new QLabel(QStringLiteral("&Value"), this);
    set_control_id(value_label_, kValueLabelId);
    value_label_->setBuddy(value_);
    add_ = new QPushButton(QStringLiteral("&Add"), this);
    set_control_id(add_, kAddId);
    add_->setAutoDefault(false);

    auto* operators = new QHBoxLayout;
    // Tab follows the rows as shown: the operators lie between the calculation and the lists.
    QWidget* previous = text_;
    for (const ButtonDef& def : kButtons) {
        auto* b = new QPushButton(QString::fromLatin1(def.caption), this);
        set_control_id(b, def.id);
        b->setAutoDefault(false);
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("NOT")) + 16);
        b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        buttons_[static_cast<std::size_t>(def.button)] = b;
        operators->addWidget(b);
        QWidget::setTabOrder(previous, b);
        previous = b;
        const Logic::Button which = def.button;
        connect(b, &QPushButton::clicked, this, [this, which] { press(which); });
    }

    auto* box = ok_cancel_buttons(this);
    ok_ = box->button(QDialogButtonBox::Ok);

    auto* lists = new QGridLayout;
    lists->addWidget(insert_label, 0, 0);
    lists->addWidget(insert_list_, 1, 0);
    lists->addWidget(function_label_, 0, 1);
    lists->addWidget(function_list_, 1, 1);
    lists->addWidget(help_, 1, 2);
    lists->setColumnStretch(1, 1);
    lists->setColumnStretch(2, 1);
    auto* value_row = new QHBoxLayout;
    value_row->addWidget(value_label_);
    value_row->addWidget(value_, 1);
    value_row->addWidget(add_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_label);
    layout->addWidget(text_);
    layout->addLayout(operators);
    layout->addLayout(lists, 1);
    layout->addLayout(value_row);
    layout->addWidget(box);
    const int list_width = fontMetrics().horizontalAdvance(QStringLiteral("TIMESTAMPADD")) + 40;
    insert_list_->setFixedWidth(list_width);
    function_list_->setMinimumWidth(list_width);
    // The lists' own size hints would make the window twice as wide as its contents need.
    resize(minimumSizeHint().width() + list_width, minimumSizeHint().height() + fontMetrics().lineSpacing() * 4);

    connect(insert_list_, &QListWidget::currentRowChanged, this, &CCalcBuilderDlg::category_chosen);
    connect(function_list_, &QListWidget::currentRowChanged, this, &CCalcBuilderDlg::function_chosen);
    connect(function_list_, &QListWidget::itemDoubleClicked, this, [this] { add(); });
    connect(add_, &QPushButton::clicked, this, &CCalcBuilderDlg::add);

    text_->setText(from_host(definition));
    logic_.SetText(definition, false);
    logic_.Open();
    // The definition the field already has is not this window's error to report.
    (void)logic_.TakeMessage();
    reported_ = definition;
    refresh();
    text_->setFocus(Qt::OtherFocusReason);
}

bool CCalcBuilderDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text_ && event->type() == QEvent::FocusOut) text_left();
    if (watched == value_ && event->type() == QEvent::KeyPress) {
        // Return in the value box adds the value rather than closing the dialog.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            add();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CCalcBuilderDlg::text_left() {
    logic_.SetText(to_host(text_->text()), true);
    refresh();
}

void CCalcBuilderDlg::take_text() {
    std::string typed = to_host(text_->text());
    if (typed != logic_.text()) logic_.SetText(std::move(typed), false);
}

void CCalcBuilderDlg::press(Logic::Button button) {
    take_text();
    logic_.Press(button);
    refresh();
}

void CCalcBuilderDlg::category_chosen(int row) {
    if (row < 0 || row >= insert_list_->count()) return;
    if (!logic_.ChooseCategory(to_host(insert_list_->item(row)->text()))) return;
    refresh();
    if (logic_.value_has_focus()) value_->setFocus(Qt::OtherFocusReason);
}

void CCalcBuilderDlg::function_chosen(int row) {
    logic_.SelectFunction(row);
    help_->setText(from_host(logic_.help_text()));
}

void CCalcBuilderDlg::add() {
    take_text();
    logic_.SetValue(to_host(value_->text()));
    logic_.SelectFunction(function_list_->currentRow());
    logic_.Add();
    refresh();
}

void CCalcBuilderDlg::refresh() {
    if (from_host(logic_.text()) != text_->text()) {
        text_->setText(from_host(logic_.text()));
        text_->setCursorPosition(static_cast<int>(text_->text().size()));
    }
    for (const ButtonDef& def : kButtons)
        buttons_[static_cast<std::size_t>(def.button)]->setEnabled(logic_.IsEnabled(def.button));
    show_entries(insert_list_, logic_.insert_list());
    show_entries(function_list_, logic_.function_list());
    {
        const QSignalBlocker block(function_list_);
        function_list_->setCurrentRow(logic_.selected_function());
    }
    if (!logic_.function_label().empty()) {
        function_label_->setText(from_host(logic_.function_label()));
        set_buddy(function_label_, function_list_);  // the list's name follows its label
    }
    function_list_->setEnabled(logic_.function_list_enabled());
    function_label_->setEnabled(logic_.function_list_enabled());
    value_->setEnabled(logic_.value_enabled());
    value_label_->setEnabled(logic_.value_enabled());
    help_->setText(from_host(logic_.help_text()));
    ok_->setEnabled(logic_.ok_enabled());
    if (logic_.TakeBeep()) seams().beep();
    report();
}

void CCalcBuilderDlg::report() {
    const std::string message = logic_.TakeMessage();
    if (message.empty() || logic_.text() == reported_) return;
    reported_ = logic_.text();
    if (box_queued_) return;
    box_queued_ = true;
    // Shown once the focus has settled: a box raised while the focus moves would take it from both controls.
    QTimer::singleShot(0, this, [this, message] {
        box_queued_ = false;
        app::message_box(message, {}, app::MessageIcon::Warning, app::MessageButtons::Ok);
    });
}

void CCalcBuilderDlg::accept() {
    take_text();
    logic_.SetText(logic_.text(), true);
    refresh();
    std::string definition;
    if (!logic_.Accept(definition)) {
        seams().beep();
        return;
    }
    definition_ = std::move(definition);
    QDialog::accept();
}

}  // namespace kestra::ui
