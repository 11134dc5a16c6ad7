#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "host_server.h"

namespace kestra::testing {

// The test host in this process, on a free loopback port, seeded with the sample fixture.
struct RunningHost {
    explicit RunningHost(const std::function<void(hostsim::ServerOptions&)>& adjust = {}) {
        hostsim::ServerOptions options;
        options.data_file = HOSTSIM_SAMPLE;
        if (adjust) adjust(options);
        server = std::make_unique<hostsim::HostServer>(options);
        std::string error;
        started = server->start(error) == 0;
        EXPECT_TRUE(started) << error;
    }
    int port() const { return server->port(); }

    std::unique_ptr<hostsim::HostServer> server;
    bool started = false;
};

}  // namespace kestra::testing
