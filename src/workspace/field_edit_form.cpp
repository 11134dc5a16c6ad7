#include "workspace/field_edit_form.h"

#include "configsvc/table_field_names.h"
#include "model/date_formats.h"
#include "model/field_edits.h"

namespace kestra::workspace {

void FieldFormatChoice::load(std::int32_t kind, std::int32_t index) {
    kind_ = kind;
    index_ = index;
}

void FieldFormatChoice::choose_kind(std::int32_t kind) {
    if (kind == kind_) return;
    kind_ = kind;
    index_ = 0;
}

void FieldFormatChoice::choose_format(int row) {
    if (row < 0 || row >= static_cast<int>(model::date_formats(kind_).size())) return;
    index_ = row;
}

bool FieldFormatChoice::list_shown() const {
    return !model::date_formats(kind_).empty();
}

int FieldFormatChoice::list_row() const {
    return index_ >= 0 && index_ < static_cast<int>(model::date_formats(kind_).size()) ? index_ : -1;
}

void FieldEditForm::load(const model::CConfigField& field) {
    name = field.name.str();
    original_name_ = name;
    hidden = !field.visible;
    update_allowed = field.update_allowed;
    format.load(field.date_kind, field.date_format);
}

std::optional<FormRefusal> FieldEditForm::apply(model::CConfigTable& table, model::CConfigField& field) {
    if (const char* refusal = configsvc::check_field_name(name, table, original_name_))
        return FormRefusal{kName, refusal};
    model::rename_field(field, name);
    model::set_field_visible(field, !hidden);
    if (update_allowed != field.update_allowed || format.kind() != field.date_kind ||
        format.index() != field.date_format) {
        field.update_allowed = update_allowed;
        field.date_kind = format.kind();
        field.date_format = format.index();
        field.bModified = true;
    }
    return std::nullopt;
}

std::optional<FormRefusal> rename_checked(model::CConfigTable& table, model::CConfigField& field, std::string name,
                                          int control) {
    const std::string current = field.name.str();
    if (const char* refusal = configsvc::check_field_name(name, table, current)) return FormRefusal{control, refusal};
    model::rename_field(field, name);
    return std::nullopt;
}

}  // namespace kestra::workspace
