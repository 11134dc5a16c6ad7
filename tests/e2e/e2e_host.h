#pragma once

#include <string>
#include <vector>

#include "support/cli_process.h"
#include "support/hostsim_process.h"

namespace kestra::testing {

// A test host on loopback and a kestra.ini that logs in to it as the sample fixture's administrator.
class E2eHost {
public:
    explicit E2eHost(HostsimProcess::Options options = {});

    // Runs kestra with --ini and the password in $KESTRA_PASSWORD.
    ProcessResult kestra(const std::vector<std::string>& args, const std::string& password = "secret") const;
    // Adds settings to the kestra.ini.
    void set(const std::string& section, const std::string& key, const std::string& value) const;

    HostsimProcess& host() { return host_; }
    const std::string& ini() const { return host_.ini_path(); }

private:
    HostsimProcess host_;
};

}  // namespace kestra::testing
