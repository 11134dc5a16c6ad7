#include "cli/arg_parser.h"

#include <gtest/gtest.h>

using kestra::cli::ArgParser;

namespace {

std::vector<std::string> v(std::initializer_list<const char*> items) { return {items.begin(), items.end()}; }

TEST(ArgParser, OptionsInAnyOrderAndPositionalsLeftInOrder) {
    auto args = v({"FILE", "--name", "X", "T1", "--update-allowed=on", "T2"});
    ArgParser p(args);
    EXPECT_EQ(p.value("name"), "X");
    EXPECT_EQ(p.on_off("update-allowed"), true);
    std::vector<std::string> pos;
    ASSERT_TRUE(p.finish(pos));
    EXPECT_EQ(pos, v({"FILE", "T1", "T2"}));
}

TEST(ArgParser, UnknownOptionAndMissingValueAreUsageErrors) {
    auto args = v({"FILE", "--nmae", "X"});
    ArgParser p(args);
    EXPECT_FALSE(p.value("name").has_value());
    std::vector<std::string> pos;
    EXPECT_FALSE(p.finish(pos));
    EXPECT_NE(p.error().find("--nmae"), std::string::npos);

    auto args2 = v({"FILE", "--name"});
    ArgParser q(args2);
    q.value("name");
    EXPECT_FALSE(q.finish(pos));
}

TEST(ArgParser, OnOffRefusesOtherWordsAndDoubleDashEndsOptions) {
    auto args = v({"--hide-fields", "yes", "--", "--not-an-option"});
    ArgParser p(args);
    EXPECT_FALSE(p.on_off("hide-fields").has_value());
    std::vector<std::string> pos;
    EXPECT_FALSE(p.finish(pos));
    EXPECT_EQ(pos, v({"--not-an-option"}));
}

TEST(ArgParser, RepeatedOptionsKeepTheirOrder) {
    auto args = v({"--field", "A:numeric", "TEXT", "--field", "B:string"});
    ArgParser p(args);
    EXPECT_EQ(p.values("field"), v({"A:numeric", "B:string"}));
}

TEST(ParseNumber, WholeNumbersInRangeOnly) {
    long long n = 0;
    EXPECT_TRUE(kestra::cli::parse_number("60", n, 1, 1000));
    EXPECT_EQ(n, 60);
    EXPECT_FALSE(kestra::cli::parse_number("0", n, 1, 1000));
    EXPECT_FALSE(kestra::cli::parse_number("12x", n, 0, 1000));
    EXPECT_FALSE(kestra::cli::parse_number("", n, 0, 1000));
}

}  // namespace
