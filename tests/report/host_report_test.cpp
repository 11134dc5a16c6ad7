#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "app/admin_app.h"
#include "configsvc/config_client.h"
#include "hostlink/host_session.h"
#include "report/page_reader.h"
#include "report/report_writer.h"
#include "report_records.h"
#include "support/fake_provider.h"
#include "support/temp_dir.h"

using namespace kestra;
using namespace kestra::report;
using kestra::testing::add_app;
using kestra::testing::add_table;
using kestra::testing::fake_provider;
using kestra::testing::TempDir;

namespace {

constexpr const char* kRefusal = "2000300171 TABLE IS LOCKED0000";

// The report over the in-memory provider, with a host that answers by request code and refuses what it is told to.
class HostReport : public ::testing::Test {
  protected:
    void SetUp() override {
        fake_provider().reset();
        app::admin_app() = app::CAdminApp();
        session.set_provider(fake_provider().table());
        session.set_connection(1);
        session.set_timeouts(30, 30);
        session.set_message_size(400);
        ASSERT_EQ(session.alloc_host_msg_buffer(), 0);
        file.file_reference = 7;
        options.global_options = false;
        options.limits = false;
        options.applications = false;
        ASSERT_TRUE(page_file.create(dir.path()));
        fake_provider().responder = [this](std::string_view sent) {
            const int code = std::stoi(std::string(sent.substr(7, 3)));
            const std::string body(sent.substr(14));
            codes.push_back(code);
            std::string reply = "0";
            if (refused.count(code) && (refused_body.empty() || body.rfind(refused_body, 0) == 0))
                reply = kRefusal;
            else if (replies.count(code))
                reply = replies[code];
            return std::vector<std::string>{fake_provider().next_host_message(2, code, reply)};
        };
        // Table load: handle 1, the table's details; field list: one ALPHA(10) and one hidden field.
        replies[23] = "00001004GOOD00000100003SDB004CUST000003D/F000";
        replies[25] =
            "00002"
            "0001"
            "005CUSNO"
            "000"
            "0"
            "0"
            "1"
            "0"
            "04"
            "0000"
            "0010"  // visible
            "0002"
            "005NOTES"
            "000"
            "0"
            "0"
            "0"
            "0"
            "04"
            "0010"
            "0010";  // hidden
        replies[36] =
            "0"
            "005EXCEL10"
            "0";
    }
    void TearDown() override {
        EXPECT_EQ(fake_provider().buffers_outstanding, 0);
        fake_provider().reset();
    }
    std::int16_t run(int lines_per_page = 60) {
        configsvc::CConfigClient client(session);
        return write_report(client, pending, file, "SALES", options, lines_per_page, page_file, &pages);
    }
    std::string page_text() { return TempDir::read(page_file.path()); }
    bool has_line(const std::string& line) { return page_text().find("\n" + line + "\n") != std::string::npos; }
    // Queued texts carry the driver's prefix; the message is what ends them.
    bool has_diagnostic(const std::string& text) {
        for (const auto& d : session.diagnostics())
            if (d.text.size() >= text.size() && d.text.compare(d.text.size() - text.size(), text.size(), text) == 0)
                return true;
        return false;
    }
    std::string all_diagnostics() {
        std::string all;
        for (const auto& d : session.diagnostics()) all += d.text + "\n";
        return all;
    }

    hostlink::CHostSession session;
    configsvc::CPendingUnloadList pending;
    model::CConfigFile file;
    PrintOptions options;
    TempDir dir;
    CPageFile page_file;
    int pages = -1;
    std::vector<int> codes;
    std::map<int, std::string> replies;
    std::set<int> refused;
    std::string refused_body;  // when set, only requests whose body starts so are refused
};

TEST_F(HostReport, LoadsWritesAndUnloadsEachTable) {
    options.fields = true;
    add_table(file, "GOOD");
    ASSERT_EQ(run(), 0) << all_diagnostics();
    EXPECT_EQ(codes, (std::vector<int>{23, 25, 24}));
    EXPECT_EQ(fake_provider().transmitted.at(0).substr(14), "00070001");
    EXPECT_EQ(fake_provider().transmitted.at(2).substr(14), "00010");  // handle 1, without save
    EXPECT_TRUE(has_line("BTable GOOD"));
    EXPECT_TRUE(has_line("NCUSNO" + std::string(24, ' ') + " ALPHA(10)       SQL_VARCHAR"));
    EXPECT_EQ(page_text().find("NOTES"), std::string::npos);
    EXPECT_FALSE(file.tables[0]->loaded);
    EXPECT_TRUE(file.tables[0]->fields.empty());
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(session.diagnostics().empty()) << all_diagnostics();
}

TEST_F(HostReport, AFailingTableLoadPrintsItsLineAndTheReportGoesOn) {
    options.detail = true;
    add_table(file, "BAD");
    add_table(file, "GOOD");
    refused = {23};
    refused_body = "00070001";
    EXPECT_EQ(run(), 1);  // complete, with something missing
    EXPECT_TRUE(has_line("BCannot load table BAD"));
    EXPECT_TRUE(has_line("BTable GOOD"));
    EXPECT_EQ(page_text().substr(page_text().size() - 2), "E\n");
    EXPECT_TRUE(has_diagnostic("TABLE IS LOCKED")) << all_diagnostics();
    // The refused table was never loaded, so only the other one is unloaded.
    EXPECT_EQ(codes, (std::vector<int>{23, 23, 24}));
}

TEST_F(HostReport, AFailingFieldListAndApplication) {
    options.fields = true;
    options.applications = true;
    add_app(file, "EXCEL").app_number = 1;
    add_table(file, "GOOD");
    refused = {25, 36};
    EXPECT_EQ(run(), 1);
    EXPECT_TRUE(has_line("BCannot load application info for EXCEL"));
    EXPECT_TRUE(has_line("BCannot load field list for table GOOD"));
    EXPECT_EQ(codes, (std::vector<int>{36, 23, 25, 24}));
}

TEST_F(HostReport, ApplicationDetailsComeFromTheHost) {
    options.applications = true;
    add_app(file, "EXCEL").app_number = 1;
    replies[36] =
        "0"
        "005EXCEL11"
        "1102"
        "0000000250"
        "0";
    ASSERT_EQ(run(), 0) << all_diagnostics();
    EXPECT_TRUE(page_text().find("NEXCEL, Update allowed, Using local limits\nNWhere Required\nNLinear Selects "
                                 "Allowed\nNNo Linear Joins\nNError Message at 250 Rows\nN\n") != std::string::npos)
        << page_text();
}

TEST_F(HostReport, LinesPerPageBelowOneAreRefusedBeforeAnythingHappens) {
    add_table(file, "GOOD");
    EXPECT_EQ(run(0), -1);
    EXPECT_EQ(run(-5), -1);
    EXPECT_TRUE(codes.empty());
    EXPECT_TRUE(has_diagnostic(kBadLinesPerPage)) << all_diagnostics();
    EXPECT_EQ(pages, 0);
}

TEST_F(HostReport, APageFileThatCannotBeWrittenStopsTheReport) {
    options.fields = true;
    add_table(file, "GOOD");
    const std::string path = page_file.path();
    std::filesystem::remove_all(dir.path());
    EXPECT_EQ(run(), -1);
    EXPECT_TRUE(codes.empty());
    EXPECT_TRUE(has_diagnostic("Bad path " + path)) << all_diagnostics();
    EXPECT_FALSE(file.tables[0]->loaded);
}

TEST_F(HostReport, ThePageCountBoundsWhatThePrinterCanAskFor) {
    options.names = true;
    for (int i = 0; i < 7; ++i) add_table(file, "T" + std::to_string(i));
    ASSERT_EQ(run(3), 0);  // header 2, "Tables:", seven names: ten lines
    EXPECT_EQ(pages, 4);
    Page page;
    EXPECT_TRUE(PageReader::read_page_file(page_file.path(), 3, page));
    EXPECT_EQ(page.size(), 1u);
    EXPECT_FALSE(PageReader::read_page_file(page_file.path(), 4, page));
    EXPECT_TRUE(codes.empty());  // names alone load nothing
}

}  // namespace
