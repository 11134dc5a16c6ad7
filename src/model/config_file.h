#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "model/bounded_text.h"
#include "model/config_limits.h"
#include "model/config_table.h"
#include "model/global_options.h"
#include "model/pc_application.h"

namespace kestra::model {

// The in-memory copy of the parts of one configuration file that have been fetched.
class CConfigFile {
public:
    CConfigFile() = default;
    CConfigFile(const CConfigFile&) = delete;
    CConfigFile& operator=(const CConfigFile&) = delete;
    virtual ~CConfigFile() = default;

    // Table by exact name; nullptr when none.
    CConfigTable* find_table(std::string_view table_name) const;

    WireText description;
    std::int32_t number = 0;          // names the file in list operations
    std::int32_t file_reference = 0;  // from the open request; names the file in requests on its contents
    bool modified = false;
    CGlobalOptions global_options;
    CConfigLimits limits;
    std::vector<std::unique_ptr<CConfigTable>> tables;
    std::vector<std::unique_ptr<CPcApplication>> applications;
};

}  // namespace kestra::model
