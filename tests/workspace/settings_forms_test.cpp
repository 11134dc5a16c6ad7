// The settings windows' values: what they show for a file's records, what OK refuses, and what goes back.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/config_file.h"
#include "workspace/application_form.h"
#include "workspace/global_settings_form.h"
#include "workspace/limits_form.h"

namespace ws = kestra::workspace;
using kestra::model::CConfigFile;
using kestra::model::CConfigTable;
using kestra::model::CGlobalOptions;
using kestra::model::CPcApplication;
using ws::FormRefusal;
using ws::GlobalSettingsForm;

namespace {

FormRefusal refusal(int control, const std::string& message) {
    return {control, message};
}

struct GlobalSettings : ::testing::Test {
    CGlobalOptions options;
    kestra::model::WireText description;
    GlobalSettingsForm form;

    void SetUp() override {
        options.usercode.assign("PAY");
        options.priority = 5;
        options.date_base_month = 12;
        options.date_base_day = 31;
        options.date_base_year = 1999;
        description.assign("Payroll");
        form.load(options, description.view());
    }
    CGlobalOptions saved() {
        CGlobalOptions out = options;
        form.store(out, description);
        return out;
    }
};

}  // namespace

TEST_F(GlobalSettings, ShowsTheRecordAsTheFieldsExpect) {
    EXPECT_EQ(form.usercode, "PAY");
    EXPECT_EQ(form.priority, "05");
    EXPECT_EQ(form.month + "/" + form.day + "/" + form.year, "12/31/1999");
    CGlobalOptions empty;
    form.load(empty, "");
    EXPECT_EQ(form.usercode, "<default>");
    EXPECT_EQ(form.priority, "");
    EXPECT_EQ(form.month + form.day + form.year, "");
    EXPECT_FALSE(form.validate());
    EXPECT_EQ(saved().priority, 0);
}

TEST_F(GlobalSettings, APlaceholderOrLeadingAngleStoresNoUsercode) {
    for (const char* typed : {"<default>", "<ABC", "  <X"}) {
        form.usercode = typed;
        ASSERT_FALSE(form.validate()) << typed;
        EXPECT_EQ(saved().usercode.view(), "") << typed;
    }
    form.usercode = "  ADM ";
    EXPECT_EQ(saved().usercode.view(), "ADM");
}

TEST_F(GlobalSettings, PriorityFitsTwoDigits) {
    form.priority = "-1";
    EXPECT_EQ(form.validate(), refusal(1013, "Please enter an integer between 0 and 99."));
    form.priority = "AB";
    EXPECT_EQ(form.validate(), refusal(1013, "Please enter an integer."));
    form.priority = "100";
    EXPECT_EQ(form.validate(), refusal(1013, "Please enter an integer between 0 and 99."));
    form.priority = "99999999999999999999999";  // no overflow into range
    EXPECT_EQ(form.validate(), refusal(1013, "Please enter an integer between 0 and 99."));
    form.priority = "99";
    EXPECT_FALSE(form.validate());
    EXPECT_EQ(saved().priority, 99);
}

TEST_F(GlobalSettings, DateBaseRangesApplyOnlyToARealDateBase) {
    form.year = "1699";
    EXPECT_EQ(form.validate(), refusal(1170, "Please enter an integer between 1700 and 2500."));
    form.year = "2501";
    EXPECT_EQ(form.validate(), refusal(1170, "Please enter an integer between 1700 and 2500."));
    form.year = "1700";
    EXPECT_FALSE(form.validate());
    form.year = "2500";
    EXPECT_FALSE(form.validate());
    form.day = "32";
    EXPECT_EQ(form.validate(), refusal(1015, "Please enter an integer between 1 and 31."));
    form.day = "";
    EXPECT_EQ(form.validate(), refusal(1015, "Please enter an integer."));
    form.day = "1";
    form.month = "0";  // one part zero while others are set: refused, not half a date
    EXPECT_EQ(form.validate(), refusal(1014, "Please enter an integer between 1 and 12."));

    form.month = form.day = form.year = "0";
    ASSERT_FALSE(form.validate());
    CGlobalOptions out = saved();
    EXPECT_EQ(out.date_base_month + out.date_base_day + out.date_base_year, 0);
    form.month = form.day = form.year = "";
    ASSERT_FALSE(form.validate());
    out = saved();
    EXPECT_EQ(out.date_base_month + out.date_base_day + out.date_base_year, 0);
}

TEST_F(GlobalSettings, CodesGoBackAsTheyCameUnlessChosen) {
    options.security_use = 7;  // unknown to this program
    options.program_security = 2;
    form.load(options, description.view());
    EXPECT_EQ(form.security_use.checked(), -1);
    EXPECT_EQ(saved().security_use, 7);
    form.security_use.choose(-1);  // nothing selected is never a code
    EXPECT_EQ(saved().security_use, 7);
    form.security_use.choose(1);
    form.program_security.choose(0);
    EXPECT_EQ(saved().security_use, 1);
    EXPECT_EQ(saved().program_security, 0);
    EXPECT_EQ(saved().security_type, options.security_type);
}

TEST_F(GlobalSettings, LoadedTextsGoBackWholeTypedOnesAreLimited) {
    options.app_name.assign("ABCDEFGHIJKLMNOPQRS");  // 19, longer than may be typed
    options.guardfile.assign(std::string(300, 'G'));
    form.load(options, description.view());
    ASSERT_FALSE(form.validate());
    EXPECT_EQ(saved().app_name.view(), "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(saved().guardfile.size(), 300u);

    form.app_name = "ABCDEFGHIJKLMNOPQR";
    EXPECT_EQ(form.validate(), refusal(1017, "Please enter no more than 17 characters."));
    form.app_name = " ABCDEFGHIJKLMNOPQ ";  // 17 once trimmed
    ASSERT_FALSE(form.validate());
    EXPECT_EQ(saved().app_name.view(), "ABCDEFGHIJKLMNOPQ");
    form.usercode = std::string(18, 'U');
    EXPECT_EQ(form.validate(), refusal(1113, "Please enter no more than 17 characters."));
    form.usercode = "PAY";
    form.translation = std::string(20, 'T');
    EXPECT_EQ(form.validate(), refusal(1114, "Please enter no more than 19 characters."));
    form.translation = "";
    form.description = std::string(1000, 'd');
    EXPECT_EQ(form.validate(), refusal(1016, "Please enter no more than 999 characters."));
}

TEST(LimitsFormTest, RowCountFitsTheWireAndKindsSurvive) {
    kestra::model::CConfigLimits limits;
    limits.row_limit_kind = 5;
    limits.row_count = 100;
    ws::LimitsForm form;
    form.load(limits);
    EXPECT_EQ(form.row_limit_kind.checked(), -1);
    form.row_count = "2147483648";
    EXPECT_EQ(form.validate(), refusal(1049, "Please enter an integer between 0 and 2147483647."));
    form.row_count = "";
    EXPECT_EQ(form.validate(), refusal(1049, "Please enter an integer."));
    form.row_count = "2147483647";
    ASSERT_FALSE(form.validate());
    form.linear_joins = false;
    form.store(limits);
    EXPECT_EQ(limits.row_limit_kind, 5);
    EXPECT_EQ(limits.row_count, 2147483647);
    EXPECT_FALSE(limits.linear_joins);
}

namespace {

struct Application : ::testing::Test {
    CConfigFile file;
    CPcApplication app;
    ws::ApplicationForm form;

    void SetUp() override {
        add_table("EMPLOYEE", 1, true);
        add_table("DEPT", 2, false);
        add_table("Salary", 3, true);
        file.limits.row_count = 42;
        auto other = std::make_unique<CPcApplication>();
        other->program_name.assign("REPORT");
        file.applications.push_back(std::move(other));
    }
    void add_table(const char* name, std::int32_t number, bool update) {
        auto t = std::make_unique<CConfigTable>();
        t->name.assign(name);
        t->table_number = number;
        t->update_allowed = update;
        file.tables.push_back(std::move(t));
    }
};

}  // namespace

TEST_F(Application, ANewOneStartsFromTheFileLimits) {
    form.load(file, app, true);
    EXPECT_EQ(form.title(), "Add Application");
    EXPECT_EQ(form.limits.row_count, "42");
    form.name = "ABCDEFGHIJKLMNOP";
    EXPECT_FALSE(form.validate());
    form.name = "ABCDEFGHIJKLMNOPQ";
    EXPECT_EQ(form.validate(), refusal(1037, "**Program name is too long**"));
    form.name = "report";
    EXPECT_EQ(form.validate(), refusal(1037, "**Duplicate Program Name**"));
    form.name = " ";
    EXPECT_EQ(form.validate(), refusal(1037, "**You must enter a program name**"));
}

TEST_F(Application, ALongLoadedNameGoesBackUnchanged) {
    app.program_name.assign("ABCDEFGHIJKLMNOPQRS");
    app.limits.row_count = 7;
    form.load(file, app, false);
    EXPECT_EQ(form.title(), "Edit Application");
    EXPECT_EQ(form.limits.row_count, "7");  // its own limits, not the file's
    ASSERT_FALSE(form.validate());
    CPcApplication out;
    form.store(out);
    EXPECT_EQ(out.program_name.view(), "ABCDEFGHIJKLMNOPQRS");
}

TEST_F(Application, TableListCopiesOnceAndKeepsUnknownEntries) {
    app.program_name.assign("PAYROLL");
    app.table_list = true;
    auto lost = std::make_unique<CConfigTable>();
    lost->table_number = 77;
    lost->update_allowed = true;
    app.tables.push_back(std::move(lost));
    form.load(file, app, false);
    EXPECT_EQ(form.accessible_name(0), "<table 0077>");
    EXPECT_FALSE(form.can_edit({0}));

    EXPECT_EQ(form.copy_available({0, 2}), 2u);
    EXPECT_EQ(form.copy_available({0, 2, 9}), 0u);  // already there; out of range ignored
    add_table("salary", 4, false);                  // the same name in other case
    EXPECT_EQ(form.copy_available({3}), 0u);
    ASSERT_EQ(form.accessible.size(), 3u);
    EXPECT_EQ(form.accessible_name(1), "EMPLOYEE");
    EXPECT_TRUE(form.can_edit({1}));
    EXPECT_FALSE(form.can_edit({1, 2}));
    form.copy_available({1});
    EXPECT_FALSE(form.can_edit({3}));  // DEPT allows no updates

    // Red only while the application itself may update.
    EXPECT_FALSE(form.accessible_red(1));
    form.update_allowed = true;
    EXPECT_TRUE(form.accessible_red(1));
    EXPECT_FALSE(form.accessible_red(3));
    EXPECT_TRUE(form.available_red(0));
    EXPECT_FALSE(form.available_red(1));

    form.toggle_update({1, 3});
    EXPECT_FALSE(form.accessible[1].update_allowed);
    EXPECT_TRUE(form.accessible[3].update_allowed);
    form.remove_accessible({3, 1, 3, 50});
    ASSERT_EQ(form.accessible.size(), 2u);
    CPcApplication out;
    ASSERT_FALSE(form.validate());
    form.store(out);
    ASSERT_EQ(out.tables.size(), 2u);
    EXPECT_EQ(out.tables[0]->table_number, 77);  // kept, though the file has no such table
    EXPECT_EQ(out.tables[1]->table_number, 3);
}
