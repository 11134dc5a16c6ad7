#include "fuzz_temp_file.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace kestra::fuzz {

namespace {

struct ScratchFile {
    std::string path;
    ScratchFile() {
        const char* dir = std::getenv("TMPDIR");
        std::string pattern = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/kestra-fuzz-XXXXXX";
        int fd = ::mkstemp(pattern.data());
        if (fd >= 0) {
            ::close(fd);
            path = pattern;
        }
    }
    ~ScratchFile() {
        if (!path.empty()) ::unlink(path.c_str());
    }
};

}  // namespace

std::string write_temp_file(const std::uint8_t* data, std::size_t size) {
    static ScratchFile scratch;
    if (scratch.path.empty()) return {};
    std::FILE* f = std::fopen(scratch.path.c_str(), "wb");
    if (f == nullptr) return {};
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    ok = std::fclose(f) == 0 && ok;
    return ok ? scratch.path : std::string();
}

}  // namespace kestra::fuzz
