// The report commands' document side: which file they act on, and the report written into the window's page file.
#include "workspace/print_job.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "report/page_reader.h"
#include "support/fake_provider.h"
#include "support/fake_session.h"
#include "support/temp_dir.h"
#include "workspace/admin_doc.h"

namespace ws = kestra::workspace;
namespace hl = kestra::hostlink;
using kestra::testing::fake_provider;
using kestra::testing::TempDir;

namespace {

class PrintJob : public kestra::testing::FakeSessionTest {
protected:
    std::unique_ptr<hl::CHostSession> taken_session() { return std::make_unique<hl::CHostSession>(std::move(session)); }
};

TEST_F(PrintJob, OnlyASelectedFileIsPrinted) {
    ws::CAdminDoc doc(taken_session());
    auto* sales = doc.root().add_child("SALES", 1);
    int pages = 7;
    // Nothing selected, then the root: no report, and the page file is not touched.
    EXPECT_EQ(ws::print_target(doc), nullptr);
    EXPECT_EQ(ws::write_print_report(doc, 60, pages), hl::kError);
    EXPECT_EQ(pages, 0);
    doc.set_selected(&doc.root());
    EXPECT_EQ(ws::print_target(doc), nullptr);
    EXPECT_EQ(ws::write_print_report(doc, 60, pages), hl::kError);
    EXPECT_FALSE(doc.print.page_file.exists());
    doc.session().clear_errors();

    doc.set_selected(sales);
    EXPECT_EQ(ws::print_target(doc), sales);
    EXPECT_TRUE(fake_provider().transmitted.empty());
}

TEST_F(PrintJob, TheReportIsWrittenAfreshWithTheWindowsOptions) {
    ws::CAdminDoc doc(taken_session());
    auto* sales = doc.root().add_child("SALES", 1);
    doc.set_selected(sales);
    TempDir dir;
    ASSERT_TRUE(doc.print.page_file.create(dir.path()));
    // Sections from the records already read need no request.
    doc.print.options.applications = false;
    doc.print.options.names = false;
    int pages = 0;
    ASSERT_EQ(ws::write_print_report(doc, 60, pages), 0);
    EXPECT_EQ(pages, 1);
    std::vector<kestra::report::Page> read;
    ASSERT_TRUE(kestra::report::PageReader::read_page_file(doc.print.page_file.path(), read));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].front().text.rfind("Configuration file SALES at ", 0), 0u);
    EXPECT_TRUE(read[0].front().bold());

    // A changed file and fewer lines per page: the next command prints what the file is now.
    sales->config.limits.where_required = true;
    doc.print.options.global_options = false;
    ASSERT_EQ(ws::write_print_report(doc, 2, pages), 0);
    ASSERT_TRUE(kestra::report::PageReader::read_page_file(doc.print.page_file.path(), read));
    EXPECT_EQ(static_cast<int>(read.size()), pages);
    ASSERT_EQ(read.size(), 4u);
    EXPECT_EQ(read[1][1].text, "Where Required");
    // Lines per page below 1 is refused before anything is written.
    EXPECT_EQ(ws::write_print_report(doc, 0, pages), hl::kError);
    EXPECT_EQ(pages, 0);
    EXPECT_TRUE(fake_provider().transmitted.empty());
    doc.session().clear_errors();
}

TEST_F(PrintJob, ThePageFileGoesWithTheDocument) {
    std::string path;
    {
        ws::CAdminDoc doc(taken_session());
        ASSERT_TRUE(doc.print.page_file.create());
        path = doc.print.page_file.path();
        EXPECT_TRUE(std::filesystem::exists(path));
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
