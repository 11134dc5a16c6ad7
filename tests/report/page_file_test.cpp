#include "report/page_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "report/page_reader.h"
#include "support/temp_dir.h"

using namespace kestra::report;
using kestra::testing::TempDir;

namespace {

Page page_of(std::initializer_list<std::pair<const char*, bool>> lines) {
    Page page;
    for (const auto& [text, bold] : lines) page.push_back({text, bold ? kBoldWeight : kNormalWeight});
    return page;
}

TEST(PageFile, MadeInItsDirectoryWithThePrefixAndDeletedWithItsOwner) {
    TempDir dir;
    std::string path;
    {
        CPageFile file;
        ASSERT_TRUE(file.create(dir.path())) << file.error();
        path = file.path();
        EXPECT_EQ(std::filesystem::path(path).parent_path(), std::filesystem::path(dir.path()));
        EXPECT_EQ(std::filesystem::path(path).filename().string().substr(0, 3), "kba");
        EXPECT_TRUE(std::filesystem::exists(path));
        CPageFile other;
        ASSERT_TRUE(other.create(dir.path()));
        EXPECT_NE(other.path(), path);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(PageFile, DefaultsToTheSystemTemporaryDirectory) {
    CPageFile file;
    ASSERT_TRUE(file.create());
    EXPECT_EQ(std::filesystem::path(file.path()).parent_path(), std::filesystem::temp_directory_path());
}

TEST(PageFile, WritingEmptiesTheFileFirst) {
    TempDir dir;
    CPageFile file;
    ASSERT_TRUE(file.create(dir.path()));
    ASSERT_TRUE(file.write("NA long first report\nE\n"));
    ASSERT_TRUE(file.write("E\n"));
    EXPECT_EQ(TempDir::read(file.path()), "E\n");
}

TEST(PageFile, ABadDirectoryIsABadPath) {
    TempDir dir;
    CPageFile file;
    EXPECT_FALSE(file.create(dir.file("missing")));
    EXPECT_EQ(file.error(), "Bad path " + dir.file("missing") + "/kbaXXXXXX");
    EXPECT_FALSE(file.exists());
    EXPECT_FALSE(file.write("E\n"));
}

TEST(PageFile, AFileThatCannotBeOpenedGivesItsCause) {
    TempDir dir;
    CPageFile file;
    ASSERT_TRUE(file.create(dir.path()));
    const std::string path = file.path();
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);  // a directory cannot be opened for writing
    EXPECT_FALSE(file.write("E\n"));
    EXPECT_EQ(file.error(), "Error opening " + path + " = 21");
    std::filesystem::remove(path);
}

TEST(PageReader, PagesWithTheirWeights) {
    std::istringstream in("BTitle\nN\nNone\nP\nNtwo\nBthree\nP\nNfour\nE\n");
    std::vector<Page> pages;
    PageReader::read_pages(in, pages);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0], page_of({{"Title", true}, {"", false}, {"one", false}}));
    EXPECT_EQ(pages[1], page_of({{"two", false}, {"three", true}}));
    EXPECT_EQ(pages[2], page_of({{"four", false}}));
}

TEST(PageReader, APageAfterTheLastYieldsNothing) {
    const std::string text = "Nfirst\nP\nNsecond\nP\nE\n";
    Page page;
    for (std::size_t index : {0u, 1u}) {
        std::istringstream in(text);
        EXPECT_TRUE(PageReader::read_page(in, index, page)) << index;
        EXPECT_EQ(page.size(), 1u);
    }
    for (std::size_t index : {2u, 3u, 65534u}) {
        std::istringstream in(text);
        EXPECT_FALSE(PageReader::read_page(in, index, page)) << index;
        EXPECT_TRUE(page.empty());
    }
    std::istringstream in(text);
    std::vector<Page> pages;
    PageReader::read_pages(in, pages);
    EXPECT_EQ(pages.size(), 2u);
}

TEST(PageReader, StopsAtTheEndMarkOrTheEndOfTheFile) {
    std::vector<Page> pages;
    std::istringstream after_end("Nkept\nE\nNnever\nP\nNnever\n");
    PageReader::read_pages(after_end, pages);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], page_of({{"kept", false}}));
    Page page;
    std::istringstream again("Nkept\nE\nNnever\nP\nNnever\n");
    EXPECT_FALSE(PageReader::read_page(again, 1, page));

    std::istringstream no_end("Nx\nP\nNy");  // cut short: no "E", no last line feed
    PageReader::read_pages(no_end, pages);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1], page_of({{"y", false}}));

    std::istringstream empty("");
    PageReader::read_pages(empty, pages);
    EXPECT_TRUE(pages.empty());
}

TEST(PageReader, UnknownCodesAreSkippedAndLongLinesCut) {
    std::string text = "Xjunk\n\nN" + std::string(kMaxPageLineLength + 100, 'a') + "\nBbold\r\nE\n";
    std::istringstream in(text);
    std::vector<Page> pages;
    PageReader::read_pages(in, pages);
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].size(), 2u);
    EXPECT_EQ(pages[0][0].text.size(), kMaxPageLineLength);
    EXPECT_EQ(pages[0][1], (PageLine{"bold", kBoldWeight}));
}

TEST(PageReader, ReadsAFileAndRefusesAMissingOne) {
    TempDir dir;
    const std::string path = dir.write("kbatest", "Nfirst\nP\nBsecond\nE\n");
    Page page;
    ASSERT_TRUE(PageReader::read_page_file(path, 1, page));
    EXPECT_EQ(page, page_of({{"second", true}}));
    std::vector<Page> pages;
    EXPECT_TRUE(PageReader::read_page_file(path, pages));
    EXPECT_EQ(pages.size(), 2u);
    EXPECT_FALSE(PageReader::read_page_file(dir.file("none"), pages));
    EXPECT_FALSE(PageReader::read_page_file(dir.file("none"), 0, page));
}

}  // namespace
