#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"
#include "tavlink/loopback_server.h"
#include "tavlink/tavlink_provider.h"
#include "tavlink/translate_table.h"

namespace tl = kestra::tavlink;
using kestra::testing::LoopbackServer;
using kestra::testing::recv_exact;
using kestra::testing::send_all;

namespace {

struct PathSpec {
    std::string name;
    std::string host = "127.0.0.1";
    std::string port;  // empty: not written
    std::string buffer;
    std::string translate;
};

class ProviderTest : public ::testing::Test {
protected:
    void configure(const std::vector<PathSpec>& paths, const std::string& extra = "") {
        std::ostringstream ini;
        ini << "[tcpip]\r\ntracefile=" << dir_.file("trace.txt") << "\r\n" << extra;
        ini << "paths=" << paths.size() << "\r\n";
        for (std::size_t i = 0; i < paths.size(); ++i) {
            const PathSpec& p = paths[i];
            ini << "path" << i << "=" << p.name << "\r\nhost" << i << "=" << p.host << "\r\n";
            if (!p.port.empty()) ini << "portno" << i << "=" << p.port << "\r\n";
            if (!p.buffer.empty()) ini << "maxbuffersize" << i << "=" << p.buffer << "\r\n";
            if (!p.translate.empty()) ini << "translatefilename" << i << "=" << p.translate << "\r\n";
        }
        dir_.write("kestra.ini", ini.str());
        tl::load_library_settings();
        ASSERT_EQ(tl::initialize(), 0);
        ++inits_;
    }
    void configure_one(const std::string& extra = "") {
        configure({PathSpec{"Host", "127.0.0.1", std::to_string(server_.port()), "", ""}}, extra);
    }
    void TearDown() override {
        while (inits_-- > 0) tl::shutdown();
        for (int fd : peers_) ::close(fd);
    }
    int accept_peer() {
        int fd = server_.accept();
        if (fd >= 0) peers_.push_back(fd);
        return fd;
    }
    // Opens "Host" and accepts its other end.
    std::uint8_t open_host(int& peer) {
        std::uint8_t conn = 0;
        EXPECT_EQ(tl::open_connection(&conn, "Host", 0), 0);
        peer = accept_peer();
        EXPECT_GE(peer, 0);
        return conn;
    }
    std::vector<std::string> trace_lines() const {
        std::string text = kestra::testing::TempDir::read(dir_.file("trace.txt"));
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t eol; (eol = text.find("\r\n", start)) != std::string::npos; start = eol + 2)
            lines.push_back(text.substr(start, eol - start));
        return lines;
    }
    bool traced(const std::string& line) const {
        for (const auto& l : trace_lines())
            if (l == line) return true;
        return false;
    }
    std::string port_string() const { return std::to_string(server_.port()); }

    kestra::testing::TempDir dir_;
    kestra::testing::ScopedIni ini_{dir_.file("kestra.ini")};
    LoopbackServer server_;
    std::vector<int> peers_;
    int inits_ = 0;
};

std::string xlt(const char* name) { return std::string(KESTRA_TEST_DATA) + "/xlt/" + name; }

}  // namespace

TEST_F(ProviderTest, ConnectionNumbersOutsideRangeAndFreeSlotsAreRefused) {
    configure_one();
    char* data = nullptr;
    std::uint16_t len = 0;
    ConnectionInfo info{7, 7, 7};
    char name[8] = "keep";
    for (std::uint8_t n : {std::uint8_t{0}, std::uint8_t{9}, std::uint8_t{1}}) {
        EXPECT_EQ(tl::get_connection_status(n, 0), 1) << int(n);
        EXPECT_EQ(tl::transmit_buffer(n, "x", 1, 0), 1);
        EXPECT_EQ(tl::get_received_buffer(n, &data, &len, 0), 1);
        EXPECT_EQ(tl::get_connection_info(n, &info), 1);
        EXPECT_EQ(tl::get_connection_name(n, name, sizeof name), 1);
    }
    EXPECT_EQ(tl::close_connection(0), 1);
    EXPECT_EQ(tl::close_connection(9), 1);
    EXPECT_EQ(tl::close_connection(1), 0);  // in range but free: nothing to do
    EXPECT_EQ(info.max_send, 7);
    EXPECT_EQ(data, nullptr);
    EXPECT_STREQ(name, "keep");
}

TEST_F(ProviderTest, EightSlotsLowestFirstAndNinthOpenFails) {
    configure_one();
    std::vector<std::uint8_t> conns;
    for (int i = 0; i < 8; ++i) {
        std::uint8_t c = 0;
        ASSERT_EQ(tl::open_connection(&c, "Host", 0), 0);
        conns.push_back(c);
        EXPECT_EQ(c, i + 1);
        EXPECT_EQ(tl::get_connection_status(c, 0), 0);
    }
    std::uint8_t c = 0;
    EXPECT_EQ(tl::open_connection(&c, "Host", 0), 1);
    EXPECT_EQ(tl::close_connection(3), 0);
    EXPECT_EQ(tl::get_connection_status(3, 0), 1);
    ASSERT_EQ(tl::open_connection(&c, "Host", 0), 0);
    EXPECT_EQ(c, 3);
}

TEST_F(ProviderTest, PathNameIgnoresCaseAndUnknownNameFails) {
    configure_one();
    std::uint8_t c = 0;
    EXPECT_EQ(tl::open_connection(&c, "hOsT", 0), 0);
    EXPECT_EQ(c, 1);
    std::uint8_t d = 0;
    EXPECT_EQ(tl::open_connection(&d, "Hostx", 0), 1);
    EXPECT_EQ(tl::open_connection(&d, "", 0), 1);
    EXPECT_EQ(tl::open_connection(&d, nullptr, 0), 1);
}

TEST_F(ProviderTest, DottedAddressNeedsNoLookupAndNamesDo) {
    configure({PathSpec{"Dotted", "127.0.0.1", port_string(), "", ""},
               PathSpec{"Named", "localhost", port_string(), "", ""}, PathSpec{"Empty", "", port_string(), "", ""}},
              "trace=1\r\n");
    std::uint8_t c = 0;
    ASSERT_EQ(tl::open_connection(&c, "Dotted", 0), 0);
    EXPECT_TRUE(traced("Tavlink32x1: host was dotted pair representation"));
    EXPECT_FALSE(traced("Tavlink32x1: before call to gethostbyname"));
    std::uint8_t d = 0;
    EXPECT_EQ(tl::open_connection(&d, "Named", 0), 0);
    EXPECT_TRUE(traced("Tavlink32x1: before call to gethostbyname"));
    std::uint8_t e = 0;
    EXPECT_EQ(tl::open_connection(&e, "Empty", 0), 2);
    EXPECT_EQ(e, 0);
}

TEST_F(ProviderTest, FailedOpenFreesItsSlot) {
    int closed_port = 0;
    {
        LoopbackServer gone;
        closed_port = gone.port();
    }
    configure({PathSpec{"Refused", "127.0.0.1", std::to_string(closed_port), "", ""},
               PathSpec{"BadTable", "127.0.0.1", port_string(), "", xlt("unknown_section.xlt")},
               PathSpec{"Host", "127.0.0.1", port_string(), "", ""}});
    std::uint8_t c = 0;
    EXPECT_EQ(tl::open_connection(&c, "Refused", 0), 3);
    EXPECT_EQ(tl::get_connection_status(1, 0), 1);
    EXPECT_EQ(tl::open_connection(&c, "BadTable", 0), 1);
    EXPECT_EQ(tl::get_connection_status(1, 0), 1);
    ASSERT_EQ(tl::open_connection(&c, "Host", 0), 0);
    EXPECT_EQ(c, 1);
}

TEST_F(ProviderTest, FrameOf37BytesIsSentTranslatedWithItsHeader) {
    configure_one();
    int peer = -1;
    std::uint8_t c = open_host(peer);
    std::string data = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.";
    ASSERT_EQ(data.size(), 37u);
    std::string before = data;
    ASSERT_EQ(tl::transmit_buffer(c, data.data(), 37, 10), 0);
    EXPECT_EQ(data, before);
    std::string wire = recv_exact(peer, 41);
    ASSERT_EQ(wire.size(), 41u);
    EXPECT_EQ(wire.substr(0, 4), std::string("\xF0\xF0\xF3\xF7", 4));
    EXPECT_EQ(static_cast<unsigned char>(wire[4]), 0xC1);   // A
    EXPECT_EQ(static_cast<unsigned char>(wire[30]), 0xF0);  // 0
    tl::Table back = tl::builtin_tables().host_to_pc;
    std::string decoded = wire.substr(4);
    tl::translate_in_place(back, decoded.data(), decoded.size());
    EXPECT_EQ(decoded, data);
}

TEST_F(ProviderTest, ReceivedBytesPassThroughHostToPcTable) {
    configure_one();
    int peer = -1;
    std::uint8_t c = open_host(peer);
    ASSERT_TRUE(send_all(peer, std::string("\xF0\xF0\xF0\xF2\xC1\xF0", 6)));
    char* data = nullptr;
    std::uint16_t len = 0;
    ASSERT_EQ(tl::get_received_buffer(c, &data, &len, 5), 0);
    ASSERT_EQ(len, 2);
    EXPECT_EQ(std::string(data, len), "A0");
}

TEST_F(ProviderTest, ZeroTimeoutWithNothingWaitingReturns99) {
    configure_one();
    int peer = -1;
    std::uint8_t c = open_host(peer);
    char* data = nullptr;
    std::uint16_t len = 0;
    EXPECT_EQ(tl::get_received_buffer(c, &data, &len, 0), 99);
    EXPECT_EQ(data, nullptr);
}

TEST_F(ProviderTest, NonDigitHeaderReadsAsEmptyMessage) {
    configure_one();
    int peer = -1;
    std::uint8_t c = open_host(peer);
    ASSERT_TRUE(send_all(peer, std::string("\xC1\xC2\xC3\xC4", 4)));  // "ABCD" in the host set
    char* data = nullptr;
    std::uint16_t len = 77;
    ASSERT_EQ(tl::get_received_buffer(c, &data, &len, 5), 0);
    EXPECT_EQ(len, 0);
    EXPECT_NE(data, nullptr);
}

TEST_F(ProviderTest, NestedInitializeAndShutdown) {
    configure_one();
    ASSERT_EQ(tl::initialize(), 0);
    ++inits_;
    int peer = -1;
    std::uint8_t c = open_host(peer);
    tl::shutdown();
    --inits_;
    EXPECT_EQ(tl::get_connection_status(c, 0), 0);
    EXPECT_FALSE(kestra::testing::readable_now(peer));
    tl::shutdown();
    --inits_;
    EXPECT_EQ(tl::get_connection_status(c, 0), 1);
    EXPECT_EQ(recv_exact(peer, 1), "");  // the far end sees the close
    tl::shutdown();                       // one too many does no harm
    EXPECT_EQ(tl::initialize(), 0);
    ++inits_;
    std::uint8_t d = 0;
    EXPECT_EQ(tl::open_connection(&d, "Host", 0), 0);
    EXPECT_EQ(d, 1);
}

TEST_F(ProviderTest, TranslateFileWithOnePcToHostEntry) {
    configure({PathSpec{"Host", "127.0.0.1", port_string(), "", xlt("pc_a_only.xlt")}});
    int peer = -1;
    std::uint8_t c = open_host(peer);
    ASSERT_EQ(tl::transmit_buffer(c, "AB0", 3, 0), 0);
    EXPECT_EQ(recv_exact(peer, 7), std::string("0003\xC1" "B0", 7));
    ASSERT_TRUE(send_all(peer, std::string("0002\xC1" "A", 6)));
    char* data = nullptr;
    std::uint16_t len = 0;
    ASSERT_EQ(tl::get_received_buffer(c, &data, &len, 5), 0);
    EXPECT_EQ(std::string(data, len), std::string("\xC1" "A", 2));
}

TEST_F(ProviderTest, ConnectionNamesListAndSmallBuffers) {
    configure({PathSpec{"First", "", "", "", ""}, PathSpec{"Second", "", "", "", ""}});
    char buf[64];
    std::memset(buf, 'x', sizeof buf);
    ASSERT_EQ(tl::get_connection_names(buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf, 14), std::string("First\0Second\0\0", 14));
    std::memset(buf, 'x', sizeof buf);
    ASSERT_EQ(tl::get_connection_names(buf, 6), 0);  // "First" + 0 + final 0 needs 7
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(buf[1], 'x');
    std::memset(buf, 'x', sizeof buf);
    ASSERT_EQ(tl::get_connection_names(buf, 12), 0);  // room for the first name only
    EXPECT_EQ(std::string(buf, 8), std::string("First\0\0x", 8));
    EXPECT_EQ(tl::get_connection_names(buf, 0), 1);
}

TEST_F(ProviderTest, PeerClosingMidFrameBreaksTheConnection) {
    configure_one("trace=1\r\n");
    int peer = -1;
    std::uint8_t c = open_host(peer);
    std::string partial = "0010abc";
    tl::translate_in_place(tl::builtin_tables().pc_to_host, partial.data(), partial.size());
    ASSERT_TRUE(send_all(peer, partial));
    ::shutdown(peer, SHUT_WR);
    char* data = nullptr;
    std::uint16_t len = 0;
    EXPECT_EQ(tl::get_received_buffer(c, &data, &len, 5), 1);
    EXPECT_TRUE(traced("Tavlink32x1: connection closed by peer after 3 of 10 bytes"));
    EXPECT_EQ(tl::get_connection_status(c, 0), 1);
    EXPECT_EQ(tl::get_received_buffer(c, &data, &len, 0), 1);
    EXPECT_EQ(tl::transmit_buffer(c, "x", 1, 0), 1);
    EXPECT_FALSE(kestra::testing::readable_now(peer));  // nothing was sent
    EXPECT_EQ(tl::close_connection(c), 0);
    std::uint8_t d = 0;
    EXPECT_EQ(tl::open_connection(&d, "Host", 0), 0);
    EXPECT_EQ(d, c);
}

// A host that stops in the middle of a frame: the whole frame shares the caller's time-out, after which the
// stream is no longer framed and the connection stays broken until it is closed.
TEST_F(ProviderTest, StallInTheHeaderOrTheDataFailsAtTheDeadline) {
    configure_one("trace=1\r\n");
    const tl::Table& out = tl::builtin_tables().pc_to_host;
    struct Case {
        std::string sent;
        const char* trace;
    };
    for (const Case& stall : {Case{"00", "Tavlink32x1: frame incomplete at the time-out: 2 of 4 bytes"},
                              Case{"0010abcde", "Tavlink32x1: frame incomplete at the time-out: 5 of 10 bytes"}}) {
        SCOPED_TRACE(stall.sent);
        int peer = -1;
        std::uint8_t c = open_host(peer);
        std::string bytes = stall.sent;
        tl::translate_in_place(out, bytes.data(), bytes.size());
        ASSERT_TRUE(send_all(peer, bytes));
        char* data = nullptr;
        std::uint16_t len = 0;
        EXPECT_EQ(tl::get_received_buffer(c, &data, &len, 1), 1);
        EXPECT_TRUE(traced(stall.trace));
        EXPECT_EQ(tl::get_connection_status(c, 0), 1);
        // What comes late cannot mend it: the frame boundary is lost.
        std::string rest = "0123456789";
        tl::translate_in_place(out, rest.data(), rest.size());
        ASSERT_TRUE(send_all(peer, rest));
        EXPECT_EQ(tl::get_received_buffer(c, &data, &len, 1), 1);
        EXPECT_EQ(tl::close_connection(c), 0);
    }
}

TEST_F(ProviderTest, FrameArrivingInPiecesWithinTheDeadlineIsWhole) {
    configure_one();
    const tl::Table& out = tl::builtin_tables().pc_to_host;
    for (std::uint8_t timeout : {std::uint8_t{0}, std::uint8_t{5}, std::uint8_t{255}}) {
        SCOPED_TRACE(timeout);
        int peer = -1;
        std::uint8_t c = open_host(peer);
        std::string first = "00", second = "05hel", third = "lo";
        for (std::string* piece : {&first, &second, &third}) tl::translate_in_place(out, piece->data(), piece->size());
        ASSERT_TRUE(send_all(peer, first));
        std::thread late([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            send_all(peer, second);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            send_all(peer, third);
        });
        char* data = nullptr;
        std::uint16_t len = 0;
        EXPECT_EQ(tl::get_received_buffer(c, &data, &len, timeout), 0);
        late.join();
        EXPECT_EQ(std::string(data, len), "hello");
        EXPECT_EQ(tl::close_connection(c), 0);
    }
}

TEST_F(ProviderTest, NothingWithinTheWaitReturns99AndLeavesTheConnectionWhole) {
    configure_one();
    int peer = -1;
    std::uint8_t c = open_host(peer);
    char* data = nullptr;
    std::uint16_t len = 0;
    EXPECT_EQ(tl::get_received_buffer(c, &data, &len, 1), 99);
    std::string ok = "0002OK";
    tl::translate_in_place(tl::builtin_tables().pc_to_host, ok.data(), ok.size());
    ASSERT_TRUE(send_all(peer, ok));
    ASSERT_EQ(tl::get_received_buffer(c, &data, &len, 1), 0);
    EXPECT_EQ(std::string(data, len), "OK");
}

TEST_F(ProviderTest, SendingToAClosedPeerFailsWithoutSignal) {
    configure_one();
    int peer = -1;
    std::uint8_t c = open_host(peer);
    ::close(peer);
    peers_.clear();
    // The first sends may still be accepted by the kernel; a reset then makes one fail.
    int rc = 0;
    for (int i = 0; i < 50 && rc == 0; ++i) rc = tl::transmit_buffer(c, "ping", 4, 0);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(tl::transmit_buffer(c, "ping", 4, 0), 1);
}

TEST_F(ProviderTest, OverlongFrameIsDiscardedAndStreamStaysFramed) {
    configure_one("trace=1\r\n");
    int peer = -1;
    std::uint8_t c = open_host(peer);
    tl::Table out = tl::builtin_tables().pc_to_host;
    std::string big = "2000" + std::string(2000, 'z');
    std::string small = "0002OK";
    tl::translate_in_place(out, big.data(), big.size());
    tl::translate_in_place(out, small.data(), small.size());
    ASSERT_TRUE(send_all(peer, big + small));
    char* data = nullptr;
    std::uint16_t len = 0;
    EXPECT_EQ(tl::get_received_buffer(c, &data, &len, 5), 1);
    EXPECT_TRUE(traced("Tavlink32x1: frame length 2000 exceeds buffer size 1920, data discarded"));
    ASSERT_EQ(tl::get_received_buffer(c, &data, &len, 5), 0);
    EXPECT_EQ(std::string(data, len), "OK");
}

TEST_F(ProviderTest, TransmitAboveBufferSizeSendsNothing) {
    configure_one();
    int peer = -1;
    std::uint8_t c = open_host(peer);
    std::string data(1921, 'a');
    EXPECT_EQ(tl::transmit_buffer(c, data.data(), 1921, 0), 1);
    EXPECT_EQ(tl::transmit_buffer(c, nullptr, 5, 0), 1);
    EXPECT_FALSE(kestra::testing::readable_now(peer));
    EXPECT_EQ(tl::transmit_buffer(c, data.data(), 1920, 0), 0);
    EXPECT_EQ(recv_exact(peer, 1924).size(), 1924u);
    EXPECT_EQ(tl::get_connection_status(c, 0), 0);
}

TEST_F(ProviderTest, BufferSizesAreClampedAndBadPortsFallBack) {
    configure({PathSpec{"Tiny", "127.0.0.1", "70000", "100", ""},
               PathSpec{"Huge", "127.0.0.1", "0", "9000", ""},
               PathSpec{"Wrapped", "127.0.0.1", "-5", "-1", ""}},
              "portno=" + port_string() + "\r\n");
    std::uint16_t expected[] = {1920, 8192, 1920};
    const char* names[] = {"Tiny", "Huge", "Wrapped"};
    for (int i = 0; i < 3; ++i) {
        std::uint8_t c = 0;
        ASSERT_EQ(tl::open_connection(&c, names[i], 0), 0) << names[i];
        ConnectionInfo info{};
        ASSERT_EQ(tl::get_connection_info(c, &info), 0);
        EXPECT_EQ(info.max_send, expected[i]);
        EXPECT_EQ(info.max_receive, expected[i]);
        EXPECT_EQ(info.flag, 1);
    }
}

TEST_F(ProviderTest, TraceOfAnOpenTransmitReceiveCloseCycle) {
    configure_one("trace=1\r\n");
    int peer = -1;
    std::uint8_t c = open_host(peer);
    ASSERT_EQ(tl::transmit_buffer(c, "HI", 2, 7), 0);
    ASSERT_EQ(recv_exact(peer, 6).size(), 6u);
    ASSERT_TRUE(send_all(peer, std::string("\xF0\xF0\xF0\xF1\xC1", 5)));
    char* data = nullptr;
    std::uint16_t len = 0;
    ASSERT_EQ(tl::get_received_buffer(c, &data, &len, 5), 0);
    ASSERT_EQ(tl::close_connection(c), 0);
    std::string p = "Tavlink32x1: ";
    std::vector<std::string> expected = {
        p + "Global Port 2048",
        p + "In Initialize",
        "start_winsock winsock_init=0",
        p + "Ret from startup=0",
        p + "initialize successful",
        p + "open_connection name=Host",
        p + "Found path at 0",
        p + "Will return conn=1",
        p + "Try to get 1920 bytes for buffer",
        // socket=<fd> is checked below
        p + "host = 127.0.0.1",
        p + "Global port 2048 Using " + port_string(),
        p + "before call to inet_addr",
        p + "after call to inet_addr",
        p + "host was dotted pair representation",
        p + "before call to connect",
        p + "after call to connect",
        p + "end of open",
        p + "transmit_buffer conn=1 len=2 timeout=7",
        p + "Write data and header",
        p + "send len=6",
        p + "get_received_buffer conn=1 timeout=5",
        p + "select returned 1",
        p + "recv len=4",
        p + "lenhdr=0001",
        p + "recv len=1",
        p + "read 1 chars",
        p + "close_connection",
        p + "Closing session",
        p + "Close socket",
        p + "close_connection returned",
    };
    std::vector<std::string> lines = trace_lines();
    ASSERT_EQ(lines.size(), expected.size() + 1);
    EXPECT_EQ(lines[9].rfind(p + "socket=", 0), 0u);
    lines.erase(lines.begin() + 9);
    EXPECT_EQ(lines, expected);
}

TEST_F(ProviderTest, TraceOffWritesNothing) {
    configure_one();
    int peer = -1;
    std::uint8_t c = open_host(peer);
    ASSERT_EQ(tl::transmit_buffer(c, "HI", 2, 7), 0);
    EXPECT_FALSE(std::ifstream(dir_.file("trace.txt")).good());
}
