#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "configsvc/table_requests.h"
#include "model/config_file.h"
#include "model/config_table.h"

namespace kestra::workspace {

class CAdminDoc;

// What a Replace did to the field names.
struct ReplaceResult {
    int renamed = 0;  // names changed (and marked for sending)
    int kept = 0;     // names that would have become empty or another field's, left as they were
};

// What Table Edit holds and does, without the window: the name, the two flags, the where condition and Replace
// over the fields of a loaded plain table. The fields are edited in the table itself (the field list works on them
// directly); name, flags and where condition reach the table only with ok().
class CTableEditModel {
  public:
    CTableEditModel(const model::CConfigFile& file, model::CConfigTable& table);

    model::CConfigTable& table() { return table_; }
    const model::CConfigTable& table() const { return table_; }

    // As typed; upper case is the window's business.
    std::string name;
    bool update_allowed = false;

    // Return Groups shows or hides the GROUP fields of the list at once, so it is held in the table while the
    // window is open; cancel() puts the old value back.
    bool return_groups() const { return table_.return_groups; }
    void set_return_groups(bool on) { table_.return_groups = on; }

    const std::string& where() const { return where_; }
    // Stores a where condition from its dialog; true when it differs from the one held.
    bool set_where(std::string_view where);
    bool where_changed() const { return where_changed_; }

    // Replaces every occurrence of `from` in every field name by `to`, each result cut to the longest field name.
    // All new names are worked out first; a field whose result is empty or equal, letter case ignored, to another
    // field's resulting name keeps its name. An empty `from` does nothing.
    ReplaceResult replace(std::string_view from, std::string_view to);

    // OK: the name check. nullptr when the table has taken the name and flags (its changed flag set when either
    // differs) and the where condition; else the message for the message line, with nothing taken.
    const char* ok();
    // Cancel: what was shown in the table while editing goes back.
    void cancel();

    // How the table is sent after ok(): where condition when changed, the table list, the field requests, the
    // unload with save.
    configsvc::TableSaveOptions save_options() const;

  private:
    const model::CConfigFile& file_;
    model::CConfigTable& table_;
    std::string original_name_;
    bool original_return_groups_;
    std::string where_;
    bool where_changed_ = false;
};

// Loads a plain table, its fields and its sets for Table Edit. On a failure the errors are shown, what was loaded
// is unloaded without save, and false comes back: no window opens.
bool load_table_for_edit(CAdminDoc& doc, model::CConfigFile& file, model::CConfigTable& table);

// After OK: sends what changed (shown on failure, every step still run) and unloads with save. When the host
// refused the table list, the file's list is read again, which replaces its table records. Returns the first
// failure or 0.
std::int16_t save_edited_table(CAdminDoc& doc, model::CConfigFile& file, CTableEditModel& edit);

// After Cancel: the table is unloaded without save, which also drops field edits made in the window.
void discard_edited_table(CAdminDoc& doc, CTableEditModel& edit);

}  // namespace kestra::workspace
