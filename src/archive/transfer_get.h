#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/transfer_callbacks.h"

namespace kestra::hostlink {
class CHostSession;
}

namespace kestra::archive {

class ArchiveWriter;

// What the Get Files window does: fetches host files, one by one, into an archive being written. Failures are
// queued on the session as diagnostics and returned as -1; whatever was committed before stays in the archive.
class GetFilesTransfer {
public:
    GetFilesTransfer(hostlink::CHostSession& session, ArchiveWriter& archive, TransferCallbacks callbacks = {});

    // The Get button: "@" and a list file's path fetches every file it names, stopping at the first failure;
    // anything else is one host file name. An empty text does nothing.
    std::int16_t get(const std::string& text);
    // Every name of a list file in order, stopping at the first failure ("Cannot open list file %s" when it
    // cannot be opened; nothing is fetched then).
    std::int16_t fetch_list(const std::string& list_path);
    // One host file: request 57 (or 49 for a host that refuses it), then data requests until the size is reached.
    std::int16_t fetch_file(const std::string& host_file_name);

    // Files fetched by this transfer so far.
    std::size_t fetched() const { return fetched_; }

private:
    std::int16_t fail(std::uint16_t sqlstate_index, const std::string& text);
    std::int16_t abandon();
    void set_progress(int percent);

    hostlink::CHostSession& session_;
    ArchiveWriter& archive_;
    TransferCallbacks callbacks_;
    std::size_t fetched_ = 0;
    int progress_ = -1;
};

}  // namespace kestra::archive
