#include "workspace/print_job.h"

#include "hostlink/sqlstate.h"
#include "report/report_writer.h"
#include "workspace/admin_doc.h"

namespace kestra::workspace {

model::CServerNode* print_target(const CAdminDoc& doc) {
    model::CServerNode* node = doc.selected();
    return node != nullptr && !node->is_root() ? node : nullptr;
}

std::int16_t write_print_report(CAdminDoc& doc, int lines_per_page, int& pages) {
    pages = 0;
    model::CServerNode* node = print_target(doc);
    if (node == nullptr) {
        doc.session().post_error(hostlink::kSqlGeneralFailure, "No configuration file is selected");
        return hostlink::kError;
    }
    return report::write_report(doc.client(), doc.pending_unloads(), node->config, node->name, doc.print.options,
                                lines_per_page, doc.print.page_file, &pages);
}

}  // namespace kestra::workspace
