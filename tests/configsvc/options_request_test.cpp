#include <gtest/gtest.h>

#include "app/admin_app.h"
#include "configsvc/options_requests.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"
#include "support/fake_provider.h"
#include "support/fake_session.h"

using namespace kestra::configsvc;
using kestra::hostlink::CHostSession;
using kestra::model::CConfigFile;
using kestra::model::CConfigTable;
using kestra::model::CPcApplication;
using kestra::testing::fake_provider;

namespace {

class OptionsRequestTest : public kestra::testing::FakeSessionTest {
protected:
    void SetUp() override {
        FakeSessionTest::SetUp();
        file.file_reference = 7;
    }
    std::string sent(std::size_t i) const { return fake_provider().transmitted.at(i).substr(14); }
    std::size_t sent_count() const { return fake_provider().transmitted.size(); }
    std::uint16_t last_index() const {
        return session.diagnostics().empty() ? 0 : session.diagnostics().back().sqlstate_index;
    }
    CPcApplication& add_app(const std::string& name) {
        auto app = std::make_unique<CPcApplication>();
        app->program_name.assign(name);
        file.applications.push_back(std::move(app));
        return *file.applications.back();
    }
    static std::string prefixed(const char* text) { return std::string("[Brisel Software][Kestra ODBC Driver]") + text; }

    CConfigClient client{session};
    CConfigFile file;
};

TEST_F(OptionsRequestTest, GlobalReplyEndingAfterTheGuardFileTakesDefaultsForTheRest) {
    file.global_options.app_name.assign("OLD");
    file.global_options.hide_fields = true;
    file.global_options.unique_indices = true;
    queue(30, "0" "004Desc" "003PAY" "005ASCII" "40" "03" "15" "1999" "1" "2" "3" "2" "005GUARD");
    ASSERT_EQ(get_global(client, file), 0);
    EXPECT_EQ(sent(0), "0007.");
    const auto& g = file.global_options;
    EXPECT_EQ(file.description.str(), "Desc");
    EXPECT_EQ(g.usercode.str(), "PAY");
    EXPECT_EQ(g.translation.str(), "ASCII");
    EXPECT_EQ(g.priority, 40);
    EXPECT_EQ(g.date_base_month, 3);
    EXPECT_EQ(g.date_base_day, 15);
    EXPECT_EQ(g.date_base_year, 1999);
    EXPECT_TRUE(g.library_kind);
    EXPECT_EQ(g.program_security, 2);
    EXPECT_EQ(g.security_use, 3);
    EXPECT_EQ(g.security_type, 2);
    EXPECT_EQ(g.guardfile.str(), "GUARD");
    EXPECT_FALSE(g.unique_indices);
    EXPECT_TRUE(g.app_name.empty());
    EXPECT_FALSE(g.hide_fields);
}

TEST_F(OptionsRequestTest, GlobalOptionsGoBackInWireOrderAsStored) {
    queue(30, "0" "000" "000" "000" "00" "00" "00" "0000" "0" "0" "2" "0" "000" "1" "004MYAP" "1");
    ASSERT_EQ(get_global(client, file), 0);
    EXPECT_TRUE(file.global_options.unique_indices);
    EXPECT_EQ(file.global_options.app_name.str(), "MYAP");
    EXPECT_TRUE(file.global_options.hide_fields);

    file.description.assign("Mixed case");
    file.global_options.usercode.assign("pay");
    queue(31, "0");
    ASSERT_EQ(put_global(client, file), 0);
    EXPECT_EQ(sent(1), "0007" "010Mixed case" "003pay" "000" "00" "00" "00" "0000" "0" "0" "2" "0" "000" "1"
                       "004MYAP" "1");
}

TEST_F(OptionsRequestTest, AShortGlobalReplyLeavesTheModelAlone) {
    file.global_options.usercode.assign("KEEP");
    queue(30, "0" "000" "003PAY" "000" "40");
    EXPECT_EQ(get_global(client, file), -1);
    EXPECT_EQ(file.global_options.usercode.str(), "KEEP");
    EXPECT_EQ(last_index(), kestra::hostlink::kSqlLinkFailure);
    EXPECT_EQ(last_text(), prefixed(kGetGlobalFailure));

}

// The host's texts are kept whole, even past what the dialogs let a person type, and go back unchanged.
TEST_F(OptionsRequestTest, GlobalTextsLongerThanTheDialogsAllowAreKeptWholeAndSentBack) {
    queue(30, "0" "000" "018ABCDEFGHIJKLMNOPQR" "020TRANSLATION-TWENTY-X" "00" "00" "00" "0000" "0" "0" "2" "0" "000"
              "0" "021APPLICATION-NAME-21-X" "0");
    ASSERT_EQ(get_global(client, file), 0) << last_text();
    EXPECT_EQ(file.global_options.usercode.str(), "ABCDEFGHIJKLMNOPQR");
    EXPECT_EQ(file.global_options.translation.str(), "TRANSLATION-TWENTY-X");
    EXPECT_EQ(file.global_options.app_name.str(), "APPLICATION-NAME-21-X");
    queue(31, "0");
    ASSERT_EQ(put_global(client, file), 0) << last_text();
    EXPECT_NE(sent(1).find("018ABCDEFGHIJKLMNOPQR020TRANSLATION-TWENTY-X"), std::string::npos) << sent(1);
    EXPECT_NE(sent(1).find("021APPLICATION-NAME-21-X"), std::string::npos) << sent(1);
}

TEST_F(OptionsRequestTest, ADescriptionThatCannotBeSentIsRefusedBeforeSending) {
    file.description.assign(std::string(190, 'd'));  // a valid text, but no room in a 186-character message
    EXPECT_EQ(put_global(client, file), -1);
    EXPECT_EQ(sent_count(), 0u);
    EXPECT_EQ(last_index(), kestra::hostlink::kSqlGeneralFailure);
    EXPECT_EQ(last_text(), prefixed(kPutGlobalFailure));
}

TEST_F(OptionsRequestTest, PutLimitsIsEighteenCharacters) {
    file.limits.where_required = false;
    file.limits.linear_selects = true;
    file.limits.linear_joins = true;
    file.limits.row_limit_kind = 2;
    file.limits.row_count = 500;
    queue(33, "0");
    ASSERT_EQ(put_limits(client, file), 0);
    EXPECT_EQ(sent(0), "0007" "0112" "0000000500");
    EXPECT_EQ(sent(0).size(), 18u);
}

TEST_F(OptionsRequestTest, ANegativeRowCountIsNeverSent) {
    file.limits.row_count = -1;
    EXPECT_EQ(put_limits(client, file), -1);
    EXPECT_EQ(sent_count(), 0u);
    EXPECT_EQ(last_index(), kestra::hostlink::kSqlGeneralFailure);
    EXPECT_EQ(last_text(), prefixed(kPutLimitsFailure));
}

TEST_F(OptionsRequestTest, ReceivedLimitFlagsCountOnlyWhenOne) {
    queue(32, "0" "2112" "2147483647");
    ASSERT_EQ(get_limits(client, file), 0);
    EXPECT_EQ(sent(0), "0007.");
    EXPECT_FALSE(file.limits.where_required);
    EXPECT_TRUE(file.limits.linear_selects);
    EXPECT_TRUE(file.limits.linear_joins);
    EXPECT_EQ(file.limits.row_limit_kind, 2);
    EXPECT_EQ(file.limits.row_count, 2147483647);
}

TEST_F(OptionsRequestTest, ARowCountBeyondThirtyTwoBitsMakesTheReplyInvalid) {
    file.limits.row_count = 12;
    queue(32, "0" "1001" "2147483648");
    EXPECT_EQ(get_limits(client, file), -1);
    EXPECT_EQ(file.limits.row_count, 12);
    EXPECT_EQ(last_text(), prefixed(kGetLimitsFailure));
    queue(32, "0" "1001" "99999");  // cut short
    EXPECT_EQ(get_limits(client, file), -1);
    EXPECT_EQ(file.limits.row_count, 12);
}

TEST_F(OptionsRequestTest, AnApplicationWithoutLocalLimitsOrTablesIsNameTwoDigitsAndZero) {
    CPcApplication& app = add_app("excel.exe");
    app.update_allowed = true;
    queue(35, "0" "004");
    ASSERT_EQ(add_apps(client, file), 0);
    EXPECT_EQ(sent(0), "0007" "001" "009EXCEL.EXE" "1" "0" "0" ".");
    EXPECT_EQ(app.app_number, 4);
    EXPECT_FALSE(app.is_new);
    EXPECT_FALSE(app.changed);
}

TEST_F(OptionsRequestTest, AnApplicationWithLocalLimitsAndTablesCarriesThem) {
    CPcApplication& app = add_app("P");
    app.local_limits = true;
    app.limits.where_required = true;
    app.limits.row_limit_kind = 1;
    app.limits.row_count = 25;
    app.table_list = true;
    for (int n : {3, 12}) {
        auto t = std::make_unique<CConfigTable>();
        t->table_number = n;
        t->update_allowed = n == 3;
        app.tables.push_back(std::move(t));
    }
    queue(35, "0" "009");
    ASSERT_EQ(add_apps(client, file), 0);
    EXPECT_EQ(sent(0), "0007" "001" "001P" "0" "1" "1111" "0000000025" "1" "0002" "00031" "00120" ".");
}

TEST_F(OptionsRequestTest, NothingToAdd) {
    CPcApplication& app = add_app("OLD.EXE");
    app.is_new = false;
    app.app_number = 3;
    EXPECT_EQ(add_apps(client, file), -1);
    EXPECT_EQ(sent_count(), 0u);
    EXPECT_EQ(last_index(), kestra::hostlink::kSqlLinkFailure);
    EXPECT_EQ(last_text(), prefixed(kNothingToAdd));
}

TEST_F(OptionsRequestTest, AnEntryThatCannotFitAnEmptyMessageSendsNothing) {
    add_app("SMALL.EXE");
    CPcApplication& big = add_app("BIG.EXE");
    big.table_list = true;
    for (int n = 1; n <= 40; ++n) {  // 40 tables of 5 characters cannot fit 186 - 9
        auto t = std::make_unique<CConfigTable>();
        t->table_number = n;
        big.tables.push_back(std::move(t));
    }
    EXPECT_EQ(add_apps(client, file), -1);
    EXPECT_EQ(sent_count(), 0u);
    EXPECT_EQ(last_index(), kestra::hostlink::kSqlGeneralFailure);
    EXPECT_EQ(last_text(), prefixed(kAddAppsFailure));
    EXPECT_TRUE(big.is_new);
    EXPECT_TRUE(big.changed);
    EXPECT_TRUE(file.applications.front()->is_new);

    big.is_new = false;
    big.app_number = 2;
    EXPECT_EQ(modify_apps(client, file), -1);
    EXPECT_EQ(sent_count(), 0u);
    EXPECT_TRUE(big.changed);
}

TEST_F(OptionsRequestTest, ApplicationsSplitOverMessagesEachWithItsCountAndReply) {
    for (int i = 0; i < 30; ++i) add_app("PROGRAM" + std::to_string(100 + i) + ".EXE");  // entries of 20 characters
    int next = 1;
    fake_provider().responder = [&](std::string_view sent_message) {
        const std::string body(sent_message.substr(14));
        const int count = std::stoi(body.substr(4, 3));
        std::string reply = "0";
        for (int i = 0; i < count; ++i) {
            char digits[8];
            std::snprintf(digits, sizeof digits, "%03d", next++);
            reply += digits;
        }
        return std::vector<std::string>{fake_provider().next_host_message(2, 35, reply)};
    };
    ASSERT_EQ(add_apps(client, file), 0);
    ASSERT_GT(sent_count(), 1u);
    std::size_t total = 0;
    for (std::size_t i = 0; i < sent_count(); ++i) {
        const std::string body = sent(i);
        EXPECT_LE(body.size(), 186u - 1);
        EXPECT_EQ(body.back(), '.');
        const std::size_t count = std::stoul(body.substr(4, 3));
        EXPECT_EQ(body.size(), 4 + 3 + count * 20 + 1);
        total += count;
    }
    EXPECT_EQ(total, 30u);
    for (std::size_t i = 0; i < file.applications.size(); ++i) {
        EXPECT_EQ(file.applications[i]->app_number, static_cast<int>(i) + 1);
        EXPECT_FALSE(file.applications[i]->is_new);
    }
}

TEST_F(OptionsRequestTest, ChangedFlagIsClearedOnlyWhenTheHostAcceptedTheMessage) {
    CPcApplication& app = add_app("Excel.exe");
    app.is_new = false;
    app.app_number = 12;
    CPcApplication& fresh = add_app("NEW.EXE");  // not numbered yet: not a modify entry
    queue(38, "2" "0003" "0016" "1 NO SUCH APP" "0000");
    EXPECT_EQ(modify_apps(client, file), -1);
    EXPECT_TRUE(app.changed);
    EXPECT_EQ(sent(0), "0007" "001" "012" "009EXCEL.EXE" "0" "0" "0" ".");
    queue(38, "0");
    ASSERT_EQ(modify_apps(client, file), 0);
    EXPECT_FALSE(app.changed);
    EXPECT_TRUE(fresh.changed);

    // Nothing changed: nothing sent.
    const std::size_t before = sent_count();
    ASSERT_EQ(modify_apps(client, file), 0);
    EXPECT_EQ(sent_count(), before);
}

TEST_F(OptionsRequestTest, AppInfoWithoutLocalLimitsShowsTheGlobalLimits) {
    file.limits.row_limit_kind = 2;
    file.limits.row_count = 750;
    file.limits.where_required = true;
    CPcApplication& app = add_app("X");
    app.app_number = 5;
    queue(36, "0" "009EXCEL.EXE" "1" "0" "0");
    ASSERT_EQ(get_app_info(client, file, app), 0);
    EXPECT_EQ(sent(0), "0007005.");
    EXPECT_EQ(app.program_name.str(), "EXCEL.EXE");
    EXPECT_TRUE(app.update_allowed);
    EXPECT_FALSE(app.local_limits);
    EXPECT_EQ(app.limits, file.limits);
    EXPECT_EQ(app.limits.row_count, 750);
}

TEST_F(OptionsRequestTest, AppInfoWithLocalLimitsAndATableList) {
    CPcApplication& app = add_app("X");
    app.app_number = 2;
    queue(36, "0" "012SALESPRO.EXE" "1" "1" "1002" "0000001000" "1" "0002" "00011" "00020");
    ASSERT_EQ(get_app_info(client, file, app), 0);
    EXPECT_TRUE(app.local_limits);
    EXPECT_TRUE(app.limits.where_required);
    EXPECT_FALSE(app.limits.linear_selects);
    EXPECT_EQ(app.limits.row_count, 1000);
    ASSERT_EQ(app.tables.size(), 2u);
    EXPECT_EQ(app.tables[0]->table_number, 1);
    EXPECT_TRUE(app.tables[0]->update_allowed);
    EXPECT_EQ(app.tables[1]->table_number, 2);
    EXPECT_FALSE(app.tables[1]->update_allowed);

    // A table count the reply cannot hold.
    queue(36, "0" "001X" "0" "0" "1" "9999" "00011");
    EXPECT_EQ(get_app_info(client, file, app), -1);
    EXPECT_EQ(app.tables.size(), 2u);
    EXPECT_EQ(last_text(), prefixed(kAppInfoFailure));
}

TEST_F(OptionsRequestTest, AppListContinuesAndEndsOnAReceiveErrorWithMinusOne) {
    queue(39, "0" "002" "001" "009EXCEL.EXE" "0");
    queue(39, "002" "004B.EX" "1");
    ASSERT_EQ(get_app_list(client, file), 0);
    EXPECT_EQ(sent(0), "0007.");
    ASSERT_EQ(file.applications.size(), 2u);
    EXPECT_EQ(file.applications[1]->program_name.str(), "B.EX");
    EXPECT_TRUE(file.applications[1]->update_allowed);
    EXPECT_FALSE(file.applications[1]->is_new);
    EXPECT_FALSE(file.applications[1]->changed);

    queue(39, "0" "003" "001" "001A" "0");  // two more promised, none arrive
    EXPECT_EQ(get_app_list(client, file), -1);
    EXPECT_EQ(file.applications.size(), 1u);
    EXPECT_EQ(last_text(), prefixed(kAppListReceiveError));
}

TEST_F(OptionsRequestTest, AProgramNameLongerThanTheDialogAllowsIsListedWhole) {
    const std::string name = "A-PROGRAM-NAME-OF-24.EXE";
    queue(39, "0" "001" "004" "024" + name + "1");
    ASSERT_EQ(get_app_list(client, file), 0) << last_text();
    ASSERT_EQ(file.applications.size(), 1u);
    EXPECT_EQ(file.applications[0]->program_name.str(), name);
}

TEST_F(OptionsRequestTest, DeleteAppsSplitsNumbersByRoom) {
    std::vector<std::int32_t> numbers;
    for (int i = 1; i <= 70; ++i) numbers.push_back(i);  // 70 x 3 characters > 177
    fake_provider().responder = [](std::string_view) {
        return std::vector<std::string>{fake_provider().next_host_message(2, 37, "0")};
    };
    ASSERT_EQ(delete_apps(client, file, numbers), 0);
    ASSERT_EQ(sent_count(), 2u);
    EXPECT_EQ(sent(0).substr(0, 10), "0007" "059" "001");
    EXPECT_EQ(sent(1), "0007" "011" "060061062063064065066067068069070" ".");
}

}  // namespace
