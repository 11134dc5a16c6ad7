#include "cli/word_splitter.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_output.h"
#include "cli/escaping_output.h"

using namespace kestra::cli;

namespace {

std::vector<std::string> split(std::string_view line) {
    std::vector<std::string> words;
    std::string error;
    EXPECT_TRUE(split_words(line, words, error)) << line << ": " << error;
    return words;
}

std::string refusal(std::string_view line) {
    std::vector<std::string> words;
    std::string error;
    EXPECT_FALSE(split_words(line, words, error)) << line;
    return error;
}

using Words = std::vector<std::string>;

TEST(WordSplitter, BlanksSeparateAndQuotesKeepAsAShellDoes) {
    EXPECT_EQ(split("  files \t --json  "), (Words{"files", "--json"}));
    EXPECT_EQ(split("tables '(PROD)SALES ON DBPACK'"), (Words{"tables", "(PROD)SALES ON DBPACK"}));
    EXPECT_EQ(split("set-where F T \"NAME = 'A' AND X = \\\"B\\\"\""),
              (Words{"set-where", "F", "T", "NAME = 'A' AND X = \"B\""}));
    // Within single quotes nothing is special; within double quotes a backslash only escapes $ ` " and itself.
    EXPECT_EQ(split("'a\\b \"c\"'"), (Words{"a\\b \"c\""}));
    EXPECT_EQ(split("\"a\\b\\\\c\\$\""), (Words{"a\\b\\c$"}));
    EXPECT_EQ(split("a\\ b c"), (Words{"a b", "c"}));
    // Pieces run together into one word, and an empty quoted word is a word.
    EXPECT_EQ(split("x'y z'\"w\" '' \"\""), (Words{"xy zw", "", ""}));
    // Nothing is expanded.
    EXPECT_EQ(split("$HOME * ~ `id`"), (Words{"$HOME", "*", "~", "`id`"}));
}

TEST(WordSplitter, CommentsStartOnlyAtAWord) {
    EXPECT_TRUE(split("").empty());
    EXPECT_TRUE(split("   # all of it").empty());
    EXPECT_EQ(split("files # the tree"), (Words{"files"}));
    EXPECT_EQ(split("env a#b '#c' \\#d"), (Words{"env", "a#b", "#c", "#d"}));
}

TEST(WordSplitter, UnfinishedQuotingIsRefused) {
    EXPECT_EQ(refusal("files 'open"), "unterminated single quote");
    EXPECT_EQ(refusal("files \"open\\\""), "unterminated double quote");
    EXPECT_EQ(refusal("files \\"), "backslash at the end of the line");
}

TEST(TextOutput, ControlCharactersAreShownEscaped) {
    EXPECT_EQ(shown("plain (PROD)A ON P"), "plain (PROD)A ON P");
    EXPECT_EQ(shown(std::string("a\nb\rc\td\fe\x1b[2J\x7f\x01", 15)), "a\\nb\\rc\\td\\fe\\x1b[2J\\x7f\\x01");
    EXPECT_EQ(shown(std::string("\0", 1)), "\\x00");
    // Bytes above 0x7F are text in some character set, not control characters.
    EXPECT_EQ(shown("\xc3\xa9"), "\xc3\xa9");
    EXPECT_TRUE(has_control_character("a\x7f"));
    EXPECT_TRUE(has_control_character(std::string("\0", 1)));
    EXPECT_FALSE(has_control_character("\xc3\xa9 ~"));

    std::ostringstream target;
    EscapingOutput out(target);
    out << "line one\n"
        << "\x1b[31mred\r" << '\f' << "tab\there\n";
    out.flush();
    EXPECT_EQ(target.str(), "line one\n\\x1b[31mred\\r\ftab\\there\n");
}

}  // namespace
