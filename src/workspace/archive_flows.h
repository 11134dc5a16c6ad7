#pragma once

#include <string>

namespace kestra::hostlink {
class CHostSession;
}

namespace kestra::workspace {

class GetFilesController;
class PutFilesController;

// What an archive file dialog is asked for.
struct ArchiveFileRequest {
    std::string caption;
    std::string filter;          // "Archives (*.kba *.KBA)"
    std::string default_suffix;  // without the dot
    bool save = false;           // a save dialog (asks before overwriting, no read-only box) or an open one
};

// The save dialog of "Get Files from Host..." and the open dialog of "Put Files onto Host...".
ArchiveFileRequest save_archive_request();
ArchiveFileRequest open_archive_request();

// What the archive commands need from the windows. Message boxes go through app::UiHooks.
class ArchiveFlowSeams {
  public:
    virtual ~ArchiveFlowSeams() = default;
    // The chosen file, or an empty text on Cancel.
    virtual std::string choose_file(const ArchiveFileRequest& request) = 0;
    virtual void beep() = 0;
    // Runs the Get Files window over the controller; true when it ended with Save (OK).
    virtual bool run_get_files(GetFilesController& controller) = 0;
    virtual void run_put_files(PutFilesController& controller) = 0;
};

enum class ArchiveFlowResult {
    not_chosen,  // the file dialog was cancelled
    failed,      // the archive could not be created, opened or saved; a message was shown
    cancelled,   // the Get Files window was cancelled: the new archive is deleted
    done,        // saved (with the beep), or the Put Files window closed
};

// "Get Files from Host...": a new archive, created or emptied, filled by the Get Files window over the session;
// Save rewrites its header, closes it and beeps, anything else closes and deletes it, as does a failed header
// write.
ArchiveFlowResult save_archive(hostlink::CHostSession& session, ArchiveFlowSeams& seams);
// "Put Files onto Host...": an existing archive opened and checked, the Put Files window over it, then closed.
ArchiveFlowResult open_archive(hostlink::CHostSession& session, ArchiveFlowSeams& seams);

}  // namespace kestra::workspace
