#pragma once

#include <string>
#include <vector>

#include "model/config_limits.h"
#include "model/global_options.h"

namespace kestra::workspace {

// The lines the configuration view shows in its global mode: the report's global options in the report's order,
// shortened ("Date Base:" and "AppName =" run straight into their values, the guard file left out). The date base
// is written in the short date picture of the settings.
std::vector<std::string> global_lines(const model::CGlobalOptions& options);

// The four lines of the view's limits mode: where required, linear selects, linear joins, row limit.
std::vector<std::string> limit_lines(const model::CConfigLimits& limits);

}  // namespace kestra::workspace
