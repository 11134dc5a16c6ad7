#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kestra::hostlink {
class CHostSession;
}
namespace kestra::archive {
class ArchiveReader;
}

namespace kestra::workspace {

// What the Put Files window draws while the controller works. Every member may be left empty.
struct PutFilesView {
    // "Sending file %s" while a file moves; cleared when it went, kept after a failure.
    std::function<void(const std::string& text)> status;
    // Whole percent; -1 hides the bar.
    std::function<void(int percent)> progress;
    // Between entries: handles the events waiting, so the window repaints and Cancel is seen.
    std::function<void()> dispatch_events;
    // Put was disabled or enabled again; the window asks buttons_enabled().
    std::function<void()> buttons_changed;
};

// The logic of the Put Files window over an open archive: the list of archived files, and Put, which sends the
// selected ones in list order and leaves the window open. Cancel while entries go is recorded: the entry under
// way finishes, no further one starts, and the window then ends.
class PutFilesController {
  public:
    PutFilesController(hostlink::CHostSession& session, archive::ArchiveReader& archive, std::string archive_path,
                       PutFilesView view = {});

    const std::string& archive_path() const { return archive_path_; }
    void set_view(PutFilesView view) { view_ = std::move(view); }
    // The list's lines in table order: each entry's host file name, or why it cannot be read.
    std::vector<std::string> names() const;

    // The Put button. Sends the selected entries in list order, stopping at the first failure, which is shown
    // with the session's errors. sent() then names the entries that went, for the window to deselect.
    std::int16_t put(const std::vector<std::size_t>& selected);
    const std::vector<std::size_t>& sent() const { return sent_; }

    // Cancel or closing: true when the window may end now; while entries go, false and recorded.
    bool cancel();
    bool cancel_requested() const { return cancel_requested_; }

    bool busy() const { return busy_; }
    bool buttons_enabled() const { return !busy_; }

  private:
    hostlink::CHostSession& session_;
    archive::ArchiveReader& archive_;
    std::string archive_path_;
    PutFilesView view_;
    std::vector<std::size_t> sent_;
    bool busy_ = false;
    bool cancel_requested_ = false;
};

}  // namespace kestra::workspace
