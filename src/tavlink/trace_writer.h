#pragma once

#include <atomic>
#include <mutex>
#include <string>

namespace kestra::tavlink {

// The provider's own trace file. Each line is appended by opening the file, writing the line and CR LF, and
// closing it again, so the file is complete at every moment and other programs may read or remove it.
class TraceWriter {
public:
    static constexpr const char* kPrefix = "Tavlink32x1: ";

    void configure(bool enabled, std::string file);
    bool enabled() const { return enabled_.load(std::memory_order_relaxed); }
    std::string file() const;

    // Writes `line` as given (the caller supplies any prefix).
    void write_line(const std::string& line);
    // Formats a line and writes it behind the prefix; does nothing when tracing is off.
    void tracef(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // As tracef, without the prefix.
    void tracef_raw(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    void write_locked(const char* text, std::size_t length);

    std::atomic<bool> enabled_{false};
    mutable std::mutex lock_;
    std::string file_;
    char line_[1024] = {};  // the shared line buffer, guarded by lock_
};

}  // namespace kestra::tavlink
