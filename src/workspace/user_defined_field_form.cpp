#include "workspace/user_defined_field_form.h"

#include <algorithm>
#include <cctype>

#include "configsvc/table_field_names.h"
#include "model/data_type_catalogue.h"
#include "model/field_edits.h"
#include "model/text_limits.h"

namespace kestra::workspace {

using model::CConfigField;
using model::DataTypeCode;
using model::FieldKind;

namespace {

constexpr std::int32_t kCalcString = 22;
constexpr std::int32_t kCalcNumeric = 23;
constexpr std::int32_t kCalcBoolean = 24;

bool in(std::int32_t code, std::int32_t low, std::int32_t high) {
    return code >= low && code <= high;
}

std::string range_message(const char* format, int high) {
    std::string text(format);
    const std::size_t at = text.find("%d");
    if (at != std::string::npos) text.replace(at, 2, std::to_string(high));
    return text;
}

}  // namespace

void UserDefinedFieldForm::load_new() {
    *this = UserDefinedFieldForm{};
}

void UserDefinedFieldForm::load(const CConfigField& field) {
    *this = UserDefinedFieldForm{};
    editing_ = &field;
    name = field.name.str();
    original_name_ = name;
    update_allowed = field.update_allowed;
    format.load(field.date_kind, field.date_format);
    calculated = field.field_kind == FieldKind::calculated;
    original_code_ = field.data_type_code;
    length = field.length;
    decimals = field.decimals;
    if (calculated) {
        switch (field.data_type_code) {
            case kCalcString:
                calc_type = CalcType::string;
                break;
            case kCalcNumeric:
                calc_type = CalcType::numeric;
                break;
            case kCalcBoolean:
                calc_type = CalcType::boolean;
                break;
            default:
                // Older definitions may carry a record type: its text codes read as strings, the rest as numbers.
                calc_type = (field.data_type_code == DataTypeCode::group || field.data_type_code == DataTypeCode::alpha)
                                ? CalcType::string
                                : CalcType::numeric;
        }
        definition = field.expression.str();
        original_definition_ = definition;
    } else {
        offset_type = offset_type_for_code(field.data_type_code);
        is_signed = signed_for_code(field.data_type_code);
    }
    offset_value = field.offset_value;
    in_characters = field.offset_in_characters;
    from_start = field.offset_from_start;
    base = field.base_field.str();
}

std::string UserDefinedFieldForm::title() const {
    return std::string(is_new() ? "New " : "Edit ") + "User Defined Field";
}

OffsetType UserDefinedFieldForm::offset_type_for_code(std::int32_t code) {
    if (code == DataTypeCode::boolean) return OffsetType::boolean;
    if (code == DataTypeCode::field) return OffsetType::field;
    if (in(code, 5, 14) || in(code, 31, 35)) return OffsetType::packed;
    if (in(code, 15, 17)) return OffsetType::real;
    if (in(code, 18, 21) || in(code, 25, 30)) return OffsetType::unpacked;
    return OffsetType::alpha;
}

bool UserDefinedFieldForm::signed_for_code(std::int32_t code) {
    switch (code) {
        case 5:
        case 6:
        case 7:
        case 11:
        case 12:
        case 18:
        case 20:
        case 27:
        case 28:
            return true;
        default:
            return in(code, 30, 35);
    }
}

std::int32_t UserDefinedFieldForm::offset_code(OffsetType type, bool is_signed, std::int32_t decimals,
                                               std::int32_t length) {
    // Columns: length below 5, 5 to 9, 10 or more.
    const int column = length < 5 ? 0 : (length < 10 ? 1 : 2);
    const bool fraction = decimals > 0;
    static constexpr std::int32_t packed[2][2][3] = {{{8, 9, 10}, {13, 13, 14}}, {{5, 6, 7}, {11, 11, 12}}};
    static constexpr std::int32_t unpacked[2][2][3] = {{{25, 19, 26}, {21, 21, 29}}, {{27, 18, 28}, {20, 20, 30}}};
    switch (type) {
        case OffsetType::alpha:
            return DataTypeCode::alpha;
        case OffsetType::packed:
            return packed[is_signed][fraction][column];
        case OffsetType::unpacked:
            return unpacked[is_signed][fraction][column];
        case OffsetType::real:
            return fraction ? 16 : 15;
        case OffsetType::boolean:
            return DataTypeCode::boolean;
        case OffsetType::field:
            return DataTypeCode::field;
    }
    return DataTypeCode::alpha;
}

std::string UserDefinedFieldForm::upper_outside_quotes(std::string_view text) {
    std::string out(text);
    bool quoted = false;
    for (char& c : out) {
        if (c == '\'') quoted = !quoted;
        // ASCII letters only: the host's upper case knows no others.
        else if (!quoted && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

void UserDefinedFieldForm::set_offset_type(OffsetType type) {
    if (type == offset_type) return;
    offset_type = type;
    type_touched_ = true;
    if (type == OffsetType::boolean) length = std::clamp(length, 0, 3);
}

void UserDefinedFieldForm::set_calc_type(CalcType type) {
    if (type == calc_type) return;
    calc_type = type;
    type_touched_ = true;
}

void UserDefinedFieldForm::set_signed(bool on) {
    if (on == is_signed) return;
    is_signed = on;
    type_touched_ = true;
}

void UserDefinedFieldForm::set_length(std::int32_t value) {
    if (value == length) return;
    length = value;
    type_touched_ = true;
    if (decimals > length) decimals = std::max(length, 0);
}

void UserDefinedFieldForm::set_decimals(std::int32_t value) {
    if (value == decimals) return;
    decimals = value;
    type_touched_ = true;
}

void UserDefinedFieldForm::step_decimals(int step) {
    const std::int32_t high = std::clamp(length, 0, kDecimalsMax);
    set_decimals(std::clamp(decimals + step, 0, high));
}

void UserDefinedFieldForm::set_bit(std::int32_t bit) {
    if (offset_type != OffsetType::boolean) return;
    set_length(bit);
}

SizeControls UserDefinedFieldForm::size_controls() const {
    SizeControls s;
    if (calculated) {
        s.length = calc_type != CalcType::boolean;
        s.decimals = calc_type == CalcType::numeric;
        return s;
    }
    switch (offset_type) {
        case OffsetType::alpha:
            s.length = true;
            break;
        case OffsetType::packed:
        case OffsetType::unpacked:
            s.length = s.decimals = s.signed_box = true;
            break;
        case OffsetType::real:
            s.length = s.decimals = true;
            break;
        case OffsetType::boolean:
            s.bit = true;
            break;
        case OffsetType::field:
            s.length = s.bit_length_label = true;
            break;
    }
    return s;
}

std::vector<std::string> UserDefinedFieldForm::base_choices(const model::CConfigTable& table) const {
    std::vector<std::string> out{std::string(kBuffer)};
    for (const auto& f : table.fields)
        if (f.get() != editing_ && f->field_kind != FieldKind::calculated) out.push_back(f->name.str());
    return out;
}

std::int32_t UserDefinedFieldForm::data_type_code() const {
    if (!is_new() && !type_touched_) return original_code_;
    if (calculated) {
        switch (calc_type) {
            case CalcType::string:
                return kCalcString;
            case CalcType::numeric:
                return kCalcNumeric;
            case CalcType::boolean:
                return kCalcBoolean;
        }
    }
    return offset_code(offset_type, is_signed, decimals, length);
}

std::int64_t UserDefinedFieldForm::absolute_offset(const model::CConfigTable& table) const {
    const auto placed = [this](const CConfigField& f) {
        return &f != editing_ && f.field_kind != FieldKind::calculated;
    };
    const auto end_of = [](const CConfigField& f) {
        return static_cast<std::int64_t>(f.offset) + model::field_extent(f.data_type_code, f.length);
    };
    std::int64_t point = 0;
    if (base.empty() || base == kBuffer) {
        if (!from_start)
            for (const auto& f : table.fields)
                if (placed(*f)) point = std::max(point, end_of(*f));
    } else {
        const CConfigField* found = nullptr;
        for (const auto& f : table.fields)
            if (placed(*f) && model::equal_ignoring_case(f->name.view(), base)) found = f.get();
        if (found == nullptr)
            for (const auto& f : table.fields)
                if (placed(*f) && model::equal_ignoring_case(f->host_name.view(), base)) found = f.get();
        if (found == nullptr) {
            // A base this table no longer lists: while its placement is untouched the field stays where it is.
            if (editing_ != nullptr && editing_->offset_value == offset_value &&
                editing_->offset_in_characters == in_characters && editing_->offset_from_start == from_start &&
                editing_->base_field.view() == base)
                return editing_->offset;
        } else {
            point = from_start ? found->offset : end_of(*found);
        }
    }
    std::int64_t result = point + static_cast<std::int64_t>(offset_value) * (in_characters ? 2 : 1);
    const std::int32_t code = data_type_code();
    // Characters start on a byte.
    if ((code == DataTypeCode::alpha || code == DataTypeCode::group || code == kCalcString) && result % 2 != 0)
        ++result;
    return result;
}

std::optional<FormRefusal> UserDefinedFieldForm::validate(const model::CConfigTable& table) {
    if (const char* refusal = configsvc::check_field_name(name, table, original_name_))
        return FormRefusal{kName, refusal};
    const SizeControls size = size_controls();
    if (calculated && definition != original_definition_ && definition.size() > model::kExpressionMax)
        return FormRefusal{kDefinition, "**Definition too long**"};
    if (size.length) {
        if (size.bit_length_label) {
            if (length < 1 || length > kBitLengthMax)
                return FormRefusal{kLength, "**Field Length must be between 1 and 48**"};
        } else if (length < 1 || length > kLengthMax) {
            return FormRefusal{kLength, "**Length must be between 1 and 9999**"};
        }
    }
    if (size.bit && (length < 0 || length > 3)) return FormRefusal{kBit, "**Bit must be between 0 and 3**"};
    if (size.decimals) {
        const int high = std::min(length, kDecimalsMax);
        if (decimals < 0 || decimals > high)
            return FormRefusal{kDecimals, range_message("**Decimals must be between 0 and %d**", high)};
    }
    if (!calculated) {
        static constexpr const char* kOffsetRange = "**Offset must be between 0 and 9999**";
        if (offset_value < 0 || offset_value > kOffsetMax) return FormRefusal{kOffset, kOffsetRange};
        if (absolute_offset(table) > kOffsetMax) return FormRefusal{kOffset, kOffsetRange};
    }
    return std::nullopt;
}

std::unique_ptr<CConfigField> UserDefinedFieldForm::make_field(const model::CConfigTable& table) const {
    auto field = std::make_unique<CConfigField>();
    field->field_kind = calculated ? FieldKind::calculated : FieldKind::user_defined;
    field->is_new = true;
    field->bModified = true;
    field->name.assign(name);
    store(table, *field);
    return field;
}

void UserDefinedFieldForm::store(const model::CConfigTable& table, CConfigField& field) const {
    // Compute before anything changes: the field itself is left out of its own placement.
    const std::int64_t offset = calculated ? field.offset : absolute_offset(table);
    if (!is_new()) model::rename_field(field, name);
    field.bModified = true;
    field.update_allowed = update_allowed;
    field.date_kind = format.kind();
    field.date_format = format.index();
    if (is_new() || type_touched_) {
        const SizeControls size = size_controls();
        field.data_type_code = data_type_code();
        field.length = size.length || size.bit ? length : 0;
        field.decimals = size.decimals ? decimals : 0;
    }
    if (calculated) {
        field.expression.assign(upper_outside_quotes(definition));
        return;
    }
    field.offset = static_cast<std::int32_t>(offset);
    field.offset_value = offset_value;
    field.offset_in_characters = in_characters;
    field.offset_from_start = from_start;
    field.base_field.assign(base == kBuffer ? std::string() : base);
}

}  // namespace kestra::workspace
