// Round trips through the provider against a plain socket ping-pong of the same bytes, and translation against
// memcpy. Prints the two ratios after the usual table.
#include <benchmark/benchmark.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "ratio_report.h"
#include "support/temp_dir.h"
#include "tavlink/frame.h"
#include "tavlink/loopback_server.h"
#include "tavlink/tavlink_provider.h"
#include "tavlink/translate_table.h"

namespace tl = kestra::tavlink;

namespace {

constexpr std::size_t kMessageSize = 256;

// Plays the host: reads each frame and sends the same bytes back, until the client goes away.
class EchoHost {
public:
    EchoHost() {
        thread_ = std::thread([this] {
            int fd = server_.accept();
            if (fd < 0) return;
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            tl::Table in = tl::builtin_tables().host_to_pc;
            for (;;) {
                std::string head = kestra::testing::recv_exact(fd, tl::kFrameHeaderSize);
                if (head.size() != tl::kFrameHeaderSize) break;
                std::size_t n = tl::decode_frame_header(head.data(), in);
                std::string body = kestra::testing::recv_exact(fd, n);
                if (body.size() != n || !kestra::testing::send_all(fd, head + body)) break;
            }
            ::close(fd);
        });
    }
    ~EchoHost() { thread_.join(); }
    std::uint16_t port() const { return server_.port(); }

private:
    kestra::testing::LoopbackServer server_;
    std::thread thread_;
};

bool recv_all(int fd, char* p, std::size_t n) {
    while (n > 0) {
        ssize_t r = ::recv(fd, p, n, 0);
        if (r <= 0) return false;
        p += r;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

void BM_PlainPingPong(benchmark::State& state) {
    EchoHost host;
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(host.port());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        state.SkipWithError("connect failed");
        ::close(fd);
        return;
    }
    // The same bytes the provider puts on the line.
    tl::Table out = tl::builtin_tables().pc_to_host;
    std::vector<char> frame(tl::kFrameHeaderSize + kMessageSize, 'M');
    tl::encode_frame_header(kMessageSize, out, frame.data());
    tl::translate_in_place(out, frame.data() + tl::kFrameHeaderSize, kMessageSize);
    std::vector<char> reply(frame.size());
    for (auto _ : state) {
        ::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
        if (!recv_all(fd, reply.data(), tl::kFrameHeaderSize) ||
            !recv_all(fd, reply.data() + tl::kFrameHeaderSize, kMessageSize)) {
            state.SkipWithError("echo failed");
            break;
        }
        benchmark::DoNotOptimize(reply.data());
    }
    ::close(fd);
}

void BM_ProviderRoundTrip(benchmark::State& state) {
    EchoHost host;
    kestra::testing::TempDir dir;
    std::string ini = dir.write("kestra.ini", "[tcpip]\nportno=" + std::to_string(host.port()) +
                                                  "\npaths=1\npath0=Bench\nhost0=127.0.0.1\n");
    ::setenv("KESTRA_INI", ini.c_str(), 1);
    tl::load_library_settings();
    tl::initialize();
    std::uint8_t conn = 0;
    if (tl::open_connection(&conn, "Bench", 0) != 0) {
        state.SkipWithError("open_connection failed");
        tl::shutdown();
        return;
    }
    std::vector<char> message(kMessageSize, 'M');
    for (auto _ : state) {
        char* data = nullptr;
        std::uint16_t len = 0;
        if (tl::transmit_buffer(conn, message.data(), kMessageSize, 0) != 0 ||
            tl::get_received_buffer(conn, &data, &len, 255) != 0) {
            state.SkipWithError("round trip failed");
            break;
        }
        tl::put_into_receive(conn);
        benchmark::DoNotOptimize(data);
    }
    tl::close_connection(conn);
    tl::shutdown();
}

constexpr std::size_t kTranslateBytes = 8192;  // the largest message a path allows

void BM_Memcpy(benchmark::State& state) {
    std::vector<char> in(kTranslateBytes, 'x'), out(kTranslateBytes);
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), in.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(in.size()));
}

void BM_Translate(benchmark::State& state) {
    std::vector<char> in(kTranslateBytes), out(kTranslateBytes);
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<char>(i * 7);
    tl::Table table = tl::builtin_tables().pc_to_host;
    for (auto _ : state) {
        tl::translate(table, in.data(), out.data(), in.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(in.size()));
}

BENCHMARK(BM_PlainPingPong)->UseRealTime();
BENCHMARK(BM_ProviderRoundTrip)->UseRealTime();
BENCHMARK(BM_Memcpy);
BENCHMARK(BM_Translate);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    kestra::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    double plain = reporter.time("BM_PlainPingPong");
    double provider = reporter.time("BM_ProviderRoundTrip");
    // CPU time: on a loaded machine, wall time would measure the other programs.
    double copy = reporter.cpu("BM_Memcpy");
    double xlate = reporter.cpu("BM_Translate");
    kestra::bench::print_ratio("provider round trip / plain ping-pong", plain > 0 ? provider / plain : 0, "<=", 1.10);
    kestra::bench::print_ratio("translation speed / memcpy speed", xlate > 0 ? copy / xlate : 0, ">=", 0.25);
    benchmark::Shutdown();
    return 0;
}
