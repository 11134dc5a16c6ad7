#include "support/inprocess_host.h"

#include <cstdlib>

#include "app/admin_app.h"
#include "hostlink/host_session.h"
#include "hostlink/password_scramble.h"

namespace kestra::testing {

std::string InProcessHost::sample_fixture() {
    return KESTRA_SOURCE_DIR "/tools/hostsim/sample/sample.json";
}

InProcessHost::InProcessHost() : InProcessHost(Setup{}) {}

InProcessHost::InProcessHost(const Setup& setup) : path_name_(setup.path_name) {
    hostsim::ServerOptions options;
    options.data_file = sample_fixture();
    if (setup.granted > 0) {
        std::string fixture = TempDir::read(options.data_file);
        const std::string admin = "\"max_message_size\": 4096";
        const auto at = fixture.find(admin);
        if (at != std::string::npos)
            fixture.replace(at, admin.size(), "\"max_message_size\": " + std::to_string(setup.granted));
        options.data_file = dir_.write("fixture.json", fixture);
    }
    if (setup.adjust) setup.adjust(options);
    server_ = std::make_unique<hostsim::HostServer>(options);
    std::string error;
    started_ = server_->start(error) == 0;
    if (!started_) std::fprintf(stderr, "in-process host: %s\n", error.c_str());
    ini_ =
        dir_.write("kestra.ini", "[tcpip]\npaths=1\npath0=" + path_name_ +
                                     "\nhost0=127.0.0.1\nportno0=" + std::to_string(server_->port()) +
                                     "\nmaxbuffersize0=" + std::to_string(setup.buffer_size) + "\n" + setup.settings);
    ::setenv("KESTRA_INI", ini_.c_str(), 1);
    app::admin_app() = app::CAdminApp();
    app::admin_app().load_settings(ini_);
}

InProcessHost::~InProcessHost() {
    if (server_) server_->stop();
    ::unsetenv("KESTRA_INI");
}

std::int16_t InProcessHost::login(hostlink::CHostSession& session, const std::string& user,
                                  const std::string& password) const {
    if (!started_) return hostlink::kError;
    session.set_provider_name("Tavlink");
    session.set_connection_name(path_name_);
    return session.host_login(user, hostlink::scramble_password(password), "");
}

}  // namespace kestra::testing
