// The help index: what a bad index file does to the good lines, how keywords are searched and how pages' links are
// read for the link check.
#include "workspace/help_index.h"

#include <gtest/gtest.h>

namespace ws = kestra::workspace;

namespace {

std::vector<std::string> texts(const std::vector<ws::HelpIndex::Keyword>& keywords) {
    std::vector<std::string> out;
    for (const auto& k : keywords) out.push_back(k.text);
    return out;
}

}  // namespace

TEST(HelpIndex, ReadsContentsTopicsAndKeywords) {
    ws::HelpIndex index;
    index.load(
        "# the program's help\n"
        "contents 0 index.html Admin Help\r\n"
        "contents 1 menu_edit.html  Edit menu\n"
        "\n"
        "topic dlg_Connect connect.html\n"
        "topic cmd_57637 menu_edit.html#paste\n"
        "key menu_edit.html#paste   Paste Configuration file \n");
    EXPECT_TRUE(index.errors().empty());
    ASSERT_EQ(index.contents().size(), 2u);
    EXPECT_EQ(index.contents()[1].level, 1);
    EXPECT_EQ(index.contents()[1].title, "Edit menu");
    EXPECT_EQ(index.topic("dlg_Connect"), "connect.html");
    EXPECT_EQ(index.topic("cmd_57637"), "menu_edit.html#paste");
    EXPECT_EQ(index.topic("dlg_Nothing"), "");
    ASSERT_EQ(index.keywords().size(), 1u);
    EXPECT_EQ(index.keywords()[0].text, "Paste Configuration file");
}

TEST(HelpIndex, BadLinesAreReportedAndSkippedWithoutLosingTheGoodOnes) {
    ws::HelpIndex index;
    index.load(
        "contents 0 index.html Top\n"
        "contents 2 deep.html Two levels down at once\n"  // skips a level
        "contents 9 x.html Too deep\n"
        "contents 1 a.html\n"  // no title
        "topic dlg_A\n"        // no page
        "topic dlg_B b.html extra\n"
        "topic dlg_C c.html\n"
        "topic dlg_C other.html\n"  // the first stays
        "key #anchor-only A keyword\n"
        "key a.html#x#y Two anchors\n"
        "key a.html\n"
        "link a.html Something\n"
        "key b.html Kept");
    EXPECT_EQ(index.errors().size(), 10u);
    EXPECT_EQ(index.errors()[0].rfind("line 2:", 0), 0u) << index.errors()[0];
    EXPECT_EQ(index.contents().size(), 1u);
    EXPECT_EQ(index.topics().size(), 1u);
    EXPECT_EQ(index.topic("dlg_C"), "c.html");
    ASSERT_EQ(index.keywords().size(), 1u);
    EXPECT_EQ(index.keywords()[0].text, "Kept");
}

TEST(HelpIndex, SearchIgnoresCaseAndListsPrefixMatchesFirst) {
    ws::HelpIndex index;
    index.load(
        "key menu_edit.html#cut Cut Configuration file\n"
        "key menu_edit.html#paste Paste Configuration file\n"
        "key copy.html Copy Configuration file\n"
        "key add_config.html Add Configuration File\n"
        "key menu_edit.html#paste paste\n"
        "key print.html Print\n");
    EXPECT_EQ(texts(index.search("  PASTE ")), (std::vector<std::string>{"paste", "Paste Configuration file"}));
    EXPECT_EQ(texts(index.search("configuration")),
              (std::vector<std::string>{"Add Configuration File", "Copy Configuration file", "Cut Configuration file",
                                        "Paste Configuration file"}));
    EXPECT_EQ(texts(index.search("co")).front(), "Copy Configuration file");
    EXPECT_TRUE(index.search("nothing like it").empty());
    // Empty: the whole index, for browsing.
    EXPECT_EQ(index.search("").size(), 6u);
    EXPECT_EQ(index.search("").front().text, "Add Configuration File");
}

TEST(HelpKeyword, MenuTextsLoseMnemonicsKeysAndEllipsis) {
    EXPECT_EQ(ws::help_keyword_of("&Paste Configuration file\tCtrl+V"), "Paste Configuration file");
    EXPECT_EQ(ws::help_keyword_of("Get Files from Host..."), "Get Files from Host");
    EXPECT_EQ(ws::help_keyword_of("Mark as &Timestam&p"), "Mark as Timestamp");
    EXPECT_EQ(ws::help_keyword_of("Save && Exit"), "Save & Exit");
    EXPECT_EQ(ws::help_keyword_of("Add Configuration File "), "Add Configuration File");
    EXPECT_EQ(ws::help_keyword_of("E&xpand One Level\t+"), "Expand One Level");
    EXPECT_EQ(ws::help_keyword_of("&"), "");
    EXPECT_EQ(ws::help_keyword_of(""), "");
}

TEST(HelpLinks, ReadsQuotedHrefsAndAnchorsOnly) {
    const std::string page =
        "<html><body><h2><a name=\"paste\">Paste</a></h2>\n"
        "<p>Choose <b>href=\"nowhere.html\"</b> is text, not a link.</p>\n"
        "<!-- <a href=\"commented.html\"> -->\n"
        "<p id='top'>See <a class=x href='menu_file.html#new'>New Connection</a> and\n"
        "<A HREF = \"connect.html\">Connect</A> or <a href=bare.html>this</a>.</p>";
    EXPECT_EQ(ws::help_links(page), (std::vector<std::string>{"menu_file.html#new", "connect.html"}));
    EXPECT_EQ(ws::help_anchors(page), (std::vector<std::string>{"paste", "top"}));
}

TEST(HelpLinks, BrokenMarkupEndsTheScanWithoutOverrun) {
    EXPECT_TRUE(ws::help_links("<a href=\"never closed").empty());
    EXPECT_TRUE(ws::help_links("<a href=").empty());
    EXPECT_TRUE(ws::help_links("<!-- open comment <a href=\"x.html\">").empty());
    EXPECT_EQ(ws::help_links("<a href=\"a.html\"><a href"), (std::vector<std::string>{"a.html"}));
    EXPECT_TRUE(ws::help_anchors("<").empty());
}

TEST(HelpTargetSplit, PageAndAnchor) {
    EXPECT_EQ(ws::split_help_target("edit.html#paste").page, "edit.html");
    EXPECT_EQ(ws::split_help_target("edit.html#paste").anchor, "paste");
    EXPECT_EQ(ws::split_help_target("edit.html").anchor, "");
    EXPECT_EQ(ws::split_help_target("#x").page, "");
}
