#include "workspace/get_files_controller.h"

#include <utility>


#include "archive/transfer_get.h"
#include "hostlink/host_session.h"

namespace kestra::workspace {

namespace {

archive::TransferCallbacks callbacks_for(const GetFilesView& view, const bool& cancel_requested) {
    archive::TransferCallbacks callbacks;
    callbacks.status = view.status;
    callbacks.progress = view.progress;
    callbacks.between_files = view.dispatch_events;
    callbacks.stop_requested = [&cancel_requested] { return cancel_requested; };
    return callbacks;
}

}  // namespace

GetFilesController::GetFilesController(hostlink::CHostSession& session, archive::ArchiveWriter& archive,
                                       std::string archive_path, GetFilesView view)
    : session_(session),
      archive_(archive),
      archive_path_(std::move(archive_path)),
      view_(std::move(view)),
      // One transfer for the window's life: "Getting file %s(%d)" counts on across the Get presses.
      transfer_(std::make_unique<archive::GetFilesTransfer>(session, archive, callbacks_for(view_, cancel_requested_))) {}

GetFilesController::~GetFilesController() = default;

std::size_t GetFilesController::fetched() const { return transfer_->fetched(); }

std::int16_t GetFilesController::get(const std::string& text) {
    if (text.empty() || busy_ || cancel_requested_) return hostlink::kSuccess;
    busy_ = true;
    if (view_.buttons_changed) view_.buttons_changed();
    const std::int16_t rc = transfer_->get(text);

    busy_ = false;
    if (view_.buttons_changed) view_.buttons_changed();
    if (rc != hostlink::kSuccess) session_.show_errors();
    return rc;
}

bool GetFilesController::cancel() {
    if (!busy_) return true;
    cancel_requested_ = true;
    return false;
}

}  // namespace kestra::workspace
