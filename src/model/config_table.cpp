#include "model/config_table.h"

#include "model/data_type_catalogue.h"

namespace kestra::model {

CConfigField* CConfigTable::find_field(std::string_view field_name, const CConfigField* except) const {
    for (const auto& field : fields) {
        if (field.get() != except && equal_ignoring_case(field->name.view(), field_name)) return field.get();
    }
    return nullptr;
}

void CConfigTable::clear_loaded_details() {
    fields.clear();
    cut_fields.clear();
    sets.clear();
    members.clear();
    loaded = false;
    fields_loaded = false;
    sets_loaded = false;
}

bool CConfigTable::lists_field(const CConfigField& field) const {
    return return_groups || field.data_type_code != DataTypeCode::group;
}

}  // namespace kestra::model
