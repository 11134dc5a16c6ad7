#include <gtest/gtest.h>

#include <string>

#include "e2e_host.h"
#include "support/temp_dir.h"

using kestra::testing::E2eHost;
using kestra::testing::HostsimProcess;
using kestra::testing::TempDir;

namespace {

constexpr const char* kSalesDescfile = "(PROD)DESCRIPTION/SALESDB ON DBPACK";
constexpr const char* kPayDescfile = "(PAY)DESCRIPTION/PAYDB ON PAYPACK";

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(CatalogueE2e, DescriptionFilesAndDatabases) {
    E2eHost e2e;
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    auto d = e2e.kestra({"descfiles"});
    EXPECT_EQ(d.status, 0) << d.err;
    EXPECT_EQ(d.out, std::string(kSalesDescfile) + "\n" + kPayDescfile + "\n");

    auto db = e2e.kestra({"databases", "(prod)description/salesdb on dbpack"});  // upper-cased on the wire
    EXPECT_EQ(db.status, 0) << db.err;
    EXPECT_EQ(db.out, "SALESDB\nSALESHIST\n");
    auto j = e2e.kestra({"--json", "databases", kPayDescfile});
    EXPECT_EQ(j.out, "[\"PAYDB\"]\n") << j.err;

    auto bad = e2e.kestra({"databases", "DESCRIPTION/SALESDB ON DBPACK"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(has(bad.err, "description file name must include both a usercode and packname")) << bad.err;
    auto unknown = e2e.kestra({"databases", "(X)NOTHING ON PACK"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(has(unknown.err, "DESCRIPTION FILE NOT FOUND")) << unknown.err;
}

TEST(CatalogueE2e, DatasetsInHostOrderOrSorted) {
    E2eHost e2e;
    auto host = e2e.kestra({"datasets", kPayDescfile, "PAYDB"});
    EXPECT_EQ(host.status, 0) << host.err;
    EXPECT_EQ(host.out, "EMPLOYEE\n  EMP-BY-NO (set)\nDEPARTMENT\n");
    auto sorted = e2e.kestra({"datasets", kPayDescfile, "paydb", "--sorted"});
    EXPECT_EQ(sorted.status, 0) << sorted.err;
    EXPECT_EQ(sorted.out, "DEPARTMENT\nEMPLOYEE\n  EMP-BY-NO (set)\n");
    e2e.set("admin", "sort datasets", "1");
    auto by_setting = e2e.kestra({"datasets", kPayDescfile, "PAYDB"});
    EXPECT_EQ(by_setting.out, sorted.out) << by_setting.err;

    auto j = e2e.kestra({"--json", "datasets", kSalesDescfile, "SALESHIST"});
    EXPECT_EQ(j.out, "[{\"name\":\"ORDER-HISTORY\",\"type\":0,\"set\":false,\"dataset\":\"ORDER-HISTORY\"}]\n")
        << j.err;
    auto none = e2e.kestra({"datasets", kSalesDescfile, "NODB"});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(has(none.err, "no database NODB")) << none.err;
}

TEST(CatalogueE2e, ALargeDatabaseArrivesOverSeveralMessages) {
    TempDir dir;
    std::string datasets;
    std::string expected;
    for (int i = 0; i < 400; ++i) {
        const std::string name = "HISTORY-DATASET-" + std::to_string(i);
        const bool set = i % 4 != 0;
        datasets += std::string(i ? "," : "") + "{\"name\":\"" + name + "\",\"type\":" + (set ? "1" : "0") + "}";
        expected += set ? "  " + name + " (set)\n" : name + "\n";
    }
    HostsimProcess::Options options;
    options.fixture = dir.write(
        "big.json", "{\"users\":[{\"name\":\"ADMIN\",\"password\":\"SECRET\"}],\"description_files\":[{\"name\":"
                    "\"(U)BIG ON P\",\"databases\":[{\"name\":\"BIG\",\"datasets\":[" + datasets + "]}]}]}");
    E2eHost e2e(options);
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    auto r = e2e.kestra({"datasets", "(U)BIG ON P", "BIG"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
}

TEST(CatalogueE2e, AddTablesDerivesNamesAndSaves) {
    E2eHost e2e;
    auto r = e2e.kestra({"add-tables", "(PROD)SALES ON DBPACK", "--descfile", kSalesDescfile, "--database", "SALESDB", "CUST-BY-ID",
                         "product", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "\"name\":\"CUST_BY_ID\"}")) << r.out;
    EXPECT_TRUE(has(r.out, "\"name\":\"PRODUCT\"}")) << r.out;

    auto tables = e2e.kestra({"tables", "(PROD)SALES ON DBPACK"});
    EXPECT_TRUE(has(tables.out, " CUST_BY_ID ")) << tables.out;
    auto t = e2e.kestra({"table", "(PROD)SALES ON DBPACK", "CUST_BY_ID"});
    EXPECT_EQ(t.status, 0) << t.err;
    EXPECT_TRUE(has(t.out, "dataset: CUSTOMER\n")) << t.out;
    EXPECT_TRUE(has(t.out, "CUST-BY-ID")) << t.out;
    EXPECT_TRUE(has(t.out, kSalesDescfile)) << t.out;
}

TEST(CatalogueE2e, AddTablesRefusesDuplicatesUnlessRenamed) {
    E2eHost e2e;
    auto dup = e2e.kestra({"add-tables", "(PROD)SALES ON DBPACK", "--descfile", kSalesDescfile, "--database", "SALESDB", "ORDERS"});
    EXPECT_EQ(dup.status, 1);
    EXPECT_TRUE(has(dup.err, "*** Duplicate table name ***")) << dup.err;
    auto twice = e2e.kestra({"add-tables", "(PROD)SALES ON DBPACK", "--descfile", kSalesDescfile, "--database", "SALESDB",
                             "PRODUCT", "PRODUCT"});
    EXPECT_EQ(twice.status, 1);
    EXPECT_EQ(e2e.kestra({"tables", "(PROD)SALES ON DBPACK"}).out.find("PRODUCT"), std::string::npos);  // nothing was added

    auto renamed = e2e.kestra({"add-tables", "(PROD)SALES ON DBPACK", "--descfile", kSalesDescfile, "--database", "SALESDB", "--as",
                               "ORDERS=orders_copy", "ORDERS"});
    EXPECT_EQ(renamed.status, 0) << renamed.err;
    EXPECT_EQ(renamed.out, "");  // a change prints nothing
    EXPECT_TRUE(has(e2e.kestra({"tables", "(PROD)SALES ON DBPACK"}).out, " ORDERS_COPY ")) << renamed.out;
}

TEST(CatalogueE2e, NoSaveLeavesTheStoredFileAsItWas) {
    E2eHost e2e;
    auto r = e2e.kestra({"add-tables", "(PROD)SALES ON DBPACK", "--no-save", "--descfile", kSalesDescfile, "--database", "SALESDB",
                         "PRODUCT"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(e2e.kestra({"tables", "(PROD)SALES ON DBPACK"}).out.find("PRODUCT"), std::string::npos);
}

TEST(CatalogueE2e, AddCobolTableFromASequenceNumber) {
    E2eHost e2e;
    auto r = e2e.kestra({"add-cobol-table", "(PAY)PAYROLL ON PAYPACK", "--name", "my table-1", "--source", "(PAY)SOURCE/TIMECARD",
                         "--mode", "fd-seq", "--target", "100", "--data-file", "(PAY)DATA/TIMECARD ON PAYPACK"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    auto t = e2e.kestra({"table", "(PAY)PAYROLL ON PAYPACK", "MYTABLE_1"});
    EXPECT_EQ(t.status, 0) << t.err;
    EXPECT_TRUE(has(t.out, "database: 000100\n")) << t.out;
    EXPECT_TRUE(has(t.out, "dataset: STYLE\n")) << t.out;
    EXPECT_TRUE(has(t.out, "option: 4\n")) << t.out;

    auto by_name = e2e.kestra({"add-cobol-table", "(PAY)PAYROLL ON PAYPACK", "--name", "trailer", "--source", "(PAY)SOURCE/TIMECARD",
                               "--mode", "01-name", "--target", "TIMECARD-TRAILER", "--data-file", "T",
                               "--library", "(PAY)LIB"});
    EXPECT_EQ(by_name.status, 0) << by_name.err;
}

TEST(CatalogueE2e, AddCobolTableChecksAndHostRefusals) {
    E2eHost e2e;
    const std::vector<std::string> base{"add-cobol-table", "(PAY)PAYROLL ON PAYPACK", "--source", "(PAY)SOURCE/TIMECARD",
                                        "--data-file", "T"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = base;
        args.insert(args.end(), extra.begin(), extra.end());
        return e2e.kestra(args);
    };
    auto dup = with({"--name", "timecard", "--mode", "fd-name", "--target", "TIMECARD-FILE"});
    EXPECT_EQ(dup.status, 1);
    EXPECT_TRUE(has(dup.err, "**Duplicate Table Name**")) << dup.err;
    auto digits = with({"--name", "X", "--mode", "fd-seq", "--target", "12A"});
    EXPECT_EQ(digits.status, 2);
    EXPECT_TRUE(has(digits.err, "**Non-digit in sequence number target**")) << digits.err;
    auto longer = with({"--name", "X", "--mode", "01-seq", "--target", "1234567"});
    EXPECT_TRUE(has(longer.err, "**Sequence number target cannot exceed 6 digits**")) << longer.err;
    auto missing = with({"--name", "X", "--mode", "fd-name", "--target", "NO-SUCH-FD"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(has(missing.err, "COBOL RECORD NOT FOUND")) << missing.err;
    EXPECT_EQ(e2e.kestra({"tables", "(PAY)PAYROLL ON PAYPACK"}).out.find(" X "), std::string::npos);
    auto mode = with({"--name", "X", "--mode", "sideways", "--target", "1"});
    EXPECT_EQ(mode.status, 2);
}

}  // namespace
