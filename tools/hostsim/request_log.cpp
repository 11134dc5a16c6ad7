#include "request_log.h"

namespace kestra::hostsim {

bool RequestLog::open_file(const std::string& path) {
    std::lock_guard lock(mutex_);
    file_.reset(std::fopen(path.c_str(), "w"));
    return file_ != nullptr;
}

void RequestLog::add(int kind, int code, std::string_view body) {
    std::lock_guard lock(mutex_);
    entries_.push_back({kind, code, std::string(body)});
    if (file_) {
        const std::string line = format(entries_.back()) + "\n";
        std::fwrite(line.data(), 1, line.size(), file_.get());
        // Flushed per line: a test reads the file while the host still runs.
        std::fflush(file_.get());
    }
}

std::vector<RequestLog::Entry> RequestLog::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::size_t RequestLog::count(int kind, int code) const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const Entry& e : entries_)
        if (e.kind == kind && e.code == code) ++n;
    return n;
}

void RequestLog::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

std::string RequestLog::format(const Entry& entry) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string line = std::to_string(entry.kind) + " " + std::to_string(entry.code) + " ";
    for (const char c : entry.body) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            line += c;
        } else {
            line += "\\x";
            line += kHex[byte >> 4];
            line += kHex[byte & 0x0F];
        }
    }
    return line;
}

}  // namespace kestra::hostsim
