#include "fuzz_temp_file.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace kestra::fuzz {

namespace {

struct ScratchFile {
    std::string path;
    ScratchFile() {
        // Memory-backed when there is such a folder: rewriting a file on disk a million times costs more than the
        // reader under test.
        const char* tmp = std::getenv("TMPDIR");
        for (const char* dir : {"/dev/shm", tmp != nullptr && *tmp != '\0' ? tmp : "/tmp"}) {
            std::string pattern = std::string(dir) + "/kestra-fuzz-XXXXXX";
            int fd = ::mkstemp(pattern.data());
            if (fd >= 0) {
                ::close(fd);
                path = pattern;
                return;
            }
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
