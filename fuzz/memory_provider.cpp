#include "memory_provider.h"

#include <cstring>

namespace kestra::fuzz {

namespace {

MemoryProvider& p() { return MemoryProvider::instance(); }

std::int16_t transmit(std::uint8_t, const char*, std::uint16_t length, std::uint8_t) {
    p().transmitted += length;
    return 0;
}

std::int16_t put_back(std::uint8_t) {
    delete[] p().held;
    p().held = nullptr;
    if (p().outstanding > 0) --p().outstanding;
    return 0;
}

std::int16_t get_received(std::uint8_t, char** data, std::uint16_t* length, std::uint8_t) {
    if (p().receives.empty()) return 99;
    // A buffer the caller did not put back is lost by the caller, not by the provider.
    delete[] p().held;
    std::string next = std::move(p().receives.front());
    p().receives.pop_front();
    p().held = new char[next.empty() ? 1 : next.size()];
    if (!next.empty()) std::memcpy(p().held, next.data(), next.size());
    ++p().outstanding;
    *data = p().held;
    *length = static_cast<std::uint16_t>(next.size());
    return 0;
}

}  // namespace

MemoryProvider& MemoryProvider::instance() {
    static MemoryProvider provider;
    return provider;
}

void MemoryProvider::reset() {
    receives.clear();
    delete[] held;
    held = nullptr;
    transmitted = 0;
    outstanding = 0;
}

ProviderEntryTable MemoryProvider::table() const {
    ProviderEntryTable t{};
    t.transmit_buffer = transmit;
    t.get_received_buffer = get_received;
    t.put_into_receive = put_back;
    t.put_into_local = put_back;
    return t;
}

}  // namespace kestra::fuzz
