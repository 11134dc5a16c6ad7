#include "workspace/get_files_controller.h"

#include <utility>

#include "archive/transfer_get.h"
#include "hostlink/host_session.h"

namespace kestra::workspace {

GetFilesController::GetFilesController(hostlink::CHostSession& session, archive::ArchiveWriter& archive,
                                       std::string archive_path, GetFilesView view)
    : session_(session), archive_(archive), archive_path_(std::move(archive_path)), view_(std::move(view)) {
    // The callbacks go through view_, so a window can set its view after the flow made the controller.
    archive::TransferCallbacks callbacks;
    callbacks.status = [this](const std::string& text) {
        if (view_.status) view_.status(text);
    };
    callbacks.progress = [this](int percent) {
        if (view_.progress) view_.progress(percent);
    };
    callbacks.between_files = [this] {
        if (view_.dispatch_events) view_.dispatch_events();
    };
    callbacks.stop_requested = [this] { return cancel_requested_; };
    // One transfer for the window's life: "Getting file %s(%d)" counts on across the Get presses.
    transfer_ = std::make_unique<archive::GetFilesTransfer>(session, archive, std::move(callbacks));
}

GetFilesController::~GetFilesController() = default;

std::size_t GetFilesController::fetched() const {
    return transfer_->fetched();
}

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
