#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/admin_app.h"
#include "corvel/corvel.h"
#include "hostlink/connect_dialog_model.h"
#include "hostlink/host_session.h"
#include "hostlink/password_scramble.h"
#include "hostlink/sqlstate.h"
#include "platform/profile_file.h"
#include "support/fake_provider.h"
#include "support/recording_ui_hooks.h"
#include "support/temp_dir.h"

using namespace kestra::hostlink;
using kestra::app::admin_app;
using kestra::app::CAdminApp;
using kestra::testing::fake_provider;
using kestra::testing::FakeProvider;
using kestra::testing::ScopedIni;
using kestra::testing::TempDir;

namespace {

const std::string kPrefix = "[Brisel Software][Kestra ODBC Driver]";

int fake_entry_points(ProviderEntryTable* table) {
    *table = fake_provider().table();
    return 0;
}

// A host that answers version, login and options, and records what it was sent.
std::vector<std::string> simple_host(std::string_view sent, const std::string& grant, const std::string& options,
                                     const std::string& version) {
    std::string msg(sent);
    if (msg.size() < 14) return {};
    int kind = msg[6] - '0';
    int code = std::atoi(msg.substr(7, 3).c_str());
    auto& fp = fake_provider();
    if (kind == 0 && code == 0) return {fp.next_host_message(0, 0, version)};
    if (kind == 0 && code == 4) return {fp.next_host_message(0, 4, "0" + grant)};
    if (kind == 2 && code == 8) return {fp.next_host_message(2, 8, "0" + options)};
    if (kind == 2 && code == 9) return {fp.next_host_message(2, 9, "0")};
    return {};
}

class Login : public ::testing::Test {
protected:
    void SetUp() override {
        fake_provider().reset();
        ini_path = dir.write("kestra.ini", "[corvel]\nproviders=\n");
        ini = std::make_unique<ScopedIni>(ini_path);
        admin_app() = CAdminApp();
        admin_app().load_settings(ini_path);
        corvel_register_static_provider("Fake", fake_entry_points);
        answer("01920", "10", "007123021HOSTSIM 5.abc022");
        session.set_provider_name("Fake");
        session.set_connection_name("HOST1");
    }
    void TearDown() override {
        corvel_register_static_provider(nullptr, nullptr);
        EXPECT_EQ(fake_provider().buffers_outstanding, 0);
        fake_provider().reset();
        admin_app() = CAdminApp();
    }
    void answer(std::string grant, std::string options, std::string version) {
        fake_provider().responder = [=](std::string_view sent) { return simple_host(sent, grant, options, version); };
    }
    std::vector<std::string> texts() {
        std::vector<std::string> out;
        for (const auto& d : session.diagnostics()) out.push_back(std::string(sqlstate_for(d.sqlstate_index)) + " " + d.text);
        return out;
    }
    std::string sent_body(std::size_t i) const {
        const auto& t = fake_provider().transmitted.at(i);
        return t.substr(14);
    }

    TempDir dir;
    std::string ini_path;
    std::unique_ptr<ScopedIni> ini;
    CHostSession session;
    kestra::testing::RecordingUiHooks hooks;
};

TEST_F(Login, LogsInWithUpperCaseBodyAndReadsTheGrantAndOptions) {
    ASSERT_EQ(session.host_login("fred", scramble_password("secret"), "acct"), 0) << texts().front();
    EXPECT_TRUE(session.logged_in());
    EXPECT_EQ(session.message_size(), 1920);
    EXPECT_EQ(session.data_limit(), 1906);
    EXPECT_TRUE(session.default_options().update_allowed);
    EXPECT_FALSE(session.default_options().return_groups);
    // version, login, options
    ASSERT_EQ(fake_provider().transmitted.size(), 3u);
    EXPECT_EQ(fake_provider().transmitted[0].substr(0, 14), "#@!90000000000");
    EXPECT_EQ(sent_body(1), "101920FRED/SECRET/ACCT.");
    EXPECT_EQ(fake_provider().transmitted[1][3], '0');
    EXPECT_EQ(std::string(session.host_version_text()), "HOSTSIM 5");
    EXPECT_EQ(fake_provider().opened_names, std::vector<std::string>{"HOST1"});
    EXPECT_EQ(hooks.shown, hooks.restored);

    EXPECT_EQ(session.host_logout(), 0);
    EXPECT_FALSE(session.logged_in());
    EXPECT_EQ(sent_body(3), "");
    EXPECT_EQ(fake_provider().transmitted[3].substr(6, 4), "0003");
    EXPECT_EQ(fake_provider().close_calls, 1);
    EXPECT_EQ(fake_provider().shutdown_calls, 1);
}

TEST_F(Login, PasswordBeginningWithADotAndEmptyChargecodeAreLeftOut) {
    ASSERT_EQ(session.host_login("fred", scramble_password(".skip"), ""), 0);
    EXPECT_EQ(sent_body(1), "101920FRED.");
}

TEST_F(Login, ProviderSizeIsProposedAndASmallerGrantIsTaken) {
    fake_provider().info = {4000, 3000, 1};
    answer("02000", "01", "007123021HOSTSIM.xxx022");
    ASSERT_EQ(session.host_login("u", scramble_password("p"), ""), 0);
    EXPECT_EQ(sent_body(1), "103000U/P.");
    EXPECT_EQ(session.message_size(), 2000);
    EXPECT_FALSE(session.default_options().update_allowed);
    EXPECT_TRUE(session.default_options().return_groups);
}

TEST_F(Login, AGrantAboveTheBufferNeverExceedsItAndATinyGrantFails) {
    answer("09999", "00", "007123021HOSTSIM.xxx022");
    ASSERT_EQ(session.host_login("u", scramble_password("p"), ""), 0);
    EXPECT_EQ(session.message_size(), 1920);
    session.host_logout();

    answer("00100", "00", "007123021HOSTSIM.xxx022");
    EXPECT_NE(session.host_login("u", scramble_password("p"), ""), 0);
    EXPECT_FALSE(session.logged_in());
    EXPECT_EQ(texts().back(), "08S01 " + kPrefix + "Cannot Login to host server");
}

TEST_F(Login, VersionMismatchQueuesTwoDiagnosticsAndDisconnects) {
    answer("01920", "00", "007123020HOSTSIM.xxx022");
    EXPECT_NE(session.host_login("u", scramble_password("p"), ""), 0);
    auto t = texts();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0], "S1000 " + kPrefix + "Host(20)/Micro(21) protocol version mismatch");
    EXPECT_EQ(t[1], "S1000 " + kPrefix + "Cannot determine version of host software");
    EXPECT_EQ(fake_provider().close_calls, 1);
    EXPECT_EQ(fake_provider().shutdown_calls, 1);
    EXPECT_EQ(session.provider_index(), -1);
}

TEST_F(Login, RejectedLoginKeepsTheHostRecords) {
    fake_provider().responder = [](std::string_view sent) -> std::vector<std::string> {
        std::string msg(sent);
        if (msg.substr(6, 4) == "0000") return {fake_provider().next_host_message(0, 0, "007123021H.xxx022")};
        if (msg.substr(6, 4) == "0004")
            return {fake_provider().next_host_message(0, 4, "200140012Bad password0000")};
        return {};
    };
    EXPECT_EQ(session.host_login("u", scramble_password("p"), ""), -1);
    ASSERT_EQ(texts().size(), 1u);
    EXPECT_EQ(texts()[0], "28000 Bad password");
    EXPECT_EQ(fake_provider().close_calls, 1);
}

// A reply that carries no status digit, or a refusal that carries no record, still says why the login failed.
TEST_F(Login, SilentRepliesAtEachStepStillLeaveADiagnostic) {
    struct Case {
        const char* step;  // kind and code of the request that gets the silent reply
        const char* data;
        std::string expected;
    };
    const Case cases[] = {
        {"0000", "", "08S01 " + kPrefix + "Cannot get host server version"},
        {"0004", "", "08S01 " + kPrefix + "Cannot Login to host server"},
        {"0004", "2", "S1000 " + kPrefix + "Cannot Login to host server"},
        {"2008", "", "08S01 " + kPrefix + "Cannot get options from host"},
        {"2008", "2", "S1000 " + kPrefix + "Cannot get options from host"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.step) + " \"" + c.data + "\"");
        session.clear_errors();
        fake_provider().responder = [&c](std::string_view sent) -> std::vector<std::string> {
            const std::string msg(sent);
            const int kind = msg[6] - '0';
            const int code = std::atoi(msg.substr(7, 3).c_str());
            if (msg.substr(6, 4) == c.step) return {fake_provider().next_host_message(kind, code, c.data)};
            return simple_host(sent, "01920", "10", "007123021HOSTSIM 5.abc022");
        };
        EXPECT_EQ(session.host_login("u", scramble_password("p"), ""), -1);
        EXPECT_FALSE(session.logged_in());
        const std::vector<std::string> shown = texts();
        EXPECT_NE(std::find(shown.begin(), shown.end(), c.expected), shown.end()) << ::testing::PrintToString(shown);
    }
}

TEST_F(Login, UnknownProviderQueuesOneConnectDiagnostic) {
    session.set_provider_name("Nowhere");
    EXPECT_EQ(session.host_login("u", scramble_password("p"), ""), -1);
    ASSERT_EQ(texts().size(), 1u);
    EXPECT_EQ(texts()[0], "08001 " + kPrefix + "Invalid communications provider: Nowhere");
    EXPECT_EQ(fake_provider().initialize_calls, 0);
}

TEST_F(Login, FailedOpenIsShutDownAndReleased) {
    fake_provider().open_result = 3;
    EXPECT_EQ(session.host_login("u", scramble_password("p"), ""), -1);
    ASSERT_EQ(texts().size(), 1u);
    EXPECT_EQ(texts()[0], "08001 " + kPrefix + "Unable to connect to data source");
    EXPECT_EQ(fake_provider().initialize_calls, 1);
    EXPECT_EQ(fake_provider().shutdown_calls, 1);
    EXPECT_EQ(fake_provider().close_calls, 0);
    EXPECT_EQ(session.connection(), 0);
    EXPECT_EQ(session.provider_index(), -1);
}

TEST_F(Login, ATooSmallProviderBufferFailsTheConnectAndClosesIt) {
    fake_provider().info = {100, 100, 1};
    EXPECT_EQ(session.host_login("u", scramble_password("p"), ""), -1);
    EXPECT_EQ(texts().at(0), "08001 " + kPrefix + "Unable to connect to data source");
    EXPECT_EQ(fake_provider().close_calls, 1);
    EXPECT_EQ(fake_provider().shutdown_calls, 1);
}

TEST_F(Login, SetOptionsSendsBothFlags) {
    ASSERT_EQ(session.host_login("u", scramble_password("p"), ""), 0);
    session.default_options().update_allowed = false;
    session.default_options().return_groups = true;
    EXPECT_EQ(session.default_options().set(session), 0);
    EXPECT_EQ(fake_provider().transmitted.back().substr(6), "2009000201");
}

TEST(PasswordScramble, XorWithPositionOverTheStoredLength) {
    std::string s = scramble_password("abc");
    EXPECT_EQ(s, std::string({'a' ^ 1, 'b' ^ 2, 'c' ^ 3}));
    EXPECT_EQ(scramble_password(s), "abc");
    // A byte equal to its position becomes zero and still comes back.
    std::string odd = std::string("\x01") + "x";
    EXPECT_EQ(scramble_password(odd)[0], '\0');
    EXPECT_EQ(scramble_password(scramble_password(odd)), odd);
    EXPECT_EQ(scramble_password(std::string(30, 'p')).size(), 18u);
}

class ConnectDialog : public Login {};

TEST_F(ConnectDialog, OpensWithSavedKeysAndSelectsTheFirstProviderForAnUnknownName) {
    ASSERT_TRUE(kestra::platform::write_private_profile_string("admin", "provider", "Gone", ini_path));
    ASSERT_TRUE(kestra::platform::write_private_profile_string("admin", "UID", "FRED", ini_path));
    fake_provider().connection_names = std::string("HOST1\0A_RATHER_LONG_PATH_NAME_31\0", 34);
    ConnectDialogModel dlg(session, ini_path);
    dlg.open();
    ASSERT_EQ(dlg.providers(), std::vector<std::string>{"Fake"});
    EXPECT_EQ(dlg.selected_provider(), 0);
    EXPECT_EQ(dlg.user_id, "FRED");
    EXPECT_EQ(dlg.initial_focus(), ConnectDialogModel::Focus::Password);
    EXPECT_EQ(dlg.connection_names(), (std::vector<std::string>{"HOST1", "A_RATHER_LONG_PATH_NAME_31"}));
    EXPECT_TRUE(dlg.configure_enabled());
}

TEST_F(ConnectDialog, OkRefusesBlankFieldsThenSavesKeysButNeverThePassword) {
    fake_provider().connection_names = std::string("HOST1\0HOST2\0", 12);
    ConnectDialogModel dlg(session, ini_path);
    dlg.open();
    dlg.user_id = "   ";
    auto r = dlg.ok();
    EXPECT_FALSE(r.accepted);
    EXPECT_TRUE(r.beep);
    EXPECT_EQ(r.focus, ConnectDialogModel::Focus::UserId);
    dlg.user_id = "fred";
    EXPECT_EQ(dlg.ok().focus, ConnectDialogModel::Focus::Password);
    dlg.password = "pw";
    dlg.select_connection(1);
    ASSERT_TRUE(dlg.ok().accepted);
    EXPECT_EQ(hooks.shown, hooks.restored);  // the wait cursor ended on every way out
    EXPECT_EQ(session.provider_name(), "Fake");
    EXPECT_EQ(session.connection_name(), "HOST2");
    EXPECT_EQ(scramble_password(dlg.scrambled_password()), "pw");
    std::string saved = TempDir::read(ini_path);
    EXPECT_NE(saved.find("UID=fred"), std::string::npos);
    EXPECT_NE(saved.find("connection=HOST2"), std::string::npos);
    EXPECT_EQ(saved.find("pw"), std::string::npos);
    EXPECT_EQ(saved.find("chargecode"), std::string::npos);  // empty removes the key
}

TEST_F(ConnectDialog, ConfigureIsOffWheneverNoProviderIsHeld) {
    fake_provider().connection_names = std::string("HOST1\0", 6);
    {
        ConnectDialogModel dlg(session, ini_path);
        dlg.open();
        EXPECT_TRUE(dlg.configure_enabled());
        dlg.cancel();
        EXPECT_FALSE(dlg.configure_enabled());
    }
    {
        ConnectDialogModel dlg(session, ini_path);
        dlg.open();
        dlg.user_id = "fred";
        dlg.password = "pw";
        dlg.select_connection(0);
        ASSERT_TRUE(dlg.ok().accepted);
        EXPECT_FALSE(dlg.configure_enabled());
    }
    {
        // A provider whose initialize fails is let go at once; there is nothing to configure.
        fake_provider().initialize_result = 1;
        ConnectDialogModel dlg(session, ini_path);
        dlg.open();
        EXPECT_TRUE(dlg.connection_names().empty());
        EXPECT_FALSE(dlg.configure_enabled());
        EXPECT_EQ(dlg.configure(nullptr), 0);
    }
}

}  // namespace
