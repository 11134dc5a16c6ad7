#include <gtest/gtest.h>

#include <string>

#include "e2e_host.h"
#include "support/temp_dir.h"

using kestra::testing::E2eHost;
using kestra::testing::HostsimProcess;
using kestra::testing::TempDir;

namespace {

constexpr const char* kSalesTables =
    "1 CUSTOMER update-allowed=on return-groups=off join=off\n"
    "2 ORDERS update-allowed=off return-groups=on join=off\n"
    "3 CUSTOMER_ORDERS update-allowed=off return-groups=off join=on\n";

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(TableE2e, TablesListsNumberNameAndFlags) {
    E2eHost e2e;
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    auto r = e2e.kestra({"tables", "(PROD)SALES ON DBPACK"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kSalesTables);

    auto j = e2e.kestra({"--json", "tables", "5"});
    EXPECT_EQ(j.status, 0) << j.err;
    EXPECT_EQ(j.out,
              "[{\"number\":1,\"name\":\"EMPLOYEE\",\"update_allowed\":false,\"return_groups\":false,\"join\":false},"
              "{\"number\":2,\"name\":\"TIMECARD\",\"update_allowed\":false,\"return_groups\":false,\"join\":false}]\n");
}

TEST(TableE2e, TableShowsAPlainTableWithItsSetsAndAJoinWithItsMembers) {
    E2eHost e2e;
    auto r = e2e.kestra({"table", "(PROD)SALES ON DBPACK", "ORDERS"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "number: 2\nname: ORDERS\noption: 16\nupdate allowed: off\nreturn groups: on\njoin: off\n"
              "database: SALESDB\ndataset: ORDERS\nset: \ndescription file: (PROD)DESCRIPTION/SALESDB ON DBPACK\n"
              "where: ORD-STATUS <> 'X'\n"
              "set ORD-BY-CUST attributes 0 0 0 keys 2(01) 6(01)\n");

    auto c = e2e.kestra({"table", "(PROD)SALES ON DBPACK", "customer"});
    ASSERT_EQ(c.status, 0) << c.err;
    EXPECT_TRUE(has(c.out, "set CUST-BY-NAME attributes 0 1 0 keys 2(01) 1(01)\n")) << c.out;

    auto j = e2e.kestra({"table", "(PROD)SALES ON DBPACK", "3"});
    ASSERT_EQ(j.status, 0) << j.err;
    EXPECT_EQ(j.out,
              "number: 3\nname: CUSTOMER_ORDERS\noption: 0\nupdate allowed: off\nreturn groups: off\njoin: on\n"
              "member 1 CUSTOMER set CUST-BY-ID kind INNER where CUST-ACTIVE = TRUE\n"
              "member 2 ORDERS set ORD-BY-CUST kind OUTER where UNDEFINED\n"
              "  Field ORD-CUST = CUSTOMER.CUST-ID\n"
              "  Field ORD-STATUS = 'O'\n");

    auto missing = e2e.kestra({"table", "(PROD)SALES ON DBPACK", "NOPE"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(has(missing.err, "no table NOPE")) << missing.err;
}

TEST(TableE2e, SetTablesChangesTheFlagsOfSeveralTables) {
    E2eHost e2e;
    auto r = e2e.kestra({"set-tables", "(PROD)SALES ON DBPACK", "--update-allowed", "on", "--return-groups", "on", "ORDERS",
                         "CUSTOMER"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto list = e2e.kestra({"tables", "(PROD)SALES ON DBPACK"});
    EXPECT_EQ(list.out,
              "1 CUSTOMER update-allowed=on return-groups=on join=off\n"
              "2 ORDERS update-allowed=on return-groups=on join=off\n"
              "3 CUSTOMER_ORDERS update-allowed=off return-groups=off join=on\n");
    // The details the list does not carry went back unchanged.
    auto orders = e2e.kestra({"table", "(PROD)SALES ON DBPACK", "ORDERS"});
    EXPECT_TRUE(has(orders.out, "option: 16\n")) << orders.out;
    EXPECT_TRUE(has(orders.out, "where: ORD-STATUS <> 'X'\n")) << orders.out;
    EXPECT_TRUE(has(orders.out, "database: SALESDB\n")) << orders.out;

    auto none = e2e.kestra({"set-tables", "(PROD)SALES ON DBPACK", "ORDERS"});
    EXPECT_EQ(none.status, 2);
}

TEST(TableE2e, RenameIsCheckedAndKept) {
    E2eHost e2e;
    auto dup = e2e.kestra({"rename-table", "(PROD)SALES ON DBPACK", "ORDERS", "customer"});
    EXPECT_EQ(dup.status, 1);
    EXPECT_TRUE(has(dup.err, "**Duplicate Table Name**")) << dup.err;
    auto long_name = e2e.kestra({"rename-table", "(PROD)SALES ON DBPACK", "ORDERS", std::string(30, 'A')});
    EXPECT_EQ(long_name.status, 2);
    auto empty = e2e.kestra({"rename-table", "(PROD)SALES ON DBPACK", "ORDERS", "   "});
    EXPECT_EQ(empty.status, 2);
    EXPECT_TRUE(has(empty.err, "**You must enter a table name**")) << empty.err;

    auto r = e2e.kestra({"rename-table", "(PROD)SALES ON DBPACK", "ORDERS", " open_orders "});
    ASSERT_EQ(r.status, 0) << r.err;
    auto list = e2e.kestra({"tables", "(PROD)SALES ON DBPACK"});
    EXPECT_TRUE(has(list.out, "2 OPEN_ORDERS update-allowed=off")) << list.out;
    auto orders = e2e.kestra({"table", "(PROD)SALES ON DBPACK", "OPEN_ORDERS"});
    EXPECT_TRUE(has(orders.out, "where: ORD-STATUS <> 'X'\n")) << orders.out;

    auto join = e2e.kestra({"rename-table", "(PROD)SALES ON DBPACK", "CUSTOMER_ORDERS", "CUST_ORD"});
    ASSERT_EQ(join.status, 0) << join.err;
    auto joined = e2e.kestra({"table", "(PROD)SALES ON DBPACK", "CUST_ORD"});
    EXPECT_TRUE(has(joined.out, "member 2 ORDERS set ORD-BY-CUST")) << joined.out;
}

TEST(TableE2e, ARefusedModifyShowsTheHostsRecordAndChangesNothing) {
    E2eHost e2e;
    auto r = e2e.kestra({"rename-table", "(PROD)SALES ON DBPACK", "ORDERS", "OPEN ORDERS"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "[Kestra]INVALID TABLE NAME")) << r.err;
    auto list = e2e.kestra({"tables", "(PROD)SALES ON DBPACK"});
    EXPECT_EQ(list.out, kSalesTables);
}

TEST(TableE2e, SetWhereStoresTheTextAsTyped) {
    E2eHost e2e;
    auto r = e2e.kestra({"set-where", "(PROD)SALES ON DBPACK", "CUSTOMER", "cust-id > 100 and Name like 'a%'"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto c = e2e.kestra({"table", "(PROD)SALES ON DBPACK", "CUSTOMER"});
    EXPECT_TRUE(has(c.out, "where: cust-id > 100 and Name like 'a%'\n")) << c.out;

    auto cleared = e2e.kestra({"set-where", "(PROD)SALES ON DBPACK", "CUSTOMER", ""});
    ASSERT_EQ(cleared.status, 0) << cleared.err;
    c = e2e.kestra({"table", "(PROD)SALES ON DBPACK", "CUSTOMER"});
    EXPECT_TRUE(has(c.out, "where: \n")) << c.out;
}

TEST(TableE2e, WithoutSaveTheHostKeepsNothing) {
    E2eHost e2e;
    auto r = e2e.kestra({"set-where", "(PROD)SALES ON DBPACK", "ORDERS", "ORD-STATUS = 'O'", "--no-save"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto d = e2e.kestra({"delete-tables", "--no-save", "(PROD)SALES ON DBPACK", "ORDERS"});
    ASSERT_EQ(d.status, 0) << d.err;
    auto c = e2e.kestra({"table", "(PROD)SALES ON DBPACK", "ORDERS"});
    EXPECT_TRUE(has(c.out, "where: ORD-STATUS <> 'X'\n")) << c.out;
}

TEST(TableE2e, DeleteTablesRemovesThem) {
    E2eHost e2e;
    auto r = e2e.kestra({"delete-tables", "(PROD)SALES ON DBPACK", "ORDERS", "CUSTOMER_ORDERS"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto list = e2e.kestra({"tables", "(PROD)SALES ON DBPACK"});
    EXPECT_EQ(list.out, "1 CUSTOMER update-allowed=on return-groups=off join=off\n");
    auto missing = e2e.kestra({"delete-tables", "(PROD)SALES ON DBPACK", "ORDERS"});
    EXPECT_EQ(missing.status, 1);
}

TEST(TableE2e, ATableListLongerThanOneMessageArrivesWhole) {
    TempDir dir;
    std::string tables;
    std::string expected;
    for (int i = 1; i <= 150; ++i) {
        char name[40];
        std::snprintf(name, sizeof name, "A_RATHER_LONG_TABLE_NAME_%04d", i);
        tables += std::string(i > 1 ? "," : "") + "{\"number\":" + std::to_string(i) + ",\"name\":\"" + name + "\"}";
        expected += std::to_string(i) + " " + name + " update-allowed=off return-groups=off join=off\n";
    }
    HostsimProcess::Options options;
    options.fixture = dir.write(
        "big.json", "{\"users\":[{\"name\":\"ADMIN\",\"password\":\"SECRET\",\"max_message_size\":1920}],"
                    "\"config_files\":[{\"number\":1,\"name\":\"BIG\",\"tables\":[" + tables + "]}]}");
    E2eHost e2e(options);
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    auto r = e2e.kestra({"tables", "BIG"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
}

}  // namespace
