#include "e2e_host.h"

#include "platform/profile_file.h"

namespace kestra::testing {

E2eHost::E2eHost(HostsimProcess::Options options) : host_(std::move(options)) {
    set("admin", "UID", "ADMIN");
    set("admin", "connection", "HOST1");
}

ProcessResult E2eHost::kestra(const std::vector<std::string>& args, const std::string& password) const {
    std::vector<std::string> all = {"--ini", host_.ini_path()};
    all.insert(all.end(), args.begin(), args.end());
    return run_kestra(all, {{"KESTRA_PASSWORD", password}});
}

void E2eHost::set(const std::string& section, const std::string& key, const std::string& value) const {
    platform::write_private_profile_string(section, key, value.c_str(), host_.ini_path());
}

}  // namespace kestra::testing
