#pragma once

#include <string_view>

#include "model/config_field.h"
#include "model/config_table.h"

namespace kestra::model {

// Every edit of a field goes through these, whichever window or command makes it, so the flags that decide what
// the next save sends are always set together with the value.

// Gives the field a new name; marks it renamed and modified only when the name differs. True when it changed.
bool rename_field(CConfigField& field, std::string_view name);

// Shows or hides the field; marks the visibility change and modified only when it differs. True when it changed.
bool set_field_visible(CConfigField& field, bool visible);

// Takes the field out of the table. One the host never numbered is simply dropped; any other waits in
// `cut_fields` for the delete request of the next save. False when the field is not one of the table's.
bool cut_field(CConfigTable& table, const CConfigField& field);

}  // namespace kestra::model
