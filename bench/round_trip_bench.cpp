// One administration request and its reply through the program's whole path -- CHostSession, the comms shell,
// Tavlink, loopback, the test host -- against a plain socket ping-pong of the same frame sizes with a minimal
// echo server. The program's own CPU time per request is the benchmark thread's CPU time: the test host runs on
// threads of its own.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "configsvc/config_client.h"
#include "host_rig.h"
#include "hostlink/host_session.h"
#include "plain_echo.h"
#include "ratio_report.h"

namespace {

using kestra::bench::HostRig;
using kestra::bench::Results;
using kestra::bench::SampleTimer;
using kestra::bench::thread_cpu_seconds;
namespace configsvc = kestra::configsvc;
namespace hostlink = kestra::hostlink;

constexpr std::uint16_t kGetDefaultOptions = 8;

std::unique_ptr<HostRig> rig;
// Data bytes (header included) of the request and of its reply, as seen on the first exchange.
std::size_t request_data = hostlink::kHeaderLength;
std::size_t reply_data = 0;

void record_cpu(benchmark::State& state, const std::string& name, double cpu0) {
    const double per = (thread_cpu_seconds() - cpu0) / static_cast<double>(state.iterations());
    state.counters["cpu_us"] = per * 1e6;
    Results::get().set(name + ".cpu", per);
}

// Request 8 as the configuration client sends every request: body, send, wait, status, release.
void BM_ConfigRequest(benchmark::State& state) {
    configsvc::CConfigClient client(rig->session());
    SampleTimer timer(state, "config");
    const double cpu0 = thread_cpu_seconds();
    for (auto _ : state) {
        timer.start();
        configsvc::BodyWriter body = client.body();
        configsvc::ReplyReader reply;
        const std::int16_t rc = client.request(kGetDefaultOptions, body, configsvc::Upper::no, "bench", reply);
        client.done();
        timer.stop();
        if (rc != 0) {
            state.SkipWithError("request failed");
            break;
        }
    }
    record_cpu(state, "config", cpu0);
}

// The same request through the session's own default-options read.
void BM_DefaultOptionsGet(benchmark::State& state) {
    hostlink::CHostSession& session = rig->session();
    SampleTimer timer(state, "options");
    const double cpu0 = thread_cpu_seconds();
    for (auto _ : state) {
        timer.start();
        const std::int16_t rc = session.default_options().get(session);
        timer.stop();
        if (rc != 0) {
            state.SkipWithError("request failed");
            break;
        }
    }
    record_cpu(state, "options", cpu0);
}

void BM_PlainPingPong(benchmark::State& state) {
    kestra::bench::PlainEchoServer server(reply_data, 1);
    kestra::bench::PlainClient client(server.port());
    if (!client.connected()) {
        state.SkipWithError("connect failed");
        return;
    }
    SampleTimer timer(state, "plain");
    const double cpu0 = thread_cpu_seconds();
    for (auto _ : state) {
        timer.start();
        const bool ok = client.send_frame(request_data) && client.receive_frame();
        timer.stop();
        if (!ok) {
            state.SkipWithError("ping-pong failed");
            break;
        }
    }
    record_cpu(state, "plain", cpu0);
}

BENCHMARK(BM_PlainPingPong)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ConfigRequest)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DefaultOptionsGet)->UseRealTime()->MinTime(2.0);

// Learns the reply's size from one real exchange, so the baseline moves the same bytes.
bool measure_frames(std::string& error) {
    configsvc::CConfigClient client(rig->session());
    configsvc::BodyWriter body = client.body();
    configsvc::ReplyReader reply;
    if (client.request(kGetDefaultOptions, body, configsvc::Upper::no, "bench", reply) != 0) {
        error = "request 8 failed";
        return false;
    }
    reply_data = hostlink::kHeaderLength + rig->session().received_length();
    client.done();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    rig = std::make_unique<HostRig>();
    std::string error;
    if (!rig->start({}, error) || !measure_frames(error)) {
        std::fprintf(stderr, "round_trip_bench: %s\n", error.c_str());
        rig.reset();
        return 1;
    }
    std::printf("frames: request %zu data bytes, reply %zu data bytes (plus 4 length digits each)\n", request_data,
                reply_data);
    kestra::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    rig.reset();

    const Results& r = Results::get();
    const double plain = r.value("plain.median");
    auto ratio = [&](const char* name) { return plain > 0 ? r.value(std::string(name) + ".median") / plain : 0; };
    kestra::bench::print_ratio("request round trip (config client) / plain ping-pong, medians", ratio("config"), "<=",
                               1.10);
    kestra::bench::print_ratio("request round trip (default options) / plain ping-pong, medians", ratio("options"),
                               "<=", 1.10);
    std::printf("NOTE program CPU per request: %.1f us (plain ping-pong client: %.1f us), median round trip %.1f us "
                "vs %.1f us\n",
                r.value("config.cpu") * 1e6, r.value("plain.cpu") * 1e6, r.value("config.median") * 1e6,
                plain * 1e6);
    benchmark::Shutdown();
    return 0;
}
