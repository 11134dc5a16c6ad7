#include "cli/temp_files.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace kestra::cli {

namespace {

constexpr int kSlots = 8;
constexpr std::size_t kPathMax = 4096;

// Plain storage the handler can read without locks or allocation: a slot's path is written before its flag is
// raised and only read while the flag stands.
char paths[kSlots][kPathMax];
std::atomic<bool> used[kSlots];

extern "C" void remove_and_end(int sig) {
    for (int i = 0; i < kSlots; ++i)
        if (used[i].load(std::memory_order_acquire)) ::unlink(paths[i]);
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

}  // namespace

void install_temp_file_cleanup() {
    struct sigaction action {};
    action.sa_handler = remove_and_end;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

TempFileGuard::TempFileGuard(const std::string& path) {
    if (path.empty() || path.size() >= kPathMax) return;
    // The program registers from one thread; the handler reads a path only once its flag is raised.
    for (int i = 0; i < kSlots; ++i) {
        if (used[i].load(std::memory_order_acquire)) continue;
        std::memcpy(paths[i], path.c_str(), path.size() + 1);
        used[i].store(true, std::memory_order_release);
        slot_ = i;
        return;
    }
}

TempFileGuard::~TempFileGuard() {
    if (slot_ >= 0) used[slot_].store(false, std::memory_order_release);
}

}  // namespace kestra::cli
