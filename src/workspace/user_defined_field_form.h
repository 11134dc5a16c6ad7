#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/config_field.h"
#include "model/config_table.h"
#include "workspace/field_edit_form.h"
#include "workspace/form_fields.h"

namespace kestra::workspace {

// The data type drop-down of an offset field, in its order.
enum class OffsetType : int { alpha, packed, unpacked, real, boolean, field };
// The data type buttons of a calculated field; the values are what the Calculation Builder takes as kind.
enum class CalcType : int { numeric = 0, string = 1, boolean = 2 };

// Which size controls show for the current data type.
struct SizeControls {
    bool length = false;
    bool bit_length_label = false;  // "Bit Length" rather than "Length"
    bool decimals = false;
    bool signed_box = false;
    bool bit = false;
};

// User Defined Field: a field defined by an offset into the record or by a calculation, new or being edited.
class UserDefinedFieldForm {
  public:
    static constexpr int kName = 1059;
    static constexpr int kLength = 1058;
    static constexpr int kDecimals = 1074;
    static constexpr int kBit = 1145;
    static constexpr int kDefinition = 1040;
    static constexpr int kOffset = 1056;
    static constexpr int kLengthMax = 9999;
    static constexpr int kBitLengthMax = 48;
    static constexpr int kDecimalsMax = 99;
    static constexpr int kOffsetMax = 9999;
    static constexpr std::string_view kBuffer = "<Buffer>";

    // A new field, offset by default; `editing` is null.
    void load_new();
    // An existing offset or calculated field of `table`.
    void load(const model::CConfigField& field);

    bool is_new() const { return editing_ == nullptr; }
    // "New User Defined Field" or "Edit User Defined Field".
    std::string title() const;

    // Opening maps of an offset field's data type code.
    static OffsetType offset_type_for_code(std::int32_t code);
    static bool signed_for_code(std::int32_t code);
    // The code an offset field gets from its drop-down entry, Signed, decimals and length.
    static std::int32_t offset_code(OffsetType type, bool is_signed, std::int32_t decimals, std::int32_t length);
    // Definition text as stored: upper case outside single-quoted strings.
    static std::string upper_outside_quotes(std::string_view text);

    // The data type controls; any of these counts as a change of the type, so an unknown code survives otherwise.
    void set_offset_type(OffsetType type);
    void set_calc_type(CalcType type);
    void set_signed(bool on);
    // A length below the decimals lowers them.
    void set_length(std::int32_t length);
    void set_decimals(std::int32_t decimals);
    // The arrows: one step within 0 and the length (and the decimals' own maximum).
    void step_decimals(int step);
    void set_bit(std::int32_t bit);

    SizeControls size_controls() const;
    // The Calculation Builder's kind: that of the button chosen now.
    int assistant_kind() const { return static_cast<int>(calc_type); }

    // The "of" list: "<Buffer>" and the fields an offset can be measured from: neither the field being edited nor a
    // calculated one, which have no place in the record.
    std::vector<std::string> base_choices(const model::CConfigTable& table) const;
    // The data type code OK stores.
    std::int32_t data_type_code() const;
    // The absolute offset in digits OK stores; may exceed what the wire holds (OK refuses that).
    std::int64_t absolute_offset(const model::CConfigTable& table) const;

    // Name and ranges; the first refusal, in the order of the controls.
    std::optional<FormRefusal> validate(const model::CConfigTable& table);
    // After validate() passed: a new field to append, or the values stored into the field being edited.
    std::unique_ptr<model::CConfigField> make_field(const model::CConfigTable& table) const;
    void store(const model::CConfigTable& table, model::CConfigField& field) const;

    std::string name;
    bool update_allowed = false;
    FieldFormatChoice format;
    bool calculated = false;  // origin: Offset or Calculated (fixed when editing)
    OffsetType offset_type = OffsetType::alpha;
    CalcType calc_type = CalcType::string;
    std::int32_t length = 0;  // the bit number for BOOLEAN
    std::int32_t decimals = 0;
    bool is_signed = false;
    std::string definition;
    std::int32_t offset_value = 0;
    bool in_characters = true;
    bool from_start = true;
    std::string base;  // empty: the record buffer

  private:
    const model::CConfigField* editing_ = nullptr;
    std::string original_name_;
    std::string original_definition_;
    bool type_touched_ = false;
    std::int32_t original_code_ = 0;
};

}  // namespace kestra::workspace
