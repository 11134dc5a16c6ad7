#pragma once

#include <functional>
#include <string>

namespace kestra::archive {

// How a transfer tells its window (or the command line) what it is doing. Every member may be left empty.
struct TransferCallbacks {
    // "Getting file %s(%d)" or "Sending file %s" while a file moves; an empty text when it is done.
    std::function<void(const std::string& text)> status;
    // Whole percent, reported only when it changes; -1 hides the bar.
    std::function<void(int percent)> progress;
    // Called between the files of a list so the window can repaint.
    std::function<void()> between_files;
    // Asked between the files of a list and between put entries: true ends the loop there, after the file that
    // just finished. Left empty, a transfer never stops early.
    std::function<bool()> stop_requested;

    bool should_stop() const { return stop_requested && stop_requested(); }
};

}  // namespace kestra::archive
