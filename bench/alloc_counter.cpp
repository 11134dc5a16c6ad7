#include "alloc_counter.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

namespace {

// Per thread, so the test host's threads in the same process do not count towards the program's figures. A block
// freed on another thread than the one that allocated it skews both a little; the model is built and freed on
// the benchmark thread.
thread_local std::size_t live = 0;
thread_local std::size_t peak = 0;

[[maybe_unused]] void* counted(std::size_t n) {
    void* p = std::malloc(n == 0 ? 1 : n);
    if (p == nullptr) throw std::bad_alloc();
    live += ::malloc_usable_size(p);
    if (live > peak) peak = live;
    return p;
}

[[maybe_unused]] void release(void* p) noexcept {
    if (p == nullptr) return;
    const std::size_t n = ::malloc_usable_size(p);
    live = live > n ? live - n : 0;
    std::free(p);
}

}  // namespace

namespace kestra::bench {

std::size_t live_bytes() { return live; }
std::size_t peak_bytes() { return peak; }
void reset_peak() { peak = live; }

}  // namespace kestra::bench

// AddressSanitizer keeps its own operators, which blocks from other libraries are paired with; there the
// figures stay at zero.
#ifndef __SANITIZE_ADDRESS__
void* operator new(std::size_t n) { return counted(n); }
void* operator new[](std::size_t n) { return counted(n); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
#endif
