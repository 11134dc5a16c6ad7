#pragma once

#include <cstdint>

namespace kestra::tavlink {

// The setup dialog lives in a library of its own, beside the provider's, so the provider itself never loads a
// window system: `configure` opens it only when called. Its one export runs the dialog modally over `owner` (a
// window of the calling program) on the paths of `ini_path`, and returns 1 after OK, 0 after Cancel, and -1 when
// the calling program has no windows to show it with.
inline constexpr const char* kSetupLibraryName = "libtavlink_setup.so";
inline constexpr const char* kSetupEntrySymbol = "tavlink_setup_run";
using SetupEntryFn = int (*)(void* owner, const char* ini_path, std::uint16_t global_port);

}  // namespace kestra::tavlink
