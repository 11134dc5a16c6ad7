#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/transfer_callbacks.h"

namespace kestra::hostlink {
class CHostSession;
}

namespace kestra::archive {

class ArchiveReader;

// What the Put Files window does: sends entries of an open archive back to the host with request 50. Failures are
// queued on the session as diagnostics and returned as -1.
class PutFilesTransfer {
public:
    PutFilesTransfer(hostlink::CHostSession& session, ArchiveReader& archive, TransferCallbacks callbacks = {});

    // The Put button: the selected entries in list order (whatever order they were chosen in), stopping at the
    // first failure. sent() then names the entries that went, which the window deselects. The bar ends hidden.
    std::int16_t send_entries(const std::vector<std::size_t>& selected);
    // One entry: the first request with its name, attributes and extra block, then its data in hex chunks.
    std::int16_t send_entry(std::size_t index);

    const std::vector<std::size_t>& sent() const { return sent_; }

private:
    std::int16_t fail(std::uint16_t sqlstate_index, const char* text);
    void set_progress(int percent);

    hostlink::CHostSession& session_;
    ArchiveReader& archive_;
    TransferCallbacks callbacks_;
    std::vector<std::size_t> sent_;
    int progress_ = -1;
};

}  // namespace kestra::archive
