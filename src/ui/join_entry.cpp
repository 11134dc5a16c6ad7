#include "ui/join_entry.h"

namespace kestra::ui {

// Filled in by the join editor; until then a join choice opens nothing.
void new_join(CClientConfigView&) {}

// Filled in by the join editor.
void edit_join(CClientConfigView&, int) {}

}  // namespace kestra::ui
