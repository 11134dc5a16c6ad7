#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace kestra::hostlink {
class CHostSession;
}
namespace kestra::archive {
class ArchiveWriter;
class GetFilesTransfer;
}  // namespace kestra::archive

namespace kestra::workspace {

// What the Get Files window draws while the controller works. Every member may be left empty.
struct GetFilesView {
    // "Getting file %s(%d)" while a file moves, empty when it is done.
    std::function<void(const std::string& text)> status;
    // Whole percent; -1 hides the bar. Called within a file, where no event loop runs: the bar repaints at once.
    std::function<void(int percent)> progress;
    // Between the files of a list: handles the events waiting, so the window repaints and Cancel is seen.
    std::function<void()> dispatch_events;
    // Get and Save were disabled or enabled again; the window asks buttons_enabled().
    std::function<void()> buttons_changed;
};

// The logic of the Get Files window over a new archive: Get fetches one host file or every file of a list into
// it; Save and Cancel end the window. The window's event loop runs between the files of a list, so Cancel,
// Escape or closing can arrive while a get is under way: they never end the window under the loop, but are
// recorded, the list stops after the file under way, and the window then ends as cancelled.
class GetFilesController {
  public:
    GetFilesController(hostlink::CHostSession& session, archive::ArchiveWriter& archive, std::string archive_path,
                       GetFilesView view = {});
    ~GetFilesController();
    GetFilesController(const GetFilesController&) = delete;
    GetFilesController& operator=(const GetFilesController&) = delete;

    const std::string& archive_path() const { return archive_path_; }
    archive::ArchiveWriter& archive() { return archive_; }
    void set_view(GetFilesView view) { view_ = std::move(view); }

    // The Get button with the edit's text (the window clears the edit). An empty text, or a Get while one runs or
    // after a cancel, does nothing. A failure is shown with the session's errors. Returns the transfer's code.
    std::int16_t get(const std::string& text);

    // Cancel, Escape or closing the window: true when the window may end now; while a get runs, false, and the
    // window ends once get() returns (cancel_requested()).
    bool cancel();
    bool cancel_requested() const { return cancel_requested_; }
    // Save (OK): the window may end with OK only while nothing runs and nothing was cancelled.
    bool save_allowed() const { return !busy_ && !cancel_requested_; }

    bool busy() const { return busy_; }
    // Get and Save are disabled while a get runs.
    bool buttons_enabled() const { return !busy_; }
    // Get is the default button while the edit holds text, so Enter fetches rather than saves.
    static bool get_is_default(const std::string& edit_text) { return !edit_text.empty(); }

    // Files fetched into the archive so far.
    std::size_t fetched() const;

  private:
    hostlink::CHostSession& session_;
    archive::ArchiveWriter& archive_;
    std::string archive_path_;
    GetFilesView view_;
    bool busy_ = false;
    bool cancel_requested_ = false;
    std::unique_ptr<archive::GetFilesTransfer> transfer_;
};

}  // namespace kestra::workspace
