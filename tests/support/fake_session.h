#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/admin_app.h"
#include "hostlink/host_session.h"
#include "support/fake_provider.h"

namespace kestra::testing {

// A logged-in-looking session over the in-memory provider, ready for requests: connection 1, time-outs of 30,
// a message buffer of the given size. Every buffer handed out must have been handed back by the end of a test.
class FakeSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_provider().reset();
        app::admin_app() = app::CAdminApp();
        start(200);
    }
    void TearDown() override {
        EXPECT_EQ(fake_provider().buffers_outstanding, 0);
        fake_provider().reset();
        app::admin_app() = app::CAdminApp();
    }
    void start(std::uint16_t message_size) {
        session = hostlink::CHostSession();
        session.set_provider(fake_provider().table());
        session.set_connection(1);
        session.set_timeouts(30, 30);
        session.set_message_size(message_size);
        ASSERT_EQ(session.alloc_host_msg_buffer(), 0);
    }
    // Queues a reply of kind 2 with the fake host's next sequence character.
    void queue(int code, const std::string& data) {
        fake_provider().queue_received(fake_provider().next_host_message(2, code, data));
    }
    // The body of the n-th transmitted message.
    static std::string sent_body(std::size_t n) { return fake_provider().transmitted.at(n).substr(14); }
    std::string last_text() const {
        return session.diagnostics().empty() ? std::string() : session.diagnostics().back().text;
    }

    hostlink::CHostSession session;
};

}  // namespace kestra::testing
