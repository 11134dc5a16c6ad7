#pragma once

#include "ui/client_config_view.h"

namespace kestra::ui {

// New and Edit in the tables mode of the configuration view: Create Table and the selection windows for a new
// table, Table Edit for a plain table, the join editor for a join.
class CTableEntryDialogs {
  public:
    static void new_table(CClientConfigView& view);
    static void edit_table(CClientConfigView& view, int index);
};

}  // namespace kestra::ui
