#pragma once

#include <string>
#include <vector>

#include "model/config_file.h"

namespace kestra::configsvc {

// One difference between two versions of a configuration file.
struct DiffLine {
    enum class Op : char { added = '+', removed = '-', changed = '~' };
    std::string part;  // "global", "limits", "application X", "table T", "table T field F", "join J member 2"
    Op op = Op::changed;
    std::string key;        // empty: the whole part was added or removed
    std::string old_value;  // as the document spells it; empty for an added key
    std::string new_value;  // empty for a removed key
};

// What changes from `a` to `b`, grouped by part in the order of `a`, then what only `b` has. Numbers the host
// assigns (table, field and application numbers) are left out: they do not identify an entry and differ between
// files that are otherwise alike.
std::vector<DiffLine> diff_config_files(const model::CConfigFile& a, const model::CConfigFile& b);

// "PART" followed by "  ~ KEY: OLD -> NEW", "  + KEY: VALUE", "  - KEY: VALUE" lines, or "+ PART" / "- PART" for a
// whole entry; empty when there is no difference.
std::string format_diff_text(const std::vector<DiffLine>& lines);
// A JSON array of {"part", "op", "key", "old", "new"} objects and a final newline.
std::string format_diff_json(const std::vector<DiffLine>& lines);

}  // namespace kestra::configsvc
