#include "ui/user_defined_field_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

#include "expr/calc_checker.h"
#include "model/text_limits.h"
#include "ui/calc_builder_dialog.h"
#include "ui/field_format_box.h"
#include "ui/host_text.h"
#include "ui/object_names.h"
#include "ui/radio_tab_stop.h"
#include "ui/ui_seams.h"

namespace kestra::ui {

namespace {

using workspace::CalcType;
using workspace::OffsetType;
using Form = workspace::UserDefinedFieldForm;

constexpr int kTemplate = 1025;
constexpr int kUpdateId = 1077;
constexpr int kMessageId = 1147;
constexpr std::array<int, 6> kFormatIds = {1036, 1037, 1038, 1039, 1041, 1060};
constexpr int kOffsetOriginId = 1035;
constexpr int kCalcOriginId = 1034;
constexpr int kOffsetTypeId = 1141;
constexpr int kStringId = 1126;
constexpr int kNumericId = 1127;
constexpr int kBooleanId = 1124;
constexpr int kUpId = 1072;
constexpr int kDownId = 1073;
constexpr int kSignedId = 1130;
constexpr int kAssistantId = 1151;
constexpr int kCharsId = 1133;
constexpr int kDigitsId = 1132;
constexpr int kStartId = 1134;
constexpr int kEndId = 1135;
constexpr int kBaseId = 1057;

// A number box: digits only, one more than the largest value so a value over it can be typed and refused at OK.
QLineEdit* number_edit(QWidget* parent, int id, std::int32_t value, int digits) {
    auto* edit = new QLineEdit(QString::number(value), parent);
    set_control_id(edit, id);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,%1}").arg(digits)), edit));
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString(digits + 1, QLatin1Char('0'))) + 12);
    return edit;
}

// -1 for an empty box, which every range refuses.
std::int32_t number_of(const QLineEdit* edit) {
    bool ok = false;
    const int value = edit->text().toInt(&ok);
    return ok ? value : -1;
}

QRadioButton* radio(const QString& caption, int id, QWidget* parent) {
    auto* button = new QRadioButton(caption, parent);
    set_control_id(button, id);
    return button;
}

}  // namespace

CUserDefinedFieldDlg::CUserDefinedFieldDlg(model::CConfigTable& table, model::CConfigField* field, QWidget* parent)
    : QDialog(parent), table_(table), field_(field) {
    set_dialog_name(this, kTemplate);
    if (field == nullptr)
        form_.load_new();
    else
        form_.load(*field);
    setWindowTitle(from_host(form_.title()));

    // Name, Update Allowed and the message line.
    name_ = new QLineEdit(this);
    set_control_id(name_, Form::kName);
    limit_host_text(name_, model::kFieldNameMax);
    name_->setText(from_host(form_.name));
    auto* name_label = new QLabel(QStringLiteral("Name"), this);
    name_label->setBuddy(name_);
    update_ = new QCheckBox(QStringLiteral("Update Allowed"), this);
    set_control_id(update_, kUpdateId);
    update_->setChecked(form_.update_allowed);
    message_ = new QLabel(this);
    set_control_id(message_, kMessageId);

    format_ = new CFieldFormatBox(kFormatIds, form_.format, this);

    // Origin: fixed once the field exists.
    auto* origin = new QGroupBox(QStringLiteral("Origin"), this);
    offset_origin_ = radio(QStringLiteral("Offset"), kOffsetOriginId, origin);
    calc_origin_ = radio(QStringLiteral("Calculated"), kCalcOriginId, origin);
    (form_.calculated ? calc_origin_ : offset_origin_)->setChecked(true);
    offset_origin_->setEnabled(form_.is_new());
    calc_origin_->setEnabled(form_.is_new());
    auto* origin_layout = new QVBoxLayout(origin);
    origin_layout->addWidget(offset_origin_);
    origin_layout->addWidget(calc_origin_);
    origin_layout->addStretch(1);

    // Data type: the drop-down of an offset field or the three buttons of a calculated one.
    auto* type_box = new QGroupBox(QStringLiteral("Data Type"), this);
    offset_type_ = new QComboBox(type_box);
    set_control_id(offset_type_, kOffsetTypeId);
    offset_type_->setAccessibleName(QStringLiteral("Data Type"));
    for (const char* entry : {"ALPHA", "PACKED", "UNPACKED", "REAL", "BOOLEAN", "FIELD"})
        offset_type_->addItem(QString::fromLatin1(entry));
    offset_type_->setCurrentIndex(static_cast<int>(form_.offset_type));
    calc_type_row_ = new QWidget(type_box);
    calc_types_ = new QButtonGroup(this);
    auto* calc_row = new QHBoxLayout(calc_type_row_);
    calc_row->setContentsMargins(0, 0, 0, 0);
    for (const auto& [caption, id, type] :
         {std::tuple{"String", kStringId, CalcType::string}, std::tuple{"Numeric", kNumericId, CalcType::numeric},
          std::tuple{"Boolean", kBooleanId, CalcType::boolean}}) {
        QRadioButton* button = radio(QString::fromLatin1(caption), id, calc_type_row_);
        calc_types_->addButton(button, static_cast<int>(type));
        calc_row->addWidget(button);
    }
    calc_types_->button(static_cast<int>(form_.calc_type))->setChecked(true);
    tab_stop_on_checked(calc_types_);
    auto* type_layout = new QVBoxLayout(type_box);
    type_layout->addWidget(offset_type_);
    type_layout->addWidget(calc_type_row_);

    // Size.
    auto* size_box = new QGroupBox(QStringLiteral("Size"), this);
    length_ = number_edit(size_box, Form::kLength, form_.length, 5);
    length_label_ = new QLabel(QStringLiteral("Length"), size_box);
    length_label_->setBuddy(length_);
    decimals_ = number_edit(size_box, Form::kDecimals, form_.decimals, 3);
    decimals_label_ = new QLabel(QStringLiteral("Decimals"), size_box);
    decimals_label_->setBuddy(decimals_);
    decimals_up_ = new QToolButton(size_box);
    set_control_id(decimals_up_, kUpId);
    decimals_up_->setArrowType(Qt::UpArrow);
    decimals_up_->setAccessibleName(QStringLiteral("More decimals"));
    decimals_down_ = new QToolButton(size_box);
    set_control_id(decimals_down_, kDownId);
    decimals_down_->setArrowType(Qt::DownArrow);
    decimals_down_->setAccessibleName(QStringLiteral("Fewer decimals"));
    signed_ = new QCheckBox(QStringLiteral("Signed"), size_box);
    set_control_id(signed_, kSignedId);
    signed_->setChecked(form_.is_signed);
    bit_row_ = new QWidget(size_box);
    bits_ = new QButtonGroup(this);
    auto* bit_layout = new QHBoxLayout(bit_row_);
    bit_layout->setContentsMargins(0, 0, 0, 0);
    bit_layout->addWidget(new QLabel(QStringLiteral("Bit"), bit_row_));
    for (const auto& [bit, id] : {std::pair{3, 1145}, std::pair{2, 1144}, std::pair{1, 1142}, std::pair{0, 1143}}) {
        QRadioButton* button = radio(QString::number(bit), id, bit_row_);
        bits_->addButton(button, bit);
        bit_layout->addWidget(button);
    }
    tab_stop_on_checked(bits_);
    bit_layout->addStretch(1);
    auto* size_layout = new QGridLayout(size_box);
    size_layout->addWidget(length_label_, 0, 0);
    size_layout->addWidget(length_, 0, 1);
    size_layout->addWidget(decimals_label_, 1, 0);
    size_layout->addWidget(decimals_, 1, 1);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    arrows->addWidget(decimals_up_);
    arrows->addWidget(decimals_down_);
    size_layout->addLayout(arrows, 1, 2);
    size_layout->addWidget(signed_, 2, 0, 1, 3);
    size_layout->addWidget(bit_row_, 3, 0, 1, 3);
    size_layout->setColumnStretch(3, 1);
    size_layout->setRowStretch(4, 1);

    // Definition: the calculation, or the place in the record.
    auto* definition_box = new QGroupBox(QStringLiteral("Definition"), this);
    calc_definition_ = new QWidget(definition_box);
    definition_ = new QLineEdit(calc_definition_);
    set_control_id(definition_, Form::kDefinition);
    definition_->setAccessibleName(QStringLiteral("Definition"));
    // A definition loaded from the host is kept whole; typing may not lengthen it beyond what may be typed.
    limit_host_text(definition_, model::kExpressionMax);
    definition_->setText(from_host(form_.definition));
    assistant_ = new QPushButton(QStringLiteral("Assistant"), calc_definition_);
    set_control_id(assistant_, kAssistantId);
    auto* calc_layout = new QHBoxLayout(calc_definition_);
    calc_layout->setContentsMargins(0, 0, 0, 0);
    calc_layout->addWidget(definition_, 1);
    calc_layout->addWidget(assistant_);

    offset_definition_ = new QWidget(definition_box);
    offset_ = number_edit(offset_definition_, Form::kOffset, form_.offset_value, 5);
    auto* offset_label = new QLabel(QStringLiteral("Offset"), offset_definition_);
    offset_label->setBuddy(offset_);
    auto* unit_box = new QWidget(offset_definition_);
    chars_ = radio(QStringLiteral("Chars"), kCharsId, unit_box);
    digits_ = radio(QStringLiteral("Digits"), kDigitsId, unit_box);
    (form_.in_characters ? chars_ : digits_)->setChecked(true);
    auto* unit_layout = new QVBoxLayout(unit_box);
    unit_layout->setContentsMargins(0, 0, 0, 0);
    unit_layout->addWidget(chars_);
    unit_layout->addWidget(digits_);
    auto* from_box = new QWidget(offset_definition_);
    start_ = radio(QStringLiteral("Start"), kStartId, from_box);
    end_ = radio(QStringLiteral("End"), kEndId, from_box);
    (form_.from_start ? start_ : end_)->setChecked(true);
    auto* from_layout = new QVBoxLayout(from_box);
    from_layout->setContentsMargins(0, 0, 0, 0);
    from_layout->addWidget(start_);
    from_layout->addWidget(end_);
    base_ = new QComboBox(offset_definition_);
    set_control_id(base_, kBaseId);
    for (const std::string& choice : form_.base_choices(table)) base_->addItem(from_host(choice));
    int base_row = 0;
    if (!form_.base.empty() && form_.base != Form::kBuffer) {
        base_row = base_->findText(from_host(form_.base), Qt::MatchFixedString);
        // A base the list no longer offers is kept as it was.
        if (base_row < 0) {
            base_->addItem(from_host(form_.base));
            base_row = base_->count() - 1;
        }
    }
    base_->setCurrentIndex(base_row);
    auto* of_label = new QLabel(QStringLiteral("of"), offset_definition_);
    of_label->setBuddy(base_);
    auto* offset_layout = new QGridLayout(offset_definition_);
    offset_layout->setContentsMargins(0, 0, 0, 0);
    offset_layout->addWidget(offset_label, 0, 0);
    offset_layout->addWidget(offset_, 0, 1);
    offset_layout->addWidget(unit_box, 0, 2);
    offset_layout->addWidget(new QLabel(QStringLiteral("From"), offset_definition_), 0, 3);
    offset_layout->addWidget(from_box, 0, 4);
    offset_layout->addWidget(of_label, 0, 5);
    offset_layout->addWidget(base_, 0, 6);
    offset_layout->setColumnStretch(6, 1);
    auto* definition_layout = new QVBoxLayout(definition_box);
    definition_layout->addWidget(calc_definition_);
    definition_layout->addWidget(offset_definition_);

    auto* head = new QGridLayout;
    head->addWidget(name_label, 0, 0);
    head->addWidget(name_, 0, 1);
    head->addWidget(update_, 0, 2);
    head->addWidget(message_, 1, 1, 1, 2);
    head->setColumnStretch(1, 1);
    auto* middle = new QGridLayout;
    middle->addWidget(format_, 0, 0, 2, 1);
    middle->addWidget(origin, 0, 1);
    middle->addWidget(type_box, 1, 1);
    middle->addWidget(size_box, 0, 2, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addLayout(middle);
    layout->addWidget(definition_box);
    layout->addWidget(ok_cancel_buttons(this));

    connect(offset_origin_, &QRadioButton::toggled, this, [this](bool on) { origin_chosen(!on); });
    connect(offset_type_, &QComboBox::activated, this, &CUserDefinedFieldDlg::offset_type_chosen);
    connect(calc_types_, &QButtonGroup::idClicked, this, &CUserDefinedFieldDlg::calc_type_chosen);
    connect(length_, &QLineEdit::textEdited, this, &CUserDefinedFieldDlg::length_edited);
    connect(decimals_, &QLineEdit::textEdited, this, &CUserDefinedFieldDlg::decimals_edited);
    connect(decimals_up_, &QToolButton::clicked, this, [this] { step_decimals(+1); });
    connect(decimals_down_, &QToolButton::clicked, this, [this] { step_decimals(-1); });
    connect(signed_, &QCheckBox::toggled, this, [this](bool on) { form_.set_signed(on); });
    connect(bits_, &QButtonGroup::idClicked, this, [this](int bit) {
        form_.set_bit(bit);
        refresh();
    });
    connect(assistant_, &QPushButton::clicked, this, &CUserDefinedFieldDlg::open_assistant);
    refresh();
    name_->setFocus(Qt::OtherFocusReason);
}

void CUserDefinedFieldDlg::origin_chosen(bool calculated) {
    form_.calculated = calculated;
    refresh();
}

void CUserDefinedFieldDlg::offset_type_chosen(int index) {
    form_.set_offset_type(static_cast<OffsetType>(index));
    refresh();
}

void CUserDefinedFieldDlg::calc_type_chosen(int type) {
    form_.set_calc_type(static_cast<CalcType>(type));
    refresh();
}

void CUserDefinedFieldDlg::length_edited(const QString&) {
    // An emptied box is still being typed into: the decimals wait for a number.
    const std::int32_t value = number_of(length_);
    if (value < 0) return;
    form_.set_length(value);
    refresh();
}

void CUserDefinedFieldDlg::decimals_edited(const QString&) {
    const std::int32_t value = number_of(decimals_);
    if (value >= 0) form_.set_decimals(value);
}

void CUserDefinedFieldDlg::step_decimals(int step) {
    take_values();
    form_.step_decimals(step);
    refresh();
}

void CUserDefinedFieldDlg::open_assistant() {
    std::vector<expr::CalcField> fields;
    for (const auto& f : table_.fields) fields.push_back({f->name.str(), expr::calc_field_kind(f->data_type_code)});
    CCalcBuilderDlg builder(std::move(fields), form_.assistant_kind(), to_host(definition_->text()), this);
    if (seams().exec_dialog(builder) != QDialog::Accepted) return;
    definition_->setText(from_host(builder.definition()));
}

void CUserDefinedFieldDlg::refresh() {
    const workspace::SizeControls size = form_.size_controls();
    offset_type_->setVisible(!form_.calculated);
    calc_type_row_->setVisible(form_.calculated);
    length_label_->setText(size.bit_length_label ? QStringLiteral("Bit Length") : QStringLiteral("Length"));
    length_label_->setVisible(size.length);
    length_->setVisible(size.length);
    for (QWidget* w : std::initializer_list<QWidget*>{decimals_label_, decimals_, decimals_up_, decimals_down_})
        w->setVisible(size.decimals);
    signed_->setVisible(size.signed_box);
    bit_row_->setVisible(size.bit);
    calc_definition_->setVisible(form_.calculated);
    offset_definition_->setVisible(!form_.calculated);

    if (number_of(decimals_) != form_.decimals) decimals_->setText(QString::number(form_.decimals));
    if (number_of(length_) >= 0 && number_of(length_) != form_.length) length_->setText(QString::number(form_.length));
    if (QAbstractButton* bit = bits_->button(form_.length); bit != nullptr && size.bit) {
        bit->setChecked(true);
    } else {
        bits_->setExclusive(false);
        for (QAbstractButton* b : bits_->buttons()) b->setChecked(false);
        bits_->setExclusive(true);
    }
}

void CUserDefinedFieldDlg::take_values() {
    form_.name = to_host(name_->text());
    form_.update_allowed = update_->isChecked();
    if (form_.size_controls().length) form_.set_length(number_of(length_));
    if (form_.size_controls().decimals) form_.set_decimals(number_of(decimals_));
    form_.definition = to_host(definition_->text());
    form_.offset_value = number_of(offset_);
    form_.in_characters = chars_->isChecked();
    form_.from_start = start_->isChecked();
    form_.base = base_->currentIndex() <= 0 ? std::string() : to_host(base_->currentText());
}

void CUserDefinedFieldDlg::accept() {
    take_values();
    if (const auto refusal = form_.validate(table_)) {
        refuse_field(find_control(this, refusal->control), message_, from_host(refusal->message));
        return;
    }
    if (field_ == nullptr)
        new_field_ = form_.make_field(table_);
    else
        form_.store(table_, *field_);
    QDialog::accept();
}

}  // namespace kestra::ui
