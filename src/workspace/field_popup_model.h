#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/config_field.h"
#include "model/config_table.h"

namespace kestra::workspace {

// Commands of the field list's popup ("_FieldPopup_" of menu resource 103) and of the buttons beside the list.
struct FieldCommand {
    static constexpr int rename = 4782;
    static constexpr int hide = 4779;  // "Hide" for a host field, "Delete" for a user-defined one
    static constexpr int update_allowed = 4783;
    static constexpr int standard = 4791;
    static constexpr int currency = 4780;
    static constexpr int first_date = 2000;
    static constexpr int first_time = 3000;
    static constexpr int first_timestamp = 4000;
};

// One entry of the field popup: a command (checkable or not), a separator (id 0, no items) or a submenu.
struct FieldMenuItem {
    int id = 0;
    std::string text;
    bool checkable = false;
    bool checked = false;
    std::vector<FieldMenuItem> items;

    bool separator() const { return id == 0 && items.empty(); }
    bool submenu() const { return !items.empty(); }
};

// The table's own records, in list order.
using FieldSelection = std::vector<model::CConfigField*>;

// The popup for the selected fields; empty for an empty selection.
std::vector<FieldMenuItem> field_popup_menu(const FieldSelection& selection);

// The Delete/Hide button beside the list.
struct HideButtonState {
    std::string text;
    bool enabled = false;
};
HideButtonState hide_button_state(const FieldSelection& selection);

// The kind and index a format command sets; false for any other command or an index outside its catalogue.
bool format_for_command(int command, std::int32_t& kind, std::int32_t& index);

// What the commands do to the selected fields of `table`. Each marks what the next save sends.

// Hides or shows each host field, takes each user-defined one out of the table (a field new in this dialog is
// dropped, one from the host waits in the cut fields). The selection's pointers are invalid afterwards.
void hide_or_delete_fields(model::CConfigTable& table, const FieldSelection& selection);
// Inverts each field's update-allowed flag.
void toggle_update_allowed(const FieldSelection& selection);
// Gives each field the format kind and index.
void set_field_format(const FieldSelection& selection, std::int32_t kind, std::int32_t index);

}  // namespace kestra::workspace
