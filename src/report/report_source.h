#pragma once

#include "model/config_file.h"

namespace kestra::report {

// Where the report gets what it loads item by item. Each load answers whether the record is now filled; a failed
// load has left its reason with the source, and the report carries on with the next item.
class CReportSource {
  public:
    virtual ~CReportSource() = default;

    virtual bool load_application(model::CConfigFile& file, model::CPcApplication& app) = 0;
    // A plain table's details, or a join table's members.
    virtual bool load_table(model::CConfigFile& file, model::CConfigTable& table) = 0;
    virtual bool load_field_list(model::CConfigTable& table) = 0;
    // Called for every table once it is written, loaded or not.
    virtual void unload_table(model::CConfigTable& table) = 0;
};

}  // namespace kestra::report
