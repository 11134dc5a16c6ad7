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
};

}  // namespace kestra::archive
