#pragma once

#include <span>
#include <string>

#include "cli/command_registry.h"

namespace kestra::cli {

// kestra check-expr [--type T] [--field NAME:TYPE]... TEXT: checks an expression or search condition; no host.
int run_check_expr(CliContext& ctx, std::span<const std::string> args);
// kestra check-calc [--kind K] [--field NAME:KIND]... TEXT: checks a calculation as the builder does; no host.
int run_check_calc(CliContext& ctx, std::span<const std::string> args);

}  // namespace kestra::cli
