#pragma once

#include <cstdint>

#include "report/page_file.h"
#include "report/print_options.h"

namespace kestra::model {
class CServerNode;
}

namespace kestra::workspace {

class CAdminDoc;

// What a connection window keeps for its report commands: the page file, made with the window and deleted with
// it, and the Print Options chosen last. Neither is saved.
struct PrintState {
    report::CPageFile page_file;
    report::PrintOptions options;
};

// The file the report commands act on: the selected node when it is a configuration file; nullptr for the root
// or no selection.
model::CServerNode* print_target(const CAdminDoc& doc);

// Writes the report of the selected file, with the window's Print Options and `lines_per_page`, into the window's
// page file, afresh each time, so a file changed since the last command is never printed stale. `pages` gets the
// page count. The return code and diagnostics are those of the report writer (negative: nothing to print, the
// reason queued on the session); -1 with a diagnostic when no file is selected.
std::int16_t write_print_report(CAdminDoc& doc, int lines_per_page, int& pages);

}  // namespace kestra::workspace
