#include "host_rig.h"

#include <cstdlib>

#include "app/admin_app.h"
#include "hostlink/password_scramble.h"

namespace kestra::bench {

std::string HostRig::sample_fixture() { return HOSTSIM_SAMPLE; }

bool HostRig::start(const Options& options, std::string& error) {
    hostsim::ServerOptions so;
    so.data_file = options.fixture.empty() ? sample_fixture() : options.fixture;
    server_ = std::make_unique<hostsim::HostServer>(so);
    if (server_->start(error) != 0) return false;

    // No "corvel" section: the comms shell loads libtavlink.so from beside this program, as the product does.
    const std::string ini = dir_.write("kestra.ini", "[tcpip]\npaths=1\npath0=BENCH\nhost0=127.0.0.1\nportno0=" +
                                                         std::to_string(server_->port()) + "\nmaxbuffersize0=" +
                                                         std::to_string(options.buffer_size) + "\n");
    ::setenv("KESTRA_INI", ini.c_str(), 1);
    app::admin_app().load_settings(ini);

    session_.set_provider_name("Tavlink");
    session_.set_connection_name("BENCH");
    if (session_.host_login(options.user, hostlink::scramble_password(options.password), "") != hostlink::kSuccess) {
        error = "login failed:";
        for (const auto& d : session_.diagnostics()) error.append(" ").append(d.text);
        return false;
    }
    return true;
}

HostRig::~HostRig() {
    if (session_.logged_in()) session_.host_logout();
    if (server_) server_->stop();
}

}  // namespace kestra::bench
