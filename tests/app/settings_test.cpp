#include <gtest/gtest.h>

#include <filesystem>

#include "app/admin_app.h"
#include "platform/atomic_file.h"
#include "platform/profile_file.h"
#include "support/temp_dir.h"

using kestra::app::CAdminApp;
using kestra::testing::TempDir;

namespace {

TEST(Settings, NoFileAtAllGivesTheDefaults) {
    TempDir dir;
    CAdminApp app;
    app.load_settings(dir.file("missing/kestra.ini"));
    EXPECT_EQ(app.transmit_timeout, 255);
    EXPECT_EQ(app.receive_timeout, 255);
    EXPECT_EQ(app.confirm_config_delete, 1);
    EXPECT_EQ(app.auto_save_config, 0);
    EXPECT_EQ(app.new_table_from_cobol, 0);
    EXPECT_EQ(app.default_table_type, 0);
    EXPECT_EQ(app.sort_datasets, 0);
    EXPECT_EQ(app.allow_downloads, 0);
    EXPECT_EQ(app.non_host_msg_error, 0);
    EXPECT_FALSE(app.program_trace);
    EXPECT_FALSE(app.script_trace);
    EXPECT_EQ(app.program_trace_file, "admin.txt");
    EXPECT_EQ(app.script_trace_file, "admin.txt");
    EXPECT_EQ(app.date_separator, "/");
    EXPECT_EQ(app.short_date_picture, "M/d/yy");
    EXPECT_EQ(app.long_date_picture, "dddd, mmmm dd, yyyy");
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing/kestra.ini")));
}

TEST(Settings, EveryKeyIsReadAndTimeOutsKeepEightBits) {
    TempDir dir;
    auto ini = dir.write("kestra.ini",
                         "[timeouts]\nxmt=300\nrcv=30\n"
                         "[ADMIN]\nConfirm Config Delete=0\nauto save config=1\nnew table from cobol=1\n"
                         "default table type=1\nsort datasets=1\nallow downloads=1\ntracefile=prog.txt\n"
                         "[script]\ntracefile=\"script trace.txt\"\n"
                         "[odbc]\nnonhostmsgerr=1\n"
                         "[intl]\nsDate=-\nsShortDate=dd-MM-yyyy\nsLongDate=d MMMM yyyy\n");
    CAdminApp app;
    app.load_settings(ini);
    EXPECT_EQ(app.transmit_timeout, 44);
    EXPECT_EQ(app.receive_timeout, 30);
    EXPECT_EQ(app.confirm_config_delete, 0);
    EXPECT_EQ(app.auto_save_config, 1);
    EXPECT_EQ(app.new_table_from_cobol, 1);
    EXPECT_EQ(app.default_table_type, 1);
    EXPECT_EQ(app.sort_datasets, 1);
    EXPECT_EQ(app.allow_downloads, 1);
    EXPECT_EQ(app.non_host_msg_error, 1);
    EXPECT_EQ(app.program_trace_file, "prog.txt");
    EXPECT_EQ(app.script_trace_file, "script trace.txt");
    EXPECT_EQ(app.date_separator, "-");
    EXPECT_EQ(app.short_date_picture, "dd-MM-yyyy");
    EXPECT_EQ(app.long_date_picture, "d MMMM yyyy");
}

TEST(Settings, OverlongTextsAreCutToTheirFields) {
    TempDir dir;
    auto ini = dir.write("kestra.ini", "[admin]\ntracefile=" + std::string(300, 'f') + "\n[intl]\nsDate=" +
                                           std::string(20, '.') + "\nsLongDate=" + std::string(80, 'y') + "\n");
    CAdminApp app;
    app.load_settings(ini);
    EXPECT_EQ(app.program_trace_file.size(), 255u);
    EXPECT_EQ(app.date_separator.size(), 15u);
    EXPECT_EQ(app.long_date_picture.size(), 63u);
}

TEST(Settings, ReloadingForgetsEarlierValues) {
    TempDir dir;
    CAdminApp app;
    app.load_settings(dir.write("a.ini", "[admin]\nauto save config=1\n"));
    ASSERT_EQ(app.auto_save_config, 1);
    app.load_settings(dir.write("b.ini", ""));
    EXPECT_EQ(app.auto_save_config, 0);
    EXPECT_EQ(app.settings_path(), dir.file("b.ini"));
}

TEST(Preferences, TheFivePreferencesAreWrittenBackAndOtherSectionsKept) {
    TempDir dir;
    auto ini = dir.write("kestra.ini",
                         "; mine\n[tcpip]\nportno=2048\n[admin]\ntrace=1\ntracefile=" + dir.file("t.txt") + "\n");
    CAdminApp app;
    app.load_settings(ini);
    app.confirm_config_delete = 0;
    app.auto_save_config = 1;
    app.new_table_from_cobol = 1;
    app.default_table_type = 1;
    app.sort_datasets = 12;
    ASSERT_TRUE(app.save_preferences());

    using kestra::platform::get_private_profile_string;
    EXPECT_EQ(get_private_profile_string("admin", "confirm config delete", "", ini), "0");
    EXPECT_EQ(get_private_profile_string("admin", "auto save config", "", ini), "1");
    EXPECT_EQ(get_private_profile_string("admin", "new table from cobol", "", ini), "1");
    EXPECT_EQ(get_private_profile_string("admin", "default table type", "", ini), "1");
    EXPECT_EQ(get_private_profile_string("admin", "sort datasets", "", ini), "12");
    EXPECT_EQ(get_private_profile_string("tcpip", "portno", "", ini), "2048");
    EXPECT_EQ(get_private_profile_string("admin", "trace", "", ini), "1");

    CAdminApp again;
    again.load_settings(ini);
    EXPECT_EQ(again.sort_datasets, 12);
    EXPECT_EQ(again.confirm_config_delete, 0);
}

TEST(Preferences, AnInterruptedWriteLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string original = "[admin]\nsort datasets=0\n[paths]\npath1=HOST1\n";
    auto ini = dir.write("kestra.ini", original);
    CAdminApp app;
    app.load_settings(ini);
    app.sort_datasets = 1;
    kestra::platform::interrupt_next_atomic_write_for_test();
    app.save_preferences();
    EXPECT_EQ(TempDir::read(ini), original);
}

}  // namespace
