#include <gtest/gtest.h>

#include <map>

#include "app/admin_app.h"
#include "configsvc/cobol_table_request.h"
#include "hostlink/host_session.h"
#include "support/fake_provider.h"

using namespace kestra::configsvc;
using kestra::hostlink::CHostSession;
using kestra::model::CConfigFile;
using kestra::model::CConfigTable;
using kestra::testing::fake_provider;

namespace {

// A host that answers each request code with a canned reply and records the codes in order.
class CobolTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_provider().reset();
        kestra::app::admin_app() = kestra::app::CAdminApp();
        session.set_provider(fake_provider().table());
        session.set_connection(1);
        session.set_timeouts(30, 30);
        session.set_message_size(400);
        ASSERT_EQ(session.alloc_host_msg_buffer(), 0);
        session.default_options().update_allowed = true;
        session.default_options().return_groups = false;
        file.file_reference = 7;
        auto t = std::make_unique<CConfigTable>();
        t->name.assign("ORDERS");
        file.tables.push_back(std::move(t));
        replies = {{43, "00042"}, {44, "000004"}, {25, "00000"}, {21, "00019"}, {24, "0"}};
        fake_provider().responder = [this](std::string_view sent) {
            const int code = std::stoi(std::string(sent.substr(7, 3)));
            codes.push_back(code);
            bodies[code] = std::string(sent.substr(14));
            return std::vector<std::string>{fake_provider().next_host_message(2, code, replies.at(code))};
        };
        fill(request);
    }
    static void fill(CCobolTableRequest& r) {
        r.table_name = "timecards";
        r.source_file = "(PAY)SOURCE/TIMECARD";
        r.target = "TIMECARD-FILE";
        r.data_file_title = "(PAY)DATA/TIMECARD ON PAYPACK";
    }
    void TearDown() override {
        EXPECT_EQ(fake_provider().buffers_outstanding, 0);
        fake_provider().reset();
    }
    std::int16_t run() {
        CConfigClient client(session);
        return request.ok(client, file);
    }

    CHostSession session;
    CConfigFile file;
    CCobolTableRequest request;
    std::map<int, std::string> replies;
    std::vector<int> codes;
    std::map<int, std::string> bodies;
};

TEST_F(CobolTest, NamesAreCleanedAndUpperCased) {
    EXPECT_EQ(clean_cobol_table_name("my table-1"), "MYTABLE_1");
    EXPECT_EQ(clean_cobol_table_name(" a_b.c-d! "), "A_BC_D");
    EXPECT_EQ(clean_cobol_table_name("  ()  "), "");
}

TEST_F(CobolTest, EveryCheckHasItsTextAndControl) {
    struct Case {
        std::function<void(CCobolTableRequest&)> change;
        const char* message;
        int control;
    } cases[] = {
        {[](auto& r) { r.table_name = " -?- "; }, nullptr, 0},  // "_" alone is a name
        {[](auto& r) { r.table_name = "  ** "; }, kCobolNoTableName, kCobolTableNameControl},
        {[](auto& r) { r.table_name = "orders"; }, kCobolDuplicateTableName, kCobolTableNameControl},
        {[](auto& r) { r.source_file.clear(); }, kCobolNoSourceFile, kCobolSourceControl},
        {[](auto& r) { r.target.clear(); }, kCobolNoTarget, kCobolTargetControl},
        {[](auto& r) { r.set_mode(CobolStartMode::fd_sequence), r.target = "1234567"; }, kCobolSequenceTooLong,
         kCobolTargetControl},
        {[](auto& r) { r.set_mode(CobolStartMode::level01_sequence), r.target = "12A"; }, kCobolSequenceNonDigit,
         kCobolTargetControl},
        {[](auto& r) { r.target = std::string(18, 'T'); }, kCobolTargetTooLong, kCobolTargetControl},
        {[](auto& r) { r.data_file_title.clear(); }, kCobolNoDataFile, kCobolDataFileControl},
    };
    for (const auto& c : cases) {
        CCobolTableRequest r;
        fill(r);
        c.change(r);
        const bool passed = r.validate(file.tables);
        EXPECT_EQ(passed, c.message == nullptr) << r.message();
        EXPECT_EQ(r.message(), c.message ? c.message : "");
        EXPECT_EQ(r.focus_control(), c.control);
    }
    EXPECT_EQ(std::string(cobol_target_label(CobolStartMode::level01_sequence)), "Sequence Number of 01 Level");
}

TEST_F(CobolTest, FdNameTargetOf12AIsAcceptedUnchanged) {
    request.target = "12A";
    EXPECT_TRUE(request.validate(file.tables));
    EXPECT_EQ(request.target, "12A");
}

TEST_F(CobolTest, AFailedCheckSendsNothing) {
    request.table_name = "Orders";
    EXPECT_EQ(run(), -1);
    EXPECT_EQ(request.message(), kCobolDuplicateTableName);
    EXPECT_TRUE(codes.empty());
    EXPECT_TRUE(request.new_tables().empty());
}

TEST_F(CobolTest, SequenceTargetIsPaddedSentAndKeptAsTheDatabase) {
    request.table_name = "my table-1";
    request.set_mode(CobolStartMode::fd_sequence);
    request.target = "123";
    ASSERT_EQ(run(), 0) << session.show_errors();
    EXPECT_EQ(codes, (std::vector<int>{43, 44, 25, 21, 24}));
    // An empty access library goes as an empty text; the body is 20 plus the four lengths.
    const std::string expected43 = "00072" "006000123" "020(PAY)SOURCE/TIMECARD" "000"
                                   "029(PAY)DATA/TIMECARD ON PAYPACK" "000";
    EXPECT_EQ(bodies[43], expected43);
    EXPECT_EQ(bodies[43].size(), 20u + 6 + 20 + 29 + 0);
    EXPECT_EQ(bodies[44], "004200000");
    EXPECT_EQ(bodies[24], "00420");
    ASSERT_EQ(request.new_tables().size(), 1u);
    const CConfigTable& t = *request.new_tables()[0];
    EXPECT_EQ(t.name.str(), "MYTABLE_1");
    EXPECT_EQ(t.database.str(), "000123");
    EXPECT_EQ(t.dataset.str(), "STYLE");
    EXPECT_TRUE(t.set.empty());
    EXPECT_EQ(t.description_file.str(), "(PAY)SOURCE/TIMECARD");
    EXPECT_EQ(t.table_option, 4);
    EXPECT_EQ(t.table_number, 19);
    EXPECT_TRUE(t.update_allowed);
    EXPECT_FALSE(t.return_groups);
    // Handed back unloaded, like a table of the table list.
    EXPECT_FALSE(t.loaded);
    EXPECT_FALSE(t.fields_loaded);
    EXPECT_TRUE(t.fields.empty());
    EXPECT_TRUE(file.modified);
    EXPECT_EQ(request.message(), "");
}

TEST_F(CobolTest, TheTableNameAndTextsGoAsTyped) {
    request.access_library = "(pay)lib";
    ASSERT_EQ(run(), 0) << session.show_errors();
    EXPECT_NE(bodies[43].find("013TIMECARD-FILE"), std::string::npos);
    EXPECT_NE(bodies[43].find("008(pay)lib"), std::string::npos);  // not upper-cased
    EXPECT_NE(bodies[21].find("TIMECARDS"), std::string::npos);
}

TEST_F(CobolTest, ARefusedLoadSendsNothingMore) {
    replies[43] = "2000300181 SOURCE NOT FOUND0000";
    EXPECT_EQ(run(), -1);
    EXPECT_EQ(codes, std::vector<int>{43});
    ASSERT_FALSE(session.diagnostics().empty());
    EXPECT_EQ(session.diagnostics().back().text, "1 SOURCE NOT FOUND");
    EXPECT_TRUE(request.new_tables().empty());
}

TEST_F(CobolTest, ALaterFailureUnloadsTheHandleWithoutSave) {
    replies[44] = "2000300141 NO DESCRIPTION0000";
    EXPECT_EQ(run(), -1);
    EXPECT_EQ(codes, (std::vector<int>{43, 44, 24}));
    EXPECT_EQ(bodies[24], "00420");
    codes.clear();
    replies[44] = "000004";
    replies[21] = "2000300091 NO ROOM0000";
    EXPECT_EQ(run(), -1);
    EXPECT_EQ(codes, (std::vector<int>{43, 44, 25, 21, 24}));
    EXPECT_TRUE(request.new_tables().empty());
    EXPECT_FALSE(file.modified);
}

TEST_F(CobolTest, AFailedUnloadAfterTheAddStillSucceedsWithItsErrorsQueued) {
    replies[24] = "2000300151 UNLOAD FAILED0000";
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(request.new_tables().size(), 1u);
    ASSERT_FALSE(session.diagnostics().empty());
    EXPECT_EQ(session.diagnostics().back().text, "1 UNLOAD FAILED");
}

TEST_F(CobolTest, EachAttemptStartsAfresh) {
    replies[21] = "2000300091 NO ROOM0000";
    EXPECT_EQ(run(), -1);
    replies[21] = "00020";
    replies[43] = "00043";
    ASSERT_EQ(run(), 0);
    ASSERT_EQ(request.new_tables().size(), 1u);  // not two
    EXPECT_EQ(request.work_table().table_handle, 43);
    EXPECT_EQ(request.new_tables()[0]->table_number, 20);
}

TEST_F(CobolTest, ATooLongTextIsRefusedBeforeSending) {
    request.data_file_title = std::string(1000, 'D');
    EXPECT_EQ(run(), -1);
    EXPECT_TRUE(codes.empty());
    ASSERT_FALSE(session.diagnostics().empty());
    EXPECT_EQ(session.diagnostics().back().text, "[Brisel Software][Kestra ODBC Driver]Cannot load cobol record");
}

TEST(CobolTableKind, OnlyATableOverTheCobolDatasetWithoutASetIsOne) {
    CConfigTable made;
    made.dataset.assign(kCobolDataset);
    EXPECT_TRUE(is_cobol_table(made));
    CConfigTable over_a_set;
    over_a_set.dataset.assign(kCobolDataset);
    over_a_set.set.assign("BY-KEY");
    EXPECT_FALSE(is_cobol_table(over_a_set));
    CConfigTable dataset;
    dataset.dataset.assign("STYLES");
    EXPECT_FALSE(is_cobol_table(dataset));
    CConfigTable lower;
    lower.dataset.assign("style");
    EXPECT_FALSE(is_cobol_table(lower));
    CConfigTable join;
    join.join_table = true;
    join.dataset.assign(kCobolDataset);
    EXPECT_FALSE(is_cobol_table(join));
}

}  // namespace
