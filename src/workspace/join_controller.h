#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "model/config_file.h"
#include "workspace/join_edit_model.h"

namespace kestra::workspace {

class CAdminDoc;

inline constexpr const char* kNewJoinTitle = "New Join";
inline constexpr const char* kEditJoinTitle = "Edit Join";

// Shows the Edit Join window over the model under that title; true when it closed with OK.
using JoinEditWindow = std::function<bool(CJoinEditModel& model, const std::string& title)>;

// Creating and editing join tables of a configuration file: what is loaded before the window opens, and what is
// sent after it closes. Failures are shown with the session's error box; the model keeps its previous values.
class CJoinController {
  public:
    CJoinController(CAdminDoc& doc, model::CConfigFile& file) : doc_(doc), file_(file) {}

    // Create Table's "Join": an empty join under "New Join". On OK the join is added on the host, appended to the
    // file, loaded for its handle, given its members and unloaded. True when it was added; `index` is its place.
    bool new_join(const JoinEditWindow& window, std::size_t& index);
    // Edits the join at `index` of the file through a copy under "Edit Join". True when the window closed with OK.
    bool edit_join(std::size_t index, const JoinEditWindow& window);

  private:
    bool load_member(model::CConfigTable& table);
    void unload_members();
    void show_errors();

    CAdminDoc& doc_;
    model::CConfigFile& file_;
    // Member tables this controller loaded for the window; unloaded without save when it closes.
    std::vector<model::CConfigTable*> loaded_;
};

}  // namespace kestra::workspace
