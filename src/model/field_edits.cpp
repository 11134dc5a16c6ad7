#include "model/field_edits.h"

#include <algorithm>

namespace kestra::model {

bool rename_field(CConfigField& field, std::string_view name) {
    if (field.name.view() == name) return false;
    field.name.assign(name);
    field.name_changed = true;
    field.bModified = true;
    return true;
}

bool set_field_visible(CConfigField& field, bool visible) {
    if (field.visible == visible) return false;
    field.visible = visible;
    // Hidden and shown again before a save still sends the flag: it goes as it stands then.
    field.bVisibility = true;
    field.bModified = true;
    return true;
}

bool cut_field(CConfigTable& table, const CConfigField& field) {
    const auto it =
        std::find_if(table.fields.begin(), table.fields.end(), [&](const auto& f) { return f.get() == &field; });
    if (it == table.fields.end()) return false;
    (*it)->bModified = true;
    (*it)->bDeleted = true;
    if ((*it)->is_new && (*it)->tblfieldnum == 0) {
        table.fields.erase(it);
        return true;
    }
    table.cut_fields.push_back(std::move(*it));
    table.fields.erase(it);
    return true;
}

}  // namespace kestra::model
