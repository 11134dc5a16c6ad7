#include "report/page_geometry.h"

#include <gtest/gtest.h>

using namespace kestra::report;

namespace {

TEST(PageGeometry, LinesPerPageNeverDividesByNothingNorGivesAnEmptyPage) {
    EXPECT_EQ(lines_per_page(6600, 110), 60);
    EXPECT_EQ(lines_per_page(6699, 110), 60);
    // Exactly one line, and one unit short of it.
    EXPECT_EQ(lines_per_page(110, 110), 1);
    EXPECT_EQ(lines_per_page(109, 110), 0);
    // No font (no line height) and no page at all.
    EXPECT_EQ(lines_per_page(6600, 0), 0);
    EXPECT_EQ(lines_per_page(6600, -3), 0);
    EXPECT_EQ(lines_per_page(0, 110), 0);
    EXPECT_EQ(lines_per_page(-500, 110), 0);
}

TEST(PageGeometry, ThePrinterRangeIsCutToTheReport) {
    // The dialog offers 1 to 65535 before the report is written.
    PageRange r = clamp_page_range(true, 1, 65535, 3);
    EXPECT_EQ(r.first, 1);
    EXPECT_EQ(r.last, 3);
    EXPECT_EQ(r.count(), 3);
    r = clamp_page_range(false, 0, 0, 5);
    EXPECT_EQ(r.count(), 5);
    r = clamp_page_range(true, 2, 2, 5);
    EXPECT_EQ(r.first, 2);
    EXPECT_EQ(r.last, 2);
    // No end given: to the last page. A start before the first page: from the first.
    r = clamp_page_range(true, 4, 0, 5);
    EXPECT_EQ(r.first, 4);
    EXPECT_EQ(r.last, 5);
    r = clamp_page_range(true, 0, 2, 5);
    EXPECT_EQ(r.first, 1);
    EXPECT_EQ(r.last, 2);
    // A range wholly past the report, or a report without pages, prints nothing rather than blank sheets.
    EXPECT_TRUE(clamp_page_range(true, 7, 9, 5).empty());
    EXPECT_EQ(clamp_page_range(true, 7, 9, 5).count(), 0);
    EXPECT_TRUE(clamp_page_range(false, 0, 0, 0).empty());
    // A reversed range is empty too.
    EXPECT_TRUE(clamp_page_range(true, 4, 2, 5).empty());
}

}  // namespace
