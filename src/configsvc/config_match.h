#pragma once

#include <vector>

#include "model/config_file.h"

namespace kestra::configsvc {

// Which entries of two versions of a configuration file stand for the same thing. Numbers the host assigns do not
// identify an entry: tables are matched by name, host fields by host name, user-defined and calculated fields by
// name, applications by program name, all ignoring letter case. A join table or a user-defined or calculated field
// left over on both sides with the same host number (and kind) is taken for a rename, as their editors rename them.
template <class T>
struct Match {
    const T* a = nullptr;  // nullptr: only in b (added)
    const T* b = nullptr;  // nullptr: only in a (removed)
};

// In the order of a, then the entries only in b in their order.
std::vector<Match<model::CConfigTable>> match_tables(const model::CConfigFile& a, const model::CConfigFile& b);
std::vector<Match<model::CConfigField>> match_fields(const model::CConfigTable& a, const model::CConfigTable& b);
std::vector<Match<model::CPcApplication>> match_applications(const model::CConfigFile& a, const model::CConfigFile& b);

// What names a field in a document and in messages: its name, else its host name.
const std::string& field_label(const model::CConfigField& field);

}  // namespace kestra::configsvc
