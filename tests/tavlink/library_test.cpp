#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "corvel/provider_abi.h"
#include "support/temp_dir.h"
#include "tavlink/loopback_server.h"

using kestra::testing::LoopbackServer;

namespace {

bool qt_loaded() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find("libQt6") != std::string::npos) return true;
    return false;
}

}  // namespace

// The shared library as the comms shell sees it: one exported symbol, settings read at load.
TEST(TavlinkLibrary, LoadsThroughItsOneEntryPointAndCarriesAFrame) {
    kestra::testing::TempDir dir;
    LoopbackServer server;
    std::string trace = dir.file("tcp.txt");
    dir.write("kestra.ini", "[tcpip]\ntrace=1\ntracefile=" + trace + "\nportno=" + std::to_string(server.port()) +
                                "\npaths=1\npath0=Loop\nhost0=127.0.0.1\n");
    kestra::testing::ScopedIni ini(dir.file("kestra.ini"));

    void* lib = ::dlopen((std::string(KESTRA_BIN_DIR) + "/libtavlink.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << ::dlerror();
    EXPECT_EQ(::dlsym(lib, "initialize"), nullptr);
    EXPECT_EQ(::dlsym(lib, "load_translate_file"), nullptr);
    auto entry = reinterpret_cast<CorvelProviderEntryPointsFn>(::dlsym(lib, CORVEL_PROVIDER_ENTRY_SYMBOL));
    ASSERT_NE(entry, nullptr);

    ProviderEntryTable table{};
    table.reserved[0] = 0x5A;
    ASSERT_EQ(entry(&table), 0);
    EXPECT_EQ(table.reserved[0], 0x5A);
    ASSERT_NE(table.configure, nullptr);
    // The provider brings no window system with it: its setup dialog is a library of its own.
    EXPECT_FALSE(qt_loaded());
    EXPECT_EQ(table.put_into_local, table.put_into_receive);
    EXPECT_EQ(table.get_error_message(0, nullptr), 1);
    EXPECT_EQ(table.configure_connection(nullptr), 1);

    ASSERT_EQ(table.initialize(), 0);
    char names[32];
    ASSERT_EQ(table.get_connection_names(names, sizeof names), 0);
    EXPECT_EQ(std::string(names, 6), std::string("Loop\0\0", 6));

    std::uint8_t conn = 0;
    ASSERT_EQ(table.open_connection(&conn, "LOOP", 0), 0);
    int peer = server.accept();
    ASSERT_GE(peer, 0);
    ConnectionInfo info{};
    ASSERT_EQ(table.get_connection_info(conn, &info), 0);
    EXPECT_EQ(info.max_send, 1920);
    EXPECT_EQ(table.get_connection_name(conn, nullptr, 0), 0);

    ASSERT_EQ(table.transmit_buffer(conn, "A", 1, 0), 0);
    EXPECT_EQ(kestra::testing::recv_exact(peer, 5), std::string("\xF0\xF0\xF0\xF1\xC1", 5));
    ASSERT_TRUE(kestra::testing::send_all(peer, std::string("\xF0\xF0\xF0\xF1\xF9", 5)));
    char* data = nullptr;
    std::uint16_t len = 0;
    ASSERT_EQ(table.get_received_buffer(conn, &data, &len, 255), 0);
    EXPECT_EQ(std::string(data, len), "9");
    EXPECT_EQ(table.put_into_receive(conn), 0);
    EXPECT_EQ(table.close_connection(conn), 0);
    table.shutdown();
    ::close(peer);
    ::dlclose(lib);

    std::string text = kestra::testing::TempDir::read(trace);
    EXPECT_EQ(text.rfind("Tavlink32x1: Global Port " + std::to_string(server.port()) + "\r\n", 0), 0u);
    EXPECT_NE(text.find("Tavlink32x1: cleaning up winsock\r\n"), std::string::npos);
}
