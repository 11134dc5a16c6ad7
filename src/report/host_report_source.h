#pragma once

#include "configsvc/config_client.h"
#include "configsvc/pending_unload_list.h"
#include "report/report_source.h"

namespace kestra::report {

// Loads what the report prints from the host of a session. Failures leave their diagnostics queued on the session
// and are counted, so the caller can tell a complete report from one with "Cannot load" lines in it.
class HostReportSource : public CReportSource {
  public:
    HostReportSource(configsvc::CConfigClient& client, configsvc::CPendingUnloadList& pending)
        : client_(client), pending_(pending) {}

    bool load_application(model::CConfigFile& file, model::CPcApplication& app) override;
    bool load_table(model::CConfigFile& file, model::CConfigTable& table) override;
    bool load_field_list(model::CConfigTable& table) override;
    // Without save: the report changes nothing, and a table pending with save keeps its own flag.
    void unload_table(model::CConfigTable& table) override;

    int failures() const { return failures_; }

  private:
    bool count(std::int16_t rc);

    configsvc::CConfigClient& client_;
    configsvc::CPendingUnloadList& pending_;
    int failures_ = 0;
};

}  // namespace kestra::report
