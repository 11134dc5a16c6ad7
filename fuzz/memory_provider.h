#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "corvel/provider_abi.h"

namespace kestra::fuzz {

// A comms provider over a queue of canned received buffers. Each buffer is handed out in a heap block of exactly
// its size and freed when it is put back, so the sanitizers see any read past it or after the release. An empty
// queue answers 99 (time-out).
struct MemoryProvider {
    std::deque<std::string> receives;
    char* held = nullptr;
    std::size_t transmitted = 0;
    int outstanding = 0;

    static MemoryProvider& instance();
    void reset();
    ProviderEntryTable table() const;
};

}  // namespace kestra::fuzz
