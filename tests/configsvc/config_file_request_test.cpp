#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/admin_app.h"
#include "configsvc/config_client.h"
#include "configsvc/config_file_names.h"
#include "configsvc/config_file_requests.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"
#include "support/fake_provider.h"
#include "support/fake_session.h"

using namespace kestra::configsvc;
using kestra::hostlink::CHostSession;
using kestra::model::CServerNode;
using kestra::testing::fake_provider;

namespace {

class ConfigFileRequestTest : public kestra::testing::FakeSessionTest {
protected:
    // What the request carried after the header.
    std::string sent(std::size_t i = 0) { return fake_provider().transmitted.at(i).substr(14); }

    // "number name" per node, indented by depth, as the tree reads.
    static std::string outline(const CServerNode& root) {
        std::string text;
        root.for_each_descendant([&](CServerNode& n) {
            text += std::string(2 * (n.depth() - 1), ' ') + std::to_string(n.config.number) + " " + n.name + "\n";
        });
        return text;
    }
    static std::string entry(int number, int level, const std::string& name) {
        char head[16];
        std::snprintf(head, sizeof head, "%04d%04d%03zu", number, level, name.size());
        return head + name;
    }

    CConfigClient client{session};
};

constexpr const char* kReceiveError = "[Brisel Software][Kestra ODBC Driver]Receive error getting config file names";

TEST_F(ConfigFileRequestTest, TheListBuildsTheTreeInTreeOrder) {
    queue(13, "00004" + entry(1, 0, "A") + entry(2, 1, "B") + entry(3, 2, "C") + entry(4, 0, "D"));
    CServerNode root;
    ASSERT_EQ(get_config_list(client, root), 0);
    EXPECT_EQ(sent(), ".");
    EXPECT_EQ(outline(root), "1 A\n  2 B\n    3 C\n4 D\n");
}

TEST_F(ConfigFileRequestTest, AnEmptyListLeavesOnlyTheRootAndEmptiesAnOldTree) {
    queue(13, "00000");
    CServerNode root;
    root.add_child("OLD", 9);
    ASSERT_EQ(get_config_list(client, root), 0);
    EXPECT_TRUE(root.children().empty());
    EXPECT_EQ(root.name, "Kestra Configuration Files");
}

TEST_F(ConfigFileRequestTest, AListSplitOverThreeMessagesGivesTheSameTreeAsOne) {
    const std::string a = entry(1, 0, "A"), b = entry(2, 1, "B"), c = entry(3, 1, "C"), d = entry(4, 2, "D");
    queue(13, "00004" + a + b + c + d);
    CServerNode one;
    ASSERT_EQ(get_config_list(client, one), 0);

    queue(13, "00004" + a);
    queue(13, b + c);
    queue(13, d);
    CServerNode three;
    ASSERT_EQ(get_config_list(client, three), 0);
    EXPECT_EQ(outline(three), outline(one));
    EXPECT_EQ(outline(one), "1 A\n  2 B\n  3 C\n    4 D\n");
}

TEST_F(ConfigFileRequestTest, ALevelTwoDeeperAttachesToTheCurrentNodeOfItsLevel) {
    // Y (level 3) comes right after C (level 1): level 3's current node is still X, set before C arrived.
    queue(13, "00005" + entry(1, 0, "A") + entry(2, 1, "B") + entry(3, 2, "X") + entry(4, 1, "C") +
                  entry(5, 3, "Y"));
    CServerNode root;
    ASSERT_EQ(get_config_list(client, root), 0);
    EXPECT_EQ(outline(root), "1 A\n  2 B\n    3 X\n      5 Y\n  4 C\n");
}

TEST_F(ConfigFileRequestTest, ALevelWithNoCurrentNodeEndsTheListKeepingWhatWasRead) {
    queue(13, "00003" + entry(1, 0, "A") + entry(2, 2, "SKIPS") + entry(3, 0, "B"));
    CServerNode root;
    EXPECT_EQ(get_config_list(client, root), -1);
    EXPECT_EQ(outline(root), "1 A\n");
    EXPECT_EQ(last_text(), kReceiveError);
    EXPECT_EQ(session.diagnostics().back().sqlstate_index, kestra::hostlink::kSqlLinkFailure);
}

TEST_F(ConfigFileRequestTest, TheTreeIsBoundedAtSixtyFourLevels) {
    session.set_message_size(2000);
    ASSERT_EQ(session.alloc_host_msg_buffer(), 0);
    std::string data = "00066";
    for (int level = 0; level <= 65; ++level) data += entry(level + 1, level, "N");
    queue(13, data);
    CServerNode root;
    EXPECT_EQ(get_config_list(client, root), -1);
    EXPECT_EQ(last_text(), kReceiveError);
    std::size_t deepest = 0;
    root.for_each_descendant([&](CServerNode& n) { deepest = std::max(deepest, n.depth()); });
    EXPECT_EQ(deepest, 65u);  // levels 0 to 64 were read; the entry of level 65 ended the list
}

TEST_F(ConfigFileRequestTest, ShortEntriesAndMissingContinuationsAreReceiveErrors) {
    queue(13, "00002" + entry(1, 0, "A") + "00020000009SHO");
    CServerNode root;
    EXPECT_EQ(get_config_list(client, root), -1);
    EXPECT_EQ(outline(root), "1 A\n");
    EXPECT_EQ(last_text(), kReceiveError);
    EXPECT_TRUE(session.out_of_step());
}

TEST_F(ConfigFileRequestTest, ACountPromisingMoreThanArrivesEndsWithTheReceiveError) {
    queue(13, "00003" + entry(1, 0, "A"));  // no continuation comes: the provider times out
    CServerNode root;
    EXPECT_EQ(get_config_list(client, root), -1);
    EXPECT_EQ(outline(root), "1 A\n");
    EXPECT_EQ(last_text(), kReceiveError);
}

TEST_F(ConfigFileRequestTest, AFailedSendEmptiesTheTreeAndPostsTheListFailure) {
    fake_provider().transmit_result = -1;
    CServerNode root;
    root.add_child("OLD", 1);
    EXPECT_NE(get_config_list(client, root), 0);
    EXPECT_TRUE(root.children().empty());
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Cannot get config file list");
}

TEST_F(ConfigFileRequestTest, AddSendsTheNameInUpperCase) {
    queue(14, "00012");
    std::uint32_t number = 0;
    ASSERT_EQ(add_config(client, "(admin)cfg/x on pk", 3, number), 0);
    EXPECT_EQ(number, 12u);
    EXPECT_EQ(sent(), "018(ADMIN)CFG/X ON PK0003.");
}

TEST_F(ConfigFileRequestTest, TheDeleteFlagIsTheFifthCharacter) {
    queue(15, "0");
    queue(15, "0");
    ASSERT_EQ(delete_config(client, 7, false), 0);
    ASSERT_EQ(delete_config(client, 7, true), 0);
    EXPECT_EQ(sent(0), "00070");
    EXPECT_EQ(sent(1), "00071");
}

TEST_F(ConfigFileRequestTest, BodiesOfTheOtherListRequests) {
    for (int code : {16, 17, 18, 19, 40, 46, 47, 48}) queue(code, code == 18 || code >= 46 ? "00031" : "0");
    std::uint32_t out = 0;
    ASSERT_EQ(move_config(client, 5, 0), 0);
    ASSERT_EQ(rename_config(client, 5, "*new on p"), 0);
    ASSERT_EQ(open_config(client, 5, out), 0);
    EXPECT_EQ(out, 31u);
    ASSERT_EQ(close_config(client, 31), 0);
    ASSERT_EQ(save_config(client, 31), 0);
    ASSERT_EQ(copy_config(client, 5, out), 0);
    ASSERT_EQ(cut_config(client, 5, out), 0);
    ASSERT_EQ(paste_config(client, 31, "*cp on p", 2, out), 0);
    EXPECT_EQ(sent(0), "00050000.");
    EXPECT_EQ(sent(1), "0005009*NEW ON P.");
    EXPECT_EQ(sent(2), "0005.");
    EXPECT_EQ(sent(3), "0031.");
    EXPECT_EQ(sent(4), "0031");
    EXPECT_EQ(sent(5), "0005");
    EXPECT_EQ(sent(6), "00050");  // the cut flag is always "0"
    EXPECT_EQ(sent(7), "0031008*CP ON P0002");
}

TEST_F(ConfigFileRequestTest, FailureTextsFollowTheRequest) {
    fake_provider().transmit_result = -1;
    std::uint32_t out = 0;
    delete_config(client, 1, true);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Cannot delete config file from list");
    copy_config(client, 1, out);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Cannot copy config file in list");
    paste_config(client, 1, "*A ON P", 0, out);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Cannot copy config file in list");
    cut_config(client, 1, out);
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Cannot get config file list");
    EXPECT_EQ(out, 0u);  // outputs change only on success
}

TEST_F(ConfigFileRequestTest, AHostRefusalQueuesItsRecordsAndLeavesOutputsAlone) {
    queue(18, "2000300161 FILE NOT FOUND0000");
    std::uint32_t reference = 77;
    EXPECT_EQ(open_config(client, 9, reference), -1);
    EXPECT_EQ(reference, 77u);
    EXPECT_EQ(last_text(), "1 FILE NOT FOUND");
}

TEST_F(ConfigFileRequestTest, TheEnvironmentCommandGoesAsTypedAndReadsTheResponse) {
    queue(42, "0010NO ENTRIES");
    std::string response;
    ASSERT_EQ(send_environment_command(client, "mx", response), 0);
    EXPECT_EQ(sent(), "002mx");
    EXPECT_EQ(response, "NO ENTRIES");

    queue(42, "0050SHORT");
    response = "kept";
    EXPECT_EQ(send_environment_command(client, "mx", response), -1);
    EXPECT_EQ(response, "kept");
    EXPECT_EQ(last_text(), "[Brisel Software][Kestra ODBC Driver]Cannot get config file list");
}

TEST_F(ConfigFileRequestTest, ANameTooLongForTheBufferIsRefusedUnsent) {
    std::uint32_t number = 0;
    EXPECT_EQ(add_config(client, std::string(190, 'N'), 0, number), -1);
    EXPECT_TRUE(fake_provider().transmitted.empty());
    EXPECT_EQ(session.diagnostics().back().sqlstate_index, kestra::hostlink::kSqlGeneralFailure);
}

TEST(ConfigFileNames, TheDialogChecksInTheirOrder) {
    CServerNode root;
    root.add_child("(ADM)CFG/A ON PK", 1)->add_child("*DEEP ON PK", 2);
    std::string name = "   ";
    EXPECT_STREQ(check_config_file_name(name, root, NameUse::add), "You must enter a configuration file name");
    for (const char* bad : {"TITLE", "(ADM)CFG ON", "(ADM CFG ON PK", "X(ADM)Y ON PK", "* ON", "*NOPE"}) {
        name = bad;
        EXPECT_STREQ(check_config_file_name(name, root, NameUse::add), "You must include a usercode and packname")
            << bad;
    }
    name = "  *DEEP ON PK ";
    EXPECT_STREQ(check_config_file_name(name, root, NameUse::paste), "Duplicate Name!");
    EXPECT_EQ(name, "*DEEP ON PK");
    EXPECT_STREQ(check_config_file_name(name, root, NameUse::rename), "Duplicate Name");
    name = "*deep ON PK";  // letter case counts
    EXPECT_EQ(check_config_file_name(name, root, NameUse::add), nullptr);
    name = "(ADM)CFG/B ON PK";
    EXPECT_EQ(check_config_file_name(name, root, NameUse::add), nullptr);
    name = "*X ON PK";
    EXPECT_EQ(check_config_file_name(name, root, NameUse::add), nullptr);
}

TEST(ProgramNames, LengthAndDuplicatesCountOnlyForAChangedName) {
    kestra::model::CConfigFile file;
    for (const char* n : {"PAYROLL", "ABCDEFGHIJKLMNOPQRS"}) {
        file.applications.push_back(std::make_unique<kestra::model::CPcApplication>());
        file.applications.back()->program_name.assign(n);
    }
    std::string name = "  ";
    EXPECT_STREQ(check_program_name(name, file, ""), "**You must enter a program name**");
    name = " ABCDEFGHIJKLMNOP ";  // 16, trimmed
    EXPECT_EQ(check_program_name(name, file, ""), nullptr);
    EXPECT_EQ(name, "ABCDEFGHIJKLMNOP");
    name = "ABCDEFGHIJKLMNOPQ";
    EXPECT_STREQ(check_program_name(name, file, ""), "**Program name is too long**");
    // A 19-character name that came from the host goes back unchanged; any edit of it must fit.
    name = "ABCDEFGHIJKLMNOPQRS";
    EXPECT_EQ(check_program_name(name, file, "ABCDEFGHIJKLMNOPQRS"), nullptr);
    name = "ABCDEFGHIJKLMNOPQRT";
    EXPECT_STREQ(check_program_name(name, file, "ABCDEFGHIJKLMNOPQRS"), "**Program name is too long**");
    // Another application's name in other letter case, and even this one's in other case, is a duplicate.
    name = "payroll";
    EXPECT_STREQ(check_program_name(name, file, ""), "**Duplicate Program Name**");
    EXPECT_STREQ(check_program_name(name, file, "PAYROLL"), "**Duplicate Program Name**");
    name = "PAYROLL";
    EXPECT_EQ(check_program_name(name, file, "PAYROLL"), nullptr);
}

}  // namespace
