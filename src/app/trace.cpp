#include "app/trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "app/admin_app.h"
#include "app/ui_hooks.h"

namespace kestra::app {

std::string trace_format(const char* format, ...) {
    char line[kTraceLineMax + 1];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) return {};
    return std::string(line, static_cast<std::size_t>(n) < kTraceLineMax ? static_cast<std::size_t>(n) : kTraceLineMax);
}

bool append_trace_line(const std::string& file_name, std::string_view text) {
    int fd = ::open(file_name.c_str(), O_WRONLY | O_APPEND);
    if (fd < 0) fd = ::open(file_name.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0) {
        message_box("Cannot append to trace file", {}, MessageIcon::Stop);
        return false;
    }
    if (text.size() > kTraceLineMax) text = text.substr(0, kTraceLineMax);
    std::string line(text);
    line += "\r\n";
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return done == line.size();
}

void write_trace(std::string_view text) {
    append_trace_line(admin_app().program_trace_file, text);
}

void write_script_trace(std::string_view text) {
    append_trace_line(admin_app().script_trace_file, text);
}

bool tracing() {
    return admin_app().program_trace;
}

bool script_tracing() {
    return admin_app().script_trace;
}

}  // namespace kestra::app
