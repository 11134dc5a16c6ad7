#include <gtest/gtest.h>

#include <string>

#include "platform/profile_file.h"
#include "support/temp_dir.h"
#include "tavlink/path_settings.h"
#include "tavlink/trace_writer.h"

using namespace kestra::tavlink;
using kestra::testing::TempDir;

TEST(PathSettings, DefaultsCountLimitAndFallbacks) {
    TempDir dir;
    std::string ini = dir.write("kestra.ini",
                                "[tcpip]\npaths=20\npath1=Second\nhost1=example.test\nmaxbuffersize1=4096\n"
                                "portno1=3000\ntranslatefilename1=/x/a.xlt\nportno2=65536\nmaxbuffersize2=8193\n");
    auto paths = read_paths(ini, 4000);
    ASSERT_EQ(paths.size(), kMaxPaths);
    EXPECT_EQ(paths[0].name, "Path0");
    EXPECT_EQ(paths[0].host, "");
    EXPECT_EQ(paths[0].port, 4000);
    EXPECT_EQ(paths[0].buffer_size, 1920u);
    EXPECT_EQ(paths[1].name, "Second");
    EXPECT_EQ(paths[1].host, "example.test");
    EXPECT_EQ(paths[1].port, 3000);
    EXPECT_EQ(paths[1].buffer_size, 4096u);
    EXPECT_EQ(paths[1].translate_file, "/x/a.xlt");
    EXPECT_EQ(paths[2].port, 4000);
    EXPECT_EQ(paths[2].buffer_size, 8192u);
    EXPECT_EQ(read_paths(dir.write("neg.ini", "[tcpip]\npaths=-3\n"), 2048).size(), 0u);
}

TEST(PathSettings, LongNamesAreCutToTheirFields) {
    TempDir dir;
    std::string ini = dir.write("kestra.ini", "[tcpip]\npaths=1\npath0=" + std::string(40, 'n') + "\nhost0=" +
                                                  std::string(80, 'h') + "\n");
    auto paths = read_paths(ini, 2048);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].name, std::string(31, 'n'));
    EXPECT_EQ(paths[0].host, std::string(63, 'h'));
}

TEST(PathSettings, GlobalPortAndClamps) {
    TempDir dir;
    EXPECT_EQ(read_global_port(dir.write("a.ini", "[tcpip]\nportno=99999\n")), 2048);
    EXPECT_EQ(read_global_port(dir.write("b.ini", "[tcpip]\nportno=5000\n")), 5000);
    EXPECT_EQ(read_global_port(dir.file("missing.ini")), 2048);
    EXPECT_EQ(clamp_buffer_size(100), 1920u);
    EXPECT_EQ(clamp_buffer_size(9000), 8192u);
    EXPECT_EQ(clamp_buffer_size(5000), 5000u);
    EXPECT_EQ(valid_port(0, 70000), 2048);
}

TEST(PathSettings, WriteThenReadKeepsEveryFieldAndHidesDeletedPaths) {
    TempDir dir;
    std::string ini = dir.write("kestra.ini", "[admin]\nkeep=1\n[tcpip]\ntrace=1\n");
    std::vector<PathEntry> paths(3);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        paths[i].name = "P" + std::to_string(i);
        paths[i].host = "10.0.0." + std::to_string(i);
        paths[i].port = static_cast<std::uint16_t>(3000 + i);
        paths[i].buffer_size = static_cast<std::uint32_t>(2000 + i);
        paths[i].translate_file = i == 1 ? "/t/x.xlt" : "";
    }
    ASSERT_TRUE(write_paths(paths, ini));
    paths.erase(paths.begin());
    ASSERT_TRUE(write_paths(paths, ini));
    auto back = read_paths(ini, 2048);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].name, "P1");
    EXPECT_EQ(back[0].host, "10.0.0.1");
    EXPECT_EQ(back[0].port, 3001);
    EXPECT_EQ(back[0].buffer_size, 2001u);
    EXPECT_EQ(back[0].translate_file, "/t/x.xlt");
    EXPECT_EQ(back[1].translate_file, "");
    EXPECT_EQ(kestra::platform::get_private_profile_int("admin", "keep", 0, ini), 1);
    EXPECT_EQ(kestra::platform::get_private_profile_string("tcpip", "path2", "", ini), "P2");  // left, hidden
}

TEST(PathSettings, FindPathIgnoresCaseAndTakesTheFirst) {
    std::vector<PathEntry> paths(3);
    paths[0].name = "alpha";
    paths[1].name = "Beta";
    paths[2].name = "BETA";
    EXPECT_EQ(find_path(paths, "beta"), 1);
    EXPECT_EQ(find_path(paths, "ALPHA"), 0);
    EXPECT_EQ(find_path(paths, "alph"), -1);
}

TEST(PathSettings, ConnectionNamesStopAtAnEmptyName) {
    std::vector<PathEntry> paths(3);
    paths[0].name = "A";
    paths[2].name = "C";
    char buf[8] = "xxxxxxx";
    ASSERT_TRUE(format_connection_names(paths, buf, sizeof buf));
    EXPECT_EQ(std::string(buf, 3), std::string("A\0\0", 3));
}

TEST(TraceWriter, AppendsLinesWithCrLfAndReportsAnUnwritableFile) {
    TempDir dir;
    TraceWriter w;
    w.configure(true, dir.file("t.txt"));
    w.tracef("value=%d", 5);
    w.tracef_raw("raw %s", "line");
    w.write_line("whole");
    EXPECT_EQ(TempDir::read(dir.file("t.txt")), "Tavlink32x1: value=5\r\nraw line\r\nwhole\r\n");
    w.tracef("%s", std::string(5000, 'y').c_str());  // cut, never overrun
    EXPECT_LT(TempDir::read(dir.file("t.txt")).size(), 1100u);

    w.configure(true, dir.file("no/such/folder/t.txt"));
    ::testing::internal::CaptureStderr();
    w.tracef("lost");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Cannot append to trace file\n");
    w.configure(false, dir.file("off.txt"));
    w.tracef("nothing");
    EXPECT_TRUE(TempDir::read(dir.file("off.txt")).empty());
}
