#pragma once

#include <cstdint>
#include <string>

namespace kestra::hostlink {

// One queued error record. The text is kept whole; it is cut only when it is taken off the queue.
struct HostDiagnostic {
    std::uint16_t sqlstate_index = 0;
    std::uint32_t native_error = 0;
    std::string text;
};

}  // namespace kestra::hostlink
