#include "tavlink/trace_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace kestra::tavlink {

void TraceWriter::configure(bool enabled, std::string file) {
    std::lock_guard<std::mutex> guard(lock_);
    file_ = std::move(file);
    enabled_.store(enabled, std::memory_order_relaxed);
}

std::string TraceWriter::file() const {
    std::lock_guard<std::mutex> guard(lock_);
    return file_;
}

void TraceWriter::write_line(const std::string& line) {
    if (!enabled()) return;
    std::lock_guard<std::mutex> guard(lock_);
    write_locked(line.data(), line.size());
}

void TraceWriter::tracef(const char* format, ...) {
    if (!enabled()) return;
    std::lock_guard<std::mutex> guard(lock_);
    std::size_t prefix = std::strlen(kPrefix);
    std::memcpy(line_, kPrefix, prefix);
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line_ + prefix, sizeof line_ - prefix, format, args);
    va_end(args);
    if (n < 0) n = 0;
    std::size_t length = prefix + static_cast<std::size_t>(n);
    if (length > sizeof line_ - 1) length = sizeof line_ - 1;  // long host names or paths are cut, never overrun
    write_locked(line_, length);
}

void TraceWriter::tracef_raw(const char* format, ...) {
    if (!enabled()) return;
    std::lock_guard<std::mutex> guard(lock_);
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line_, sizeof line_, format, args);
    va_end(args);
    if (n < 0) n = 0;
    std::size_t length = static_cast<std::size_t>(n);
    if (length > sizeof line_ - 1) length = sizeof line_ - 1;
    write_locked(line_, length);
}

void TraceWriter::write_locked(const char* text, std::size_t length) {
    int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        // No window to own a message box here; standard error is the place the user can see.
        std::fputs("Cannot append to trace file\n", stderr);
        return;
    }
    std::string out(text, length);
    out += "\r\n";
    const char* p = out.data();
    std::size_t left = out.size();
    while (left > 0) {
        ssize_t w = ::write(fd, p, left);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) break;
        p += w;
        left -= static_cast<std::size_t>(w);
    }
    ::close(fd);
}

}  // namespace kestra::tavlink
