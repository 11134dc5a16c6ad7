#include "corvel/provider_abi.h"
#include "tavlink/tavlink_provider.h"

extern "C" __attribute__((visibility("default"))) int corvel_provider_entry_points(ProviderEntryTable* table) {
    if (table == nullptr) return 1;
    kestra::tavlink::fill_entry_table(table);
    return 0;
}

// Settings are read once, when the library is loaded.
__attribute__((constructor)) static void tavlink_library_loaded() { kestra::tavlink::load_library_settings(); }
