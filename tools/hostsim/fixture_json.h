#pragma once

#include <string>

#include "host_state.h"

namespace kestra::hostsim {

// Reads a fixture into state. Returns 0, or 1 with a message naming the offending place
// in error; state is left untouched on failure.
int load_fixture_file(const std::string& path, HostState& state, std::string& error);
int load_fixture_text(const std::string& text, HostState& state, std::string& error);

// Writes state in the fixture form, so that a saved host can be reloaded. Returns 0 or 1.
int save_fixture_file(const std::string& path, const HostState& state, std::string& error);
std::string fixture_text(const HostState& state);

}  // namespace kestra::hostsim
