#include "report/page_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kestra::report {

namespace {

// $TMPDIR as set, even when it names no directory, so a bad setting is reported rather than silently replaced.
std::string temporary_directory() {
    const char* dir = std::getenv("TMPDIR");
    return dir != nullptr && *dir != '\0' ? std::string(dir) : std::string("/tmp");
}

std::string with_number(const char* format, const std::string& path, int number) {
    const int n = std::snprintf(nullptr, 0, format, path.c_str(), number);
    if (n < 0) return {};
    std::vector<char> text(static_cast<std::size_t>(n) + 1);
    std::snprintf(text.data(), text.size(), format, path.c_str(), number);
    return text.data();
}

}  // namespace

CPageFile::~CPageFile() {
    remove();
}

bool CPageFile::fail_open(const std::string& path, int cause) {
    if (cause == ENOENT || cause == ENOTDIR)
        error_ = "Bad path " + path;
    else
        error_ = with_number("Error opening %s = %d", path, cause);
    return false;
}

bool CPageFile::create(const std::string& directory) {
    remove();
    error_.clear();
    std::string dir = directory.empty() ? temporary_directory() : directory;
    if (dir.empty()) dir = ".";
    std::string name = dir;
    if (name.back() != '/') name += '/';
    name += "kbaXXXXXX";
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0) return fail_open(name, errno);
    ::close(fd);
    path_ = buffer.data();
    return true;
}

bool CPageFile::write(std::string_view text) {
    error_.clear();
    if (path_.empty()) return fail_open("kbaXXXXXX", ENOENT);
    const int fd = ::open(path_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return fail_open(path_, errno);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int cause = n < 0 ? errno : EIO;
            ::close(fd);
            error_ = with_number("Error writing %s = %d", path_, cause);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        error_ = with_number("Error writing %s = %d", path_, errno);
        return false;
    }
    return true;
}

void CPageFile::remove() {
    if (path_.empty()) return;
    ::unlink(path_.c_str());
    path_.clear();
}

}  // namespace kestra::report
