#include <gtest/gtest.h>

#include "app/admin_app.h"
#include "configsvc/config_client.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"
#include "support/fake_provider.h"
#include "support/fake_session.h"

using namespace kestra::configsvc;
using kestra::hostlink::CHostSession;
using kestra::testing::fake_provider;

namespace {

// A session over the in-memory provider, ready for requests.
class ClientTest : public kestra::testing::FakeSessionTest {
protected:
    void queue(std::string data) { FakeSessionTest::queue(13, data); }

    // A list of S names with a 4-digit count.
    std::int16_t read_names(std::vector<std::string>& names, bool& failed) {
        CConfigClient client(session);
        BodyWriter body = client.body();
        body.stop();
        ReplyReader reply;
        std::int16_t rc = client.request(13, body, Upper::yes, "Cannot get config file list", reply);
        if (rc != 0) return rc;
        ListReader list(client, reply, 4, "Receive error getting config file names");
        while (list.next()) {
            std::string name;
            if (!list.reply().text(name)) {
                list.fail_entry();
                break;
            }
            names.push_back(name);
        }
        failed = list.failed();
        client.done();
        return rc;
    }
};

TEST_F(ClientTest, AListSplitOverThreeMessagesReadsAsOne) {
    queue("00004003ONE003TWO");
    queue("005THREE");
    queue("004FOUR");
    std::vector<std::string> names;
    bool failed = false;
    ASSERT_EQ(read_names(names, failed), 0);
    EXPECT_FALSE(failed);
    EXPECT_EQ(names, (std::vector<std::string>{"ONE", "TWO", "THREE", "FOUR"}));
    EXPECT_EQ(fake_provider().transmitted.at(0).substr(14), ".");
}

TEST_F(ClientTest, AnEmptyListReadsNothing) {
    queue("00000");
    std::vector<std::string> names;
    bool failed = true;
    ASSERT_EQ(read_names(names, failed), 0);
    EXPECT_FALSE(failed);
    EXPECT_TRUE(names.empty());
}

TEST_F(ClientTest, ACountPromisingMoreThanArrivesEndsWithTheReceiveError) {
    queue("00003003ONE");  // two more promised, none come: the provider times out
    std::vector<std::string> names;
    bool failed = false;
    ASSERT_EQ(read_names(names, failed), 0);
    EXPECT_TRUE(failed);
    EXPECT_EQ(names, std::vector<std::string>{"ONE"});
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Receive error getting config file names");
    EXPECT_TRUE(session.out_of_step());
}

TEST_F(ClientTest, AnEntryRunningPastItsMessageIsAReceiveErrorNotAnOverread) {
    queue("00002003ONE009TW");
    std::vector<std::string> names;
    bool failed = false;
    ASSERT_EQ(read_names(names, failed), 0);
    EXPECT_TRUE(failed);
    EXPECT_EQ(names, std::vector<std::string>{"ONE"});
}

TEST_F(ClientTest, ARefusalQueuesTheHostRecordsAndReleases) {
    queue("2000300161 FILE NOT FOUND0000");
    std::vector<std::string> names;
    bool failed = false;
    EXPECT_EQ(read_names(names, failed), -1);
    ASSERT_EQ(session.diagnostics().size(), 1u);
    EXPECT_EQ(last_text(), "1 FILE NOT FOUND");
}

// Every failed request leaves at least one record: a reply without a status digit is a receive error of the
// request, a refusal without the host's records the request's own failure.
TEST_F(ClientTest, SilentRepliesStillExplainTheFailure) {
    struct Case {
        std::string data;
        std::uint16_t index;
        const char* text;
        std::int16_t rc;
    };
    const Case cases[] = {
        {"", kestra::hostlink::kSqlLinkFailure, "Receive error getting config file names", -1},
        {"2", kestra::hostlink::kSqlGeneralFailure, "Cannot get config file list", -1},
        {"20000", kestra::hostlink::kSqlGeneralFailure, "Cannot get config file list", -1},
        {"3", kestra::hostlink::kSqlGeneralFailure, "Cannot get config file list", -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("reply \"" + c.data + "\"");
        session.clear_errors();
        queue(c.data);
        CConfigClient client(session);
        BodyWriter body = client.body();
        body.stop();
        ReplyReader reply;
        EXPECT_EQ(client.request(13, body, Upper::yes, "Cannot get config file list", reply,
                                 "Receive error getting config file names"),
                  c.rc);
        ASSERT_EQ(session.diagnostics().size(), 1u);
        EXPECT_EQ(session.diagnostics().back().sqlstate_index, c.index);
        EXPECT_EQ(last_text(), std::string("[Brisel Software][Kestra ODBC Driver]") + c.text);
    }
    // Without a receive-error message the failure message stands for both; "no data" is no failure to explain.
    session.clear_errors();
    queue("");
    CConfigClient client(session);
    BodyWriter first = client.body();
    EXPECT_EQ(client.simple_request(14, first, Upper::no, "Cannot add config file"), -1);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Cannot add config file");
    session.clear_errors();
    queue("5");
    BodyWriter second = client.body();
    EXPECT_EQ(client.simple_request(14, second, Upper::no, "Cannot add config file"), 100);
    EXPECT_TRUE(session.diagnostics().empty());
}

TEST_F(ClientTest, ABodyThatDoesNotFitIsRefusedUnsent) {
    CConfigClient client(session);
    BodyWriter body = client.body();
    body.text(std::string(300, 'x'));
    EXPECT_EQ(client.simple_request(14, body, Upper::yes, "Cannot get config file list"), -1);
    EXPECT_TRUE(fake_provider().transmitted.empty());
    EXPECT_EQ(session.diagnostics().back().sqlstate_index, kestra::hostlink::kSqlGeneralFailure);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Cannot get config file list");
}

TEST_F(ClientTest, NumberRepliesAndUpperCasedBodies) {
    queue("00042");
    CConfigClient client(session);
    BodyWriter body = client.body();
    body.text("new file");
    body.number(7, 4);
    body.stop();
    std::uint32_t number = 0;
    ASSERT_EQ(client.number_request(14, body, Upper::yes, "Cannot get config file list", number), 0);
    EXPECT_EQ(number, 42u);
    EXPECT_EQ(fake_provider().transmitted.at(0).substr(6), "2014001" "6008NEW FILE0007.");
}

}  // namespace
