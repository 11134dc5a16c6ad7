#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "configsvc/config_client.h"
#include "model/desc_catalogue_entries.h"

namespace kestra::configsvc {

// Requests on the host's catalogue of description files. Each returns 0, or the non-zero code of the failure with
// the reason queued on the client's session. A list that ended early returns -1 and keeps what was read.

inline constexpr const char* kDescfileListFailure = "Cannot get description file list";
inline constexpr const char* kDatabaseListFailure = "Cannot get description file database list";
inline constexpr const char* kDatabaseListReceiveError = "Receive error getting database list";
inline constexpr const char* kDatasetListFailure = "Cannot get description file data set list";
inline constexpr const char* kDatasetListReceiveError = "Receive error getting data set list";
inline constexpr const char* kNoDescfileName = "No description file name given";
inline constexpr const char* kDescfileNameRule = "description file name must include both a usercode and packname";

using DatabaseList = std::vector<std::unique_ptr<model::CDescDatabaseEntry>>;
using DatasetList = std::vector<std::unique_ptr<model::CDescDatasetEntry>>;

// The rule a description file name must meet before the database list is asked for: a name, beginning with "("
// and a ")" later, or with "*", and " ON " after that point (letter case ignored). Returns the refusal text, or
// nullptr when the name passes.
const char* descfile_name_problem(std::string_view name);

// Request 12: the description files, in host order. `names` is emptied first.
std::int16_t get_descfile_list(CConfigClient& client, std::vector<std::string>& names);

// Request 3 for `descfile_name`: `databases` is emptied first, then holds one entry per database in host order. A
// name that breaks the rule above is refused with index 3 before anything is sent.
std::int16_t get_descfile_databases(CConfigClient& client, std::string_view descfile_name, DatabaseList& databases);

// Request 4: the datasets and sets of `database`, held with it. The receive time-out is lifted for the request and
// put back on every way out. Only a whole list marks the datasets held.
std::int16_t get_descfile_datasets(CConfigClient& client, std::string_view descfile_name,
                                   model::CDescDatabaseEntry& database);

// The dataset order: by base dataset ignoring case; under one base the dataset first, then its sets by name
// ignoring case.
bool dataset_order_less(const model::CDescDatasetEntry& a, const model::CDescDatasetEntry& b);
// Sorts into the dataset order; entries that compare equal keep their host order.
void sort_datasets(DatasetList& datasets);

}  // namespace kestra::configsvc
