// The connect script as a login runs it over the in-memory provider: what reaches the line, what the script trace
// shows, and how a failed section leaves the provider.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/admin_app.h"
#include "corvel/corvel.h"
#include "hostlink/host_session.h"
#include "hostlink/password_scramble.h"
#include "hostlink/sqlstate.h"
#include "support/fake_provider.h"
#include "support/temp_dir.h"

using namespace kestra::hostlink;
using kestra::app::admin_app;
using kestra::app::CAdminApp;
using kestra::testing::fake_provider;
using kestra::testing::ScopedIni;
using kestra::testing::TempDir;

namespace {

int fake_entry_points(ProviderEntryTable* table) {
    *table = fake_provider().table();
    return 0;
}

// Answers version, login and options; script text (shorter than a header) gets no answer.
std::vector<std::string> login_host(std::string_view sent) {
    const std::string msg(sent);
    if (msg.size() < 14 || msg.compare(0, 3, "#@!") != 0) return {};
    const int kind = msg[6] - '0';
    const int code = std::atoi(msg.substr(7, 3).c_str());
    auto& fp = fake_provider();
    if (kind == 0 && code == 0) return {fp.next_host_message(0, 0, "007123021HOSTSIM 5.abc022")};
    if (kind == 0 && code == 4) return {fp.next_host_message(0, 4, "001920")};
    if (kind == 2 && code == 8) return {fp.next_host_message(2, 8, "010")};
    return {};
}

class ConnectScript : public ::testing::Test {
protected:
    void SetUp() override {
        fake_provider().reset();
        fake_provider().responder = login_host;
        corvel_register_static_provider("Fake", fake_entry_points);
        session.set_provider_name("Fake");
        session.set_connection_name("HOST1");
    }
    void TearDown() override {
        corvel_register_static_provider(nullptr, nullptr);
        EXPECT_EQ(fake_provider().buffers_outstanding, 0);
        fake_provider().reset();
        admin_app() = CAdminApp();
    }
    // A kestra.ini with the script trace on and the [connect] section given.
    void use_script(const std::string& connect_section) {
        const std::string script = dir.write("host.scr", "[connect]\n" + connect_section + "\n[disconnect]\n");
        ini_path = dir.write("kestra.ini", "[script]\ntrace=1\ntracefile=" + dir.file("script.txt") +
                                               "\nFake_HOST1_scriptfile=" + script + "\n");
        ini = std::make_unique<ScopedIni>(ini_path);
        admin_app() = CAdminApp();
        admin_app().load_settings(ini_path);
    }
    std::string trace() const { return TempDir::read(dir.file("script.txt")); }
    bool traced(const std::string& line) const { return trace().find(line + "\r\n") != std::string::npos; }
    std::string last_text() const {
        return session.diagnostics().empty() ? std::string() : session.diagnostics().back().text;
    }
    // Every provider call undone: connection closed, library shut down, nothing bound.
    void expect_released() {
        EXPECT_EQ(fake_provider().close_calls, 1);
        EXPECT_EQ(fake_provider().shutdown_calls, fake_provider().initialize_calls);
        EXPECT_EQ(session.connection(), 0);
        EXPECT_EQ(session.provider_index(), -1);
        EXPECT_FALSE(session.logged_in());
    }

    TempDir dir;
    std::string ini_path;
    std::unique_ptr<ScopedIni> ini;
    CHostSession session;
};

TEST_F(ConnectScript, ThePasswordNeverReachesTheTraceButTheLineGetsIt) {
    use_script("send \"#userid/#PASSWORD\"");
    ASSERT_EQ(session.host_login("FRED", scramble_password("secret"), ""), 0);
    ASSERT_FALSE(fake_provider().transmitted.empty());
    EXPECT_EQ(fake_provider().transmitted.front(), "FRED/secret");
    EXPECT_TRUE(traced("insert userid=FRED")) << trace();
    EXPECT_TRUE(traced("insert password=********")) << trace();
    EXPECT_TRUE(traced("send len=11 text=FRED/********")) << trace();
    EXPECT_EQ(trace().find("secret"), std::string::npos) << trace();
    session.disconnect_host();
}

TEST_F(ConnectScript, TheUserIdIsCutOnceForTheScriptAndTheLogin) {
    use_script("send \"#USERID\"");
    const std::string long_id(25, 'U');
    ASSERT_EQ(session.host_login(long_id, scramble_password("pw"), ""), 0);
    const std::string cut(kLoginFieldMax, 'U');
    EXPECT_EQ(fake_provider().transmitted.at(0), cut);
    EXPECT_TRUE(traced("insert userid=" + cut)) << trace();
    // The login body names the same user: after the script text, the version request, then the login.
    ASSERT_GE(fake_provider().transmitted.size(), 3u);
    const std::string login = fake_provider().transmitted.at(2);
    EXPECT_NE(login.find(cut + "/"), std::string::npos) << login;
    EXPECT_EQ(login.find(cut + "U"), std::string::npos) << login;
    session.disconnect_host();
}

TEST_F(ConnectScript, ASendLongerThanTheMessageSizeIsNeverSentInPart) {
    fake_provider().info = {128, 128, 0};
    use_script("send \"" + std::string(200, 'x') + "\"");
    EXPECT_EQ(session.host_login("FRED", scramble_password("pw"), ""), -1);
    EXPECT_TRUE(traced("send text too long")) << trace();
    EXPECT_TRUE(fake_provider().transmitted.empty());
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Transmit error in script connect");
    expect_released();
}

TEST_F(ConnectScript, AFailedReceiveClosesTheScriptAndReleasesTheProvider) {
    use_script("send \"HELLO\"\nreceive \"WELCOME\"");
    fake_provider().queue_receive_result(1);
    EXPECT_EQ(session.host_login("FRED", scramble_password("pw"), ""), -1);
    ASSERT_EQ(session.diagnostics().size(), 1u);
    EXPECT_EQ(session.diagnostics().front().sqlstate_index, kSqlConnectFailure);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]receive error in script");
    expect_released();
    // A later login starts from a clean session: the script runs again from its start.
    fake_provider().close_calls = 0;
    fake_provider().queue_received("WELCOME ABOARD");
    ASSERT_EQ(session.host_login("FRED", scramble_password("pw"), ""), 0) << last_text();
    session.disconnect_host();
}

TEST_F(ConnectScript, AFailedTransmitReleasesTheProvider) {
    use_script("send \"HELLO\"");
    fake_provider().transmit_result = 1;
    EXPECT_EQ(session.host_login("FRED", scramble_password("pw"), ""), -1);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Transmit error in script connect");
    expect_released();
}

}  // namespace
