#pragma once

#include <span>
#include <string>

#include "cli/command_registry.h"

namespace kestra::cli {

// kestra archive ARCHIVE: lists an archive's entries; needs no host.
int run_archive(CliContext& ctx, std::span<const std::string> args);

}  // namespace kestra::cli
