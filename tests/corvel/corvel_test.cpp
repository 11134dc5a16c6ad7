#include "corvel/corvel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/temp_dir.h"

using kestra::testing::ScopedIni;
using kestra::testing::TempDir;

namespace {

std::vector<std::string> listed() {
    char buffer[CORVEL_LIST_BUFFER];
    std::memset(buffer, 'x', sizeof buffer);
    corvel_list_providers(buffer);
    std::vector<std::string> names;
    for (const char* p = buffer; *p != '\0'; p += std::strlen(p) + 1) names.emplace_back(p);
    return names;
}

int fake_entry(ProviderEntryTable* table) {
    table->initialize = [] { return int16_t{0}; };
    return 0;
}

TEST(CommsShell, WithoutACorvelSectionTavlinkBesideTheProgramIsTheOnlyProvider) {
    TempDir dir;
    ScopedIni ini(dir.write("k.ini", "[admin]\nUID=X\n"));
    EXPECT_EQ(listed(), std::vector<std::string>{"Tavlink"});
    EXPECT_EQ(corvel_find_provider("tavlink"), 0);
    EXPECT_EQ(corvel_find_provider("Nope"), -1);
    EXPECT_STREQ(corvel_provider_name(0), "Tavlink");
    EXPECT_STREQ(corvel_provider_name(5), "");
}

TEST(CommsShell, ConfiguredProvidersAreListedInOrderAndLoadedByPath) {
    TempDir dir;
    ScopedIni ini(dir.write("k.ini",
                            "[corvel]\nproviders= Test , Broken,Missing,ThisNameIsMuchTooLong\n"
                            "Test=libkestra_test_provider.so\nBroken=libkestra_no_entry_provider.so\n"
                            "Missing=/nonexistent/libnothing.so\n"));
    EXPECT_EQ(listed(), (std::vector<std::string>{"Test", "Broken", "Missing", "ThisNameIsMuchT"}));

    ProviderEntryTable table{};
    ASSERT_EQ(corvel_get_entry_points(0, &table), 0);
    ASSERT_NE(table.initialize, nullptr);
    EXPECT_EQ(table.open_connection, nullptr);
    EXPECT_EQ(table.initialize(), 1);
    // A second binding of the same library shares its state; each is released once.
    ProviderEntryTable again{};
    ASSERT_EQ(corvel_get_entry_points(0, &again), 0);
    EXPECT_EQ(again.initialize(), 2);
    EXPECT_EQ(corvel_release_provider(0), 0);
    EXPECT_EQ(corvel_release_provider(0), 0);
    EXPECT_NE(corvel_release_provider(0), 0);  // nothing left to release

    EXPECT_NE(corvel_get_entry_points(1, &table), 0);  // no entry symbol
    EXPECT_NE(corvel_get_entry_points(2, &table), 0);  // no library
    EXPECT_NE(corvel_get_entry_points(9, &table), 0);
    EXPECT_NE(corvel_get_entry_points(-1, &table), 0);
}

TEST(CommsShell, AtMostEightProviders) {
    TempDir dir;
    ScopedIni ini(dir.write("k.ini", "[corvel]\nproviders=a,b,c,d,e,f,g,h,i,j\n"));
    EXPECT_EQ(listed().size(), 8u);
    EXPECT_EQ(corvel_find_provider("i"), -1);
}

TEST(CommsShell, StaticProvidersFollowTheConfiguredOnes) {
    TempDir dir;
    ScopedIni ini(dir.write("k.ini", "[corvel]\nproviders=Test\nTest=libkestra_test_provider.so\n"));
    corvel_register_static_provider("Memory", fake_entry);
    EXPECT_EQ(listed(), (std::vector<std::string>{"Test", "Memory"}));
    ProviderEntryTable table{};
    EXPECT_EQ(corvel_get_entry_points(corvel_find_provider("MEMORY"), &table), 0);
    EXPECT_EQ(table.initialize(), 0);
    EXPECT_EQ(corvel_release_provider(1), 0);
    corvel_register_static_provider(nullptr, nullptr);
    EXPECT_EQ(listed(), std::vector<std::string>{"Test"});
}

}  // namespace
