#pragma once

#include <cstdint>

namespace kestra::hostlink {

class CHostSession;

// The host's default table settings, shown and set in the "Options" dialog.
class CDefaultOptions {
public:
    // Request 8; 0 or the failure code with diagnostics queued.
    std::int16_t get(CHostSession& session);
    // Request 9 with both flags.
    std::int16_t set(CHostSession& session);

    CHostSession* session = nullptr;
    bool update_allowed = false;
    bool return_groups = false;
};

}  // namespace kestra::hostlink
