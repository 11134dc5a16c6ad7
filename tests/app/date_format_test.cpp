#include "app/date_format.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/admin_app.h"

using namespace kestra::app;

namespace {

class DateFormat : public ::testing::Test {
  protected:
    void SetUp() override { admin_app() = CAdminApp(); }
    void TearDown() override { admin_app() = CAdminApp(); }
};

// 14 March 2003 was a Friday.
TEST_F(DateFormat, ShortPictureWithTwoDigitYear) {
    EXPECT_EQ(format_date(14, 3, 5, 2003, false), "3/14/03");
    EXPECT_EQ(format_date(4, 3, 2, 2003, false), "3/4/03");
}

TEST_F(DateFormat, FourYearLettersPrintTheWholeYear) {
    EXPECT_EQ(format_date_picture("yyyy-MM-dd", 4, 3, 2, 2003), "2003-03-04");
    EXPECT_EQ(format_date_picture("YYY", 4, 3, 2, 987), "0987");
    EXPECT_EQ(format_date_picture("y", 4, 3, 2, 2000), "00");
}

TEST_F(DateFormat, LongPicturePrintsFullNames) {
    EXPECT_EQ(format_date(14, 3, 5, 2003, true), "Friday, March 14, 2003");
    EXPECT_EQ(format_date_picture("ddd d MMM", 1, 12, 0, 2003), "Sun 1 Dec");
    EXPECT_EQ(format_date_picture("DDDDDD", 1, 12, 6, 2003), "Saturday");
}

TEST_F(DateFormat, QuotesMakeLiteralsAndApostrophesAreDropped) {
    EXPECT_EQ(format_date_picture("\"day\" d 'of' MMMM", 2, 1, 4, 2003), "day 2 of January");
    EXPECT_EQ(format_date_picture("d \"unclosed dd", 2, 1, 4, 2003), "2 unclosed dd");
    EXPECT_EQ(format_date_picture("", 2, 1, 4, 2003), "");
}

TEST_F(DateFormat, NamesOutOfRangePrintAsNumbers) {
    EXPECT_EQ(format_date_picture("dddd mmmm", 1, 13, 7, 2003), "7 13");
    EXPECT_EQ(format_date_picture("ddd mmm", 1, 0, -1, 2003), "-1 0");
}

TEST_F(DateFormat, TheBufferSizeCutsTheText) {
    char out[8];
    std::memset(out, 'Z', sizeof out);
    EXPECT_EQ(format_date(14, 3, 5, 2003, true, out, sizeof out), 7u);
    EXPECT_STREQ(out, "Friday,");
    char one[1] = {'Z'};
    EXPECT_EQ(format_date(14, 3, 5, 2003, true, one, sizeof one), 0u);
    EXPECT_EQ(one[0], '\0');
    EXPECT_EQ(format_date(14, 3, 5, 2003, true, nullptr, 0), 0u);
}

TEST_F(DateFormat, PicturesComeFromTheSettings) {
    admin_app().short_date_picture = "dd.MM.yyyy";
    EXPECT_EQ(format_date(9, 11, 0, 2003, false), "09.11.2003");
}

}  // namespace
