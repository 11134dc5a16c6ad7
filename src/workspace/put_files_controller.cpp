#include "workspace/put_files_controller.h"

#include <utility>

#include "archive/archive_reader.h"
#include "archive/transfer_put.h"
#include "hostlink/host_session.h"

namespace kestra::workspace {

PutFilesController::PutFilesController(hostlink::CHostSession& session, archive::ArchiveReader& archive,
                                       std::string archive_path, PutFilesView view)
    : session_(session), archive_(archive), archive_path_(std::move(archive_path)), view_(std::move(view)) {}

std::vector<std::string> PutFilesController::names() const {
    std::vector<std::string> out;
    for (const archive::ArchiveEntry& entry : archive_.entries())
        out.push_back(entry.readable ? entry.header.name : "(unreadable: " + entry.problem + ")");
    return out;
}

std::int16_t PutFilesController::put(const std::vector<std::size_t>& selected) {
    sent_.clear();
    if (selected.empty() || busy_ || cancel_requested_) return hostlink::kSuccess;
    busy_ = true;
    if (view_.buttons_changed) view_.buttons_changed();

    archive::TransferCallbacks callbacks;
    callbacks.status = view_.status;
    callbacks.progress = view_.progress;
    callbacks.stop_requested = [this] {
        if (view_.dispatch_events) view_.dispatch_events();
        return cancel_requested_;
    };
    archive::PutFilesTransfer transfer(session_, archive_, std::move(callbacks));
    const std::int16_t rc = transfer.send_entries(selected);
    sent_ = transfer.sent();

    busy_ = false;
    if (view_.buttons_changed) view_.buttons_changed();
    if (rc != hostlink::kSuccess) session_.show_errors();
    return rc;
}

bool PutFilesController::cancel() {
    if (!busy_) return true;
    cancel_requested_ = true;
    return false;
}

}  // namespace kestra::workspace
