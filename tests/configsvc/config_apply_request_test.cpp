#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "configsvc/config_apply.h"
#include "configsvc/config_plan.h"
#include "support/fake_provider.h"
#include "support/fake_session.h"

using namespace kestra::configsvc;
using kestra::model::CConfigField;
using kestra::model::CConfigFile;
using kestra::model::CConfigTable;
using kestra::model::FieldKind;
using kestra::testing::fake_provider;

namespace {

// The applier against a host that answers every request and refuses the codes it is told to.
class ConfigApplyTest : public kestra::testing::FakeSessionTest {
  protected:
    void SetUp() override {
        FakeSessionTest::SetUp();
        start(1920);
        live.file_reference = 7;
        live.global_options.priority = 50;
        auto table = std::make_unique<CConfigTable>();
        table->name.assign("T");
        table->table_number = 5;
        live.tables.push_back(std::move(table));
        fake_provider().responder = [this](std::string_view message) {
            const int code = std::stoi(std::string(message.substr(7, 3)));
            std::string data = "0";
            if (refused.count(code) != 0)
                data =
                    "2"
                    "0003"
                    "0012"
                    "1 NOT LOADED"
                    "0000";
            else if (code == 23)
                data =
                    "0"
                    "0009"
                    "001T"
                    "00000"
                    "0"
                    "0"
                    "000"
                    "000"
                    "000"
                    "000"
                    "000";
            else if (code == 25)
                data =
                    "0"
                    "0001"
                    "0001"
                    "002F1"
                    "000"
                    "0"
                    "0"
                    "1"
                    "0"
                    "09"
                    "0000"
                    "0008"
                    "00";
            return std::vector<std::string>{fake_provider().next_host_message(2, code, data)};
        };
    }
    void desired_from_live() {
        desired.global_options = live.global_options;
        desired.limits = live.limits;
        auto table = std::make_unique<CConfigTable>();
        table->name.assign("T");
        auto f = std::make_unique<CConfigField>();
        f->tblfieldnum = 1;
        f->name.assign("F1");
        f->host_name.assign("F1");
        f->data_type_code = 9;
        f->length = 8;
        f->mark_loaded();
        table->fields.push_back(std::move(f));
        desired.tables.push_back(std::move(table));
        // What the fetch would have read of the table.
        auto copy = std::make_unique<CConfigField>(*desired.tables[0]->fields[0]);
        live.tables[0]->fields.push_back(std::move(copy));
    }
    static std::vector<int> sent_codes() {
        std::vector<int> out;
        for (const auto& m : fake_provider().transmitted) out.push_back(std::stoi(m.substr(7, 3)));
        return out;
    }
    CConfigFile live, desired;
    std::set<int> refused;
    CConfigClient client{session};
    CPendingUnloadList pending;
    ApplyReport report;
};

TEST_F(ConfigApplyTest, AFailedFieldChangeUnloadsWithoutSaveAndStops) {
    desired_from_live();
    desired.tables[0]->fields[0]->name.assign("G1");
    desired.global_options.priority = 9;
    const ConfigPlan plan = plan_config_changes(live, desired, false);
    refused = {26};
    EXPECT_NE(apply_config_plan(client, pending, live, plan, report), 0);
    // Loaded, listed, the change refused, unloaded without its changes; the global options never sent.
    EXPECT_EQ(sent_codes(), (std::vector<int>{23, 25, 26, 24}));
    EXPECT_EQ(sent_body(3), "00090");
    EXPECT_EQ(report.failed, "26 change fields T");
    EXPECT_EQ(report.applied, (std::vector<std::string>{"23 load table T", "25 field list T"}));
}

TEST_F(ConfigApplyTest, AcceptedChangesAreUnloadedWithSave) {
    desired_from_live();
    desired.tables[0]->fields[0]->name.assign("G1");
    desired.tables[0]->fields[0]->visible = false;
    const ConfigPlan plan = plan_config_changes(live, desired, false);
    ASSERT_EQ(apply_config_plan(client, pending, live, plan, report), 0);
    EXPECT_EQ(sent_codes(), (std::vector<int>{23, 25, 26, 27, 24}));
    // The rename carries the name; the mark hides field 1.
    EXPECT_EQ(sent_body(2).substr(0, 17),
              "0009"
              "0001"
              "0001"
              "002G1");
    EXPECT_EQ(sent_body(3), std::string("0009"
                                        "0001"
                                        "0001") +
                                '\x01');
    EXPECT_EQ(sent_body(4), "00091");
}

TEST_F(ConfigApplyTest, GlobalOptionsArePutBackWhenTheLimitsAreRefused) {
    desired_from_live();
    desired.global_options.priority = 9;
    desired.limits.row_count = 100;
    const ConfigPlan plan = plan_config_changes(live, desired, false);
    refused = {33};
    EXPECT_NE(apply_config_plan(client, pending, live, plan, report), 0);
    EXPECT_EQ(sent_codes(), (std::vector<int>{31, 33, 31}));
    // The last put carries the priority as it was: after the three empty texts, "50".
    EXPECT_EQ(sent_body(2).substr(4, 11),
              "000"
              "000"
              "000"
              "50");
    EXPECT_EQ(sent_body(0).substr(4, 11),
              "000"
              "000"
              "000"
              "09");
    EXPECT_EQ(report.restored, std::vector<std::string>{"global options"});
    EXPECT_EQ(report.failed, "33 put limits");
}

TEST_F(ConfigApplyTest, APlanWithRefusalsSendsNothing) {
    desired_from_live();
    desired.tables[0]->fields.clear();  // a host field left out
    const ConfigPlan plan = plan_config_changes(live, desired, true);
    ASSERT_FALSE(plan.refusals.empty());
    EXPECT_NE(apply_config_plan(client, pending, live, plan, report), 0);
    EXPECT_TRUE(fake_provider().transmitted.empty());
}

}  // namespace
