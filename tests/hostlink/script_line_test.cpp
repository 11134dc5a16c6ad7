#include "hostlink/script_line.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

using namespace kestra::hostlink;

namespace {

TEST(ScriptFile, LinesDropCarriageReturnsAndOverlongTailsAreNotRunSeparately) {
    kestra::testing::TempDir dir;
    std::string longline(300, 'x');
    std::string path = dir.write("s.scr", "[connect]\r\n" + longline + "send \"tail\"\nlast");
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::string line;
    ASSERT_TRUE(read_script_line(f, line));
    EXPECT_EQ(line, "[connect]");
    ASSERT_TRUE(read_script_line(f, line));
    EXPECT_EQ(line.size(), 255u);  // the send hidden past column 255 is dropped with the line
    ASSERT_TRUE(read_script_line(f, line));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(read_script_line(f, line));
    std::fclose(f);
}

TEST(ScriptCommands, KeywordsIgnoreCaseAndOddLinesEndTheSection) {
    EXPECT_EQ(parse_script_line("SEND \"abc\"").kind, ScriptCommandKind::Send);
    EXPECT_EQ(parse_script_line("send no quotes").kind, ScriptCommandKind::Ignored);
    auto open = parse_script_line("send \"to the end");
    EXPECT_EQ(open.text, "to the end");
    auto any = parse_script_line("Receive");
    EXPECT_EQ(any.kind, ScriptCommandKind::Receive);
    EXPECT_FALSE(any.has_text);
    auto expect = parse_script_line("receive \"login:\" trailing words");
    EXPECT_TRUE(expect.has_text);
    EXPECT_EQ(expect.text, "login:");
    EXPECT_EQ(parse_script_line("").kind, ScriptCommandKind::End);
    EXPECT_EQ(parse_script_line("dial 555").kind, ScriptCommandKind::End);
}

TEST(ScriptCommands, TimeoutTakesTheFirstNumberModulo256) {
    auto t = parse_script_line("timeout 5");
    EXPECT_EQ(t.kind, ScriptCommandKind::Timeout);
    EXPECT_TRUE(t.has_number);
    EXPECT_EQ(t.timeout, 5);
    EXPECT_EQ(parse_script_line("TIMEOUT=300").timeout, 44);
    EXPECT_FALSE(parse_script_line("timeout none").has_number);
}

TEST(ScriptSubstitution, UserAndPasswordInAnyCaseOtherHashesUnchanged) {
    auto s = substitute_script_text("#USERID/#Password #other#", "fred", "secret");
    EXPECT_EQ(s.text, "fred/secret #other#");
    EXPECT_EQ(s.masked, "fred/******** #other#");
    EXPECT_EQ(s.userid_count, 1);
    EXPECT_EQ(s.password_count, 1);
    EXPECT_EQ(substitute_script_text("#userid", "", "").text, "");
}

TEST(ScriptSections, HeaderComparedWithoutCaseOnItsOwnLength) {
    EXPECT_TRUE(is_script_section("[CONNECT] extra", "[connect]"));
    EXPECT_FALSE(is_script_section("[connec", "[connect]"));
    EXPECT_TRUE(is_script_section("[Disconnect]", "[disconnect]"));
}

}  // namespace
