#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/bounded_text.h"
#include "model/text_limits.h"
#include "model/config_limits.h"
#include "model/config_table.h"

namespace kestra::model {

// One PC application allowed to use a configuration file.
class CPcApplication {
public:
    CPcApplication() = default;
    CPcApplication(const CPcApplication&) = delete;
    CPcApplication& operator=(const CPcApplication&) = delete;
    virtual ~CPcApplication() = default;

    std::int32_t app_number = 0;  // 3 digits; 0 until the host assigns one
    WireText program_name;
    bool update_allowed = false;
    bool local_limits = false;  // 0: the file's global limits apply
    bool table_list = false;    // 1: the application carries its own table list
    CConfigLimits limits;
    std::vector<std::unique_ptr<CConfigTable>> tables;  // table number and update allowed only
    bool changed = true;
    bool is_new = true;
};

}  // namespace kestra::model
