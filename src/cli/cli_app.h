#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/command_registry.h"

namespace kestra::cli {

// kestra [GLOBAL OPTIONS] COMMAND [ARGS]; returns the exit status.
int run_cli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, std::istream& in);

// Runs one command with its arguments under the context's global options: "--help" describes it, "--json" among
// its options turns on JSON output for it, an argument holding a control character is refused, and text output
// shows control characters escaped. Used for the command line and for each line of a batch.
int run_command(CliContext& ctx, const std::string& name, std::vector<std::string> args);

// Flushes and closes standard output; false (after a message on standard error) when anything written to it
// was lost, as on a full disk.
bool finish_standard_output();

}  // namespace kestra::cli
