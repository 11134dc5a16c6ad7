#pragma once

#include <iosfwd>

namespace kestra::cli {

// kestra [GLOBAL OPTIONS] COMMAND [ARGS]; returns the exit status.
int run_cli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, std::istream& in);

}  // namespace kestra::cli
