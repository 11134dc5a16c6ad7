#include <gtest/gtest.h>

#include "e2e_host.h"
#include "support/temp_dir.h"

using kestra::testing::E2eHost;
using kestra::testing::HostsimProcess;
using kestra::testing::TempDir;

namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(OptionsE2e, GlobalOptionsShowInTheViewsWordingAndChangeThroughSetGlobal) {
    E2eHost e2e;
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    auto g = e2e.kestra({"global", "(PAY)PAYROLL ON PAYPACK"});
    EXPECT_EQ(g.status, 0) << g.err;
    EXPECT_EQ(g.out,
              "No Program Security\nNo Sec Admin\nUsercode =PAY\nPriority = <default>\nNo Translation\n"
              "SECURITYTYPE: PRIVATE\nSECURITYUSE: IN\nDate Base:0/0/0\nUsing Dataset Libraries\n"
              "Return Unique Indices\nHide Fields\n");

    auto set = e2e.kestra({"set-global", "(PAY)PAYROLL ON PAYPACK", "--usercode", "<default>", "--priority", "7", "--date-base",
                           "1999-12-31", "--security-type", "guarded", "--guardfile", "(PAY)GUARD", "--app-name",
                           " payapp ", "--hide-fields", "off", "--library", "database"});
    EXPECT_EQ(set.status, 0) << set.err;
    g = e2e.kestra({"global", "(PAY)PAYROLL ON PAYPACK"});
    EXPECT_EQ(g.out,
              "No Program Security\nNo Sec Admin\nUsercode = <default>\nPriority =  7\nNo Translation\n"
              "SECURITYTYPE: GUARDED\nSECURITYUSE: IN\nDate Base:12/31/99\nUsing Database Libraries\n"
              "Return Unique Indices\nAppName =PAYAPP\nShow Fields\n");
    // "none" clears the date base: all three parts go as 0.
    set = e2e.kestra({"set-global", "(PAY)PAYROLL ON PAYPACK", "--date-base", "none"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_TRUE(has(e2e.kestra({"global", "(PAY)PAYROLL ON PAYPACK"}).out, "Date Base:0/0/0\n"));
    auto json = e2e.kestra({"--json", "global", "5"});
    EXPECT_TRUE(has(json.out, "\"guardfile\":\"(PAY)GUARD\"")) << json.out;
    EXPECT_TRUE(has(json.out, "\"description\":\"Payroll reporting\"")) << json.out;
}

TEST(OptionsE2e, SetGlobalChecksItsValuesBeforeAskingTheHost) {
    E2eHost e2e;
    auto r = e2e.kestra({"set-global", "(PAY)PAYROLL ON PAYPACK", "--date-base", "1699-01-01"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(has(r.err, "Please enter an integer between 1700 and 2500.")) << r.err;
    r = e2e.kestra({"set-global", "(PAY)PAYROLL ON PAYPACK", "--date-base", "2500-12-32"});
    EXPECT_TRUE(has(r.err, "Please enter an integer between 1 and 31.")) << r.err;
    r = e2e.kestra({"set-global", "(PAY)PAYROLL ON PAYPACK", "--security-use", "maybe"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(has(r.err, "--security-use takes secured|in|out|io")) << r.err;
    r = e2e.kestra({"set-global", "(PAY)PAYROLL ON PAYPACK", "--description", std::string(4000, 'd')});
    EXPECT_EQ(r.status, 2);
    // A description the wire can carry but the message cannot: refused before sending, with the failure text.
    r = e2e.kestra({"set-global", "(PAY)PAYROLL ON PAYPACK", "--description", std::string(999, 'd'), "--guardfile",
                    std::string(255, 'g')});
    EXPECT_EQ(r.status, 0) << r.err;  // 4096-character messages hold it
}

TEST(OptionsE2e, LimitsOfTheFileAndOfAnApplication) {
    E2eHost e2e;
    auto l = e2e.kestra({"limits", "(PAY)PAYROLL ON PAYPACK"});
    EXPECT_EQ(l.status, 0) << l.err;
    EXPECT_EQ(l.out, "Where Req'ed\nNo Linear Selects\nNo Linear Joins\nError Msg @ 2147483647 Rows\n");
    auto set = e2e.kestra({"set-limits", "(PAY)PAYROLL ON PAYPACK", "--where-required", "off", "--linear-selects", "on",
                           "--row-limit", "eof:500"});
    EXPECT_EQ(set.status, 0) << set.err;
    l = e2e.kestra({"limits", "(PAY)PAYROLL ON PAYPACK"});
    EXPECT_EQ(l.out, "No Where Req'ed\nLinear Selects OK\nNo Linear Joins\nSilent EOF @ 500 Rows\n");
    EXPECT_EQ(e2e.kestra({"set-limits", "(PAY)PAYROLL ON PAYPACK", "--row-limit", "eof:-1"}).status, 2);
    EXPECT_EQ(e2e.kestra({"set-limits", "(PAY)PAYROLL ON PAYPACK", "--row-limit", "eof:2147483648"}).status, 2);

    // An application without limits of its own shows the file's.
    auto app = e2e.kestra({"app", "(PAY)PAYROLL ON PAYPACK", "payrpt.exe"});
    EXPECT_EQ(app.status, 0) << app.err;
    EXPECT_EQ(app.out, "1 PAYRPT.EXE, Inquiry only, Using global limits\n  No Where Req'ed\n  Linear Selects OK\n"
                       "  No Linear Joins\n  Silent EOF @ 500 Rows\n");
    set = e2e.kestra({"set-limits", "(PAY)PAYROLL ON PAYPACK", "--app", "1", "--row-limit", "error:9"});
    EXPECT_EQ(set.status, 0) << set.err;
    app = e2e.kestra({"app", "(PAY)PAYROLL ON PAYPACK", "1"});
    EXPECT_EQ(app.out, "1 PAYRPT.EXE, Inquiry only, Using local limits\n  No Where Req'ed\n  Linear Selects OK\n"
                       "  No Linear Joins\n  Error Msg @ 9 Rows\n");
}

TEST(OptionsE2e, ApplicationsAreListedShownAddedChangedAndDeleted) {
    E2eHost e2e;
    auto apps = e2e.kestra({"apps", "(PROD)SALES ON DBPACK"});
    EXPECT_EQ(apps.status, 0) << apps.err;
    EXPECT_EQ(apps.out, "1 EXCEL.EXE, Inquiry only\n2 SALESPRO.EXE, Update allowed\n");
    auto app = e2e.kestra({"app", "(PROD)SALES ON DBPACK", "SALESPRO.EXE"});
    EXPECT_EQ(app.out, "2 SALESPRO.EXE, Update allowed, Using local limits\n  Where Req'ed\n  No Linear Selects\n"
                       "  No Linear Joins\n  Error Msg @ 1000 Rows\n  Tables:\n    1 CUSTOMER, Update allowed\n"
                       "    2 ORDERS, Inquiry only\n");

    auto add = e2e.kestra({"add-app", "(PROD)SALES ON DBPACK", "report.exe", "--update-allowed", "on", "--local-limits",
                           "where-required,eof:20", "--tables", "customer,2"});
    EXPECT_EQ(add.status, 0) << add.err;
    EXPECT_EQ(add.out, "");
    app = e2e.kestra({"app", "(PROD)SALES ON DBPACK", "3"});
    EXPECT_TRUE(has(app.out, "3 REPORT.EXE, Update allowed, Using local limits\n  Where Req'ed\n")) << app.out;
    EXPECT_TRUE(has(app.out, "Silent EOF @ 20 Rows\n  Tables:\n    1 CUSTOMER, Inquiry only\n    2 ORDERS, Inquiry only\n"))
        << app.out;

    EXPECT_TRUE(has(e2e.kestra({"add-app", "(PROD)SALES ON DBPACK", "Report.Exe"}).err, "**Duplicate Program Name**"));
    EXPECT_TRUE(has(e2e.kestra({"add-app", "(PROD)SALES ON DBPACK", "  "}).err, "**You must enter a program name**"));
    EXPECT_TRUE(has(e2e.kestra({"add-app", "(PROD)SALES ON DBPACK", "ABCDEFGHIJKLMNOPQ"}).err, "**Program name is too long**"));
    EXPECT_EQ(e2e.kestra({"add-app", "(PROD)SALES ON DBPACK", "ABCDEFGHIJKLMNOP"}).status, 0);

    auto set = e2e.kestra({"set-app", "(PROD)SALES ON DBPACK", "REPORT.EXE", "--name", "REPORTS.EXE", "--local-limits", "off",
                           "--tables", "off"});
    EXPECT_EQ(set.status, 0) << set.err;
    app = e2e.kestra({"app", "(PROD)SALES ON DBPACK", "3"});
    EXPECT_EQ(app.out, "3 REPORTS.EXE, Update allowed, Using global limits\n  No Where Req'ed\n  Linear Selects OK\n"
                       "  No Linear Joins\n  Silent EOF @ 50000 Rows\n");
    EXPECT_TRUE(has(e2e.kestra({"set-app", "(PROD)SALES ON DBPACK", "3", "--tables", "orders:u"}).err, "does not allow updates"));

    auto del = e2e.kestra({"delete-apps", "(PROD)SALES ON DBPACK", "REPORTS.EXE", "1"});
    EXPECT_EQ(del.status, 0) << del.err;
    apps = e2e.kestra({"--json", "apps", "(PROD)SALES ON DBPACK"});
    EXPECT_EQ(apps.out, "[{\"number\":2,\"name\":\"SALESPRO.EXE\",\"update_allowed\":true},"
                        "{\"number\":4,\"name\":\"ABCDEFGHIJKLMNOP\",\"update_allowed\":false}]\n");
    auto missing = e2e.kestra({"delete-apps", "(PROD)SALES ON DBPACK", "NOPE.EXE"});
    EXPECT_EQ(missing.status, 1);
}

TEST(OptionsE2e, AnApplicationListNeedingContinuationMessages) {
    TempDir dir;
    std::string apps;
    std::string expected;
    for (int i = 1; i <= 40; ++i) {
        const std::string name = "PROGRAM-" + std::to_string(100 + i) + ".EXE";
        apps += std::string(i > 1 ? "," : "") + "{\"number\":" + std::to_string(i) + ",\"program\":\"" + name +
                "\",\"update_allowed\":" + (i % 2 ? "true" : "false") + "}";
        expected += std::to_string(i) + " " + name + (i % 2 ? ", Update allowed\n" : ", Inquiry only\n");
    }
    HostsimProcess::Options options;
    options.fixture = dir.write("apps.json", "{\"users\":[{\"name\":\"ADMIN\",\"password\":\"SECRET\","
                                             "\"max_message_size\":200}],\"config_files\":[{\"number\":1,"
                                             "\"name\":\"MANY\",\"applications\":[" + apps + "]}]}");
    E2eHost e2e(options);
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    auto r = e2e.kestra({"apps", "MANY"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    // Deleting many at once goes in several messages of a 200-character line too.
    std::vector<std::string> args{"delete-apps", "MANY"};
    for (int i = 1; i <= 40; ++i) args.push_back(std::to_string(i));
    auto del = e2e.kestra(args);
    EXPECT_EQ(del.status, 0) << del.err;
    EXPECT_EQ(e2e.kestra({"apps", "MANY"}).out, "");
}

}  // namespace
