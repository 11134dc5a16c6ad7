// A minimal provider: counts initialize calls so the tests can see the library really was loaded.
#include "corvel/provider_abi.h"

namespace {
int16_t initialize_count = 0;
int16_t init() { return ++initialize_count; }
int16_t stop() { return 0; }
}  // namespace

extern "C" __attribute__((visibility("default"))) int corvel_provider_entry_points(ProviderEntryTable* table) {
    table->initialize = init;
    table->shutdown = stop;
    return 0;
}
