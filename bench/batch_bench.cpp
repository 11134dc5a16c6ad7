// Ten commands as ten kestra runs against ten commands in one "kestra batch": what a ten-step task waits for.
// Each run pays for a login and a logout around its command (the line drains after connecting and before logging
// out dominate); a batch pays for them once. The target is one login plus the commands' own round trips, so the
// batch of ten should cost little more than one run of one command.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host_server.h"
#include "ratio_report.h"
#include "support/cli_process.h"
#include "support/temp_dir.h"

namespace {

using kestra::bench::Results;
using kestra::bench::SampleTimer;

constexpr int kCommands = 10;
const std::vector<std::string> kCommandLines = {"files",    "tables 1", "global 1", "limits 1", "apps 1",
                                                "tables 5", "global 5", "limits 5", "apps 5",   "descfiles"};

std::unique_ptr<kestra::hostsim::HostServer> server;
std::unique_ptr<kestra::testing::TempDir> dir;
std::string ini;

kestra::testing::ProcessResult kestra_run(const std::vector<std::string>& args, const std::string& input = {}) {
    std::vector<std::string> all = {"--ini", ini, "--user", "ADMIN", "--connection", "BENCH"};
    all.insert(all.end(), args.begin(), args.end());
    return kestra::testing::run_kestra(all, {{"KESTRA_PASSWORD", "SECRET"}}, input);
}

// Splits a command line at its blanks; none of the lines above quotes anything.
std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t blank = line.find(' ', pos);
        out.push_back(line.substr(pos, blank == std::string::npos ? std::string::npos : blank - pos));
        pos = blank == std::string::npos ? line.size() : blank + 1;
    }
    return out;
}

void BM_OneRunOfOneCommand(benchmark::State& state) {
    SampleTimer timer(state, "one");
    for (auto _ : state) {
        timer.start();
        const auto r = kestra_run({"files"});
        timer.stop();
        if (r.status != 0) state.SkipWithError(("kestra files failed: " + r.err).c_str());
    }
}

void BM_TenSeparateRuns(benchmark::State& state) {
    SampleTimer timer(state, "separate");
    for (auto _ : state) {
        timer.start();
        for (const std::string& line : kCommandLines) {
            const auto r = kestra_run(words(line));
            if (r.status != 0) state.SkipWithError(("kestra " + line + " failed: " + r.err).c_str());
        }
        timer.stop();
    }
}

void BM_OneBatchOfTen(benchmark::State& state) {
    std::string input;
    for (const std::string& line : kCommandLines) input += line + "\n";
    SampleTimer timer(state, "batch");
    for (auto _ : state) {
        timer.start();
        const auto r = kestra_run({"batch"}, input);
        timer.stop();
        if (r.status != 0) state.SkipWithError(("kestra batch failed: " + r.err).c_str());
    }
}

// Seconds each: a handful of iterations is all the host's line drains allow.
BENCHMARK(BM_OneRunOfOneCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_TenSeparateRuns)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_OneBatchOfTen)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    dir = std::make_unique<kestra::testing::TempDir>();
    kestra::hostsim::ServerOptions options;
    options.data_file = HOSTSIM_SAMPLE;
    server = std::make_unique<kestra::hostsim::HostServer>(options);
    std::string error;
    if (server->start(error) != 0) {
        std::fprintf(stderr, "batch_bench: %s\n", error.c_str());
        return 1;
    }
    ini = dir->write("kestra.ini", "[tcpip]\npaths=1\npath0=BENCH\nhost0=127.0.0.1\nportno0=" +
                                       std::to_string(server->port()) + "\nmaxbuffersize0=4096\n");
    kestra::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    server->stop();

    const Results& r = Results::get();
    const double one = r.value("one.median");
    const double separate = r.value("separate.median");
    const double batch = r.value("batch.median");
    kestra::bench::print_ratio("ten commands: one batch / ten separate runs", separate > 0 ? batch / separate : 0,
                               "<=", 0.25);
    // One login plus the commands' own round trips: little more than one run of one command.
    kestra::bench::print_ratio("ten commands in one batch / one run of one command", one > 0 ? batch / one : 0,
                               "<=", 1.5);
    std::printf("NOTE batch: one run of one command %.0f ms, ten separate runs %.0f ms, one batch of ten %.0f ms\n",
                one * 1e3, separate * 1e3, batch * 1e3);
    benchmark::Shutdown();
    server.reset();
    dir.reset();
    return 0;
}
