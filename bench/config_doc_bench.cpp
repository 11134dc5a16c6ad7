// Export and plan for a configuration file of 300 tables and 12,000 fields on the test host (the report
// benchmark's size). The requests that read the file (encoding, the line, the host, decoding into records) are set
// against the program's own work on the document: writing it, reading it back, comparing and planning.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "configsvc/config_client.h"
#include "configsvc/config_diff.h"
#include "configsvc/config_document.h"
#include "configsvc/config_export.h"
#include "configsvc/config_file_requests.h"
#include "configsvc/config_plan.h"
#include "configsvc/table_requests.h"
#include "host_rig.h"
#include "ratio_report.h"

namespace {

using kestra::bench::HostRig;
using kestra::bench::Results;
using kestra::bench::SampleTimer;
namespace configsvc = kestra::configsvc;
using nlohmann::json;

constexpr int kTables = 300;
constexpr int kFieldsPerTable = 40;  // 12,000 in all
constexpr int kMessageSize = 4096;

std::unique_ptr<HostRig> rig;
std::unique_ptr<kestra::testing::TempDir> files;
std::string last_export;  // for the planning benchmark

json table_fields() {
    json list = json::array();
    for (int i = 1; i <= kFieldsPerTable; ++i) {
        const std::string host = "FLD-" + std::to_string(i);
        const int offset = i * 20;
        json f;
        switch (i % 5) {
            case 0:
                f = {{"name", "CALC_" + std::to_string(i)},
                     {"kind", "calculated"},
                     {"type", 23},
                     {"length", 12},
                     {"decimals", 3},
                     {"expression", "FLD-1 / 1000"}};
                break;
            case 1:
                f = {{"host_name", host}, {"type", 9}, {"offset", offset}, {"length", 8}};
                break;
            case 2:
                f = {{"host_name", host}, {"type", 9},      {"offset", offset},
                     {"length", 8},       {"date_kind", 2}, {"date_format", 23}};
                break;
            case 3:
                f = {{"name", "USER_" + std::to_string(i)},
                     {"kind", "user"},
                     {"type", 4},
                     {"offset", 40},
                     {"length", 3},
                     {"offset_in_chars", true},
                     {"base_field", "FLD-2"}};
                break;
            default:
                f = {{"host_name", host}, {"type", 22}, {"offset", offset}, {"length", 60}};
                break;
        }
        f["number"] = i;
        list.push_back(std::move(f));
    }
    return list;
}

std::string fixture() {
    const json fields = table_fields();
    json tables = json::array();
    for (int t = 1; t <= kTables; ++t) {
        const std::string name = "TABLE-" + std::to_string(t);
        tables.push_back({{"number", t},
                          {"name", name},
                          {"database", "SALESDB"},
                          {"dataset", name},
                          {"description_file", "(PROD)DESCRIPTION/SALESDB ON DBPACK"},
                          {"where", t % 3 == 0 ? "FLD-4 > 100" : ""},
                          {"fields", fields}});
    }
    const json file = {{"number", 1}, {"name", "WAREHOUSE"}, {"tables", tables}};
    const json f = {{"users", json::array({{{"name", "ADMIN"}, {"password", "SECRET"}, {"max_message_size", 9999}}})},
                    {"config_files", json::array({file})}};
    return files->write("config.json", f.dump());
}

// The whole export: open, every request of the file, close; then the document written.
void BM_Export(benchmark::State& state) {
    configsvc::CConfigClient client(rig->session());
    SampleTimer timer(state, "export");
    double host = 0, wall = 0;
    for (auto _ : state) {
        const double w0 = kestra::bench::wall_seconds();
        timer.start();
        configsvc::CPendingUnloadList pending;
        configsvc::ConfigDocument doc;
        std::uint32_t reference = 0;
        bool ok = configsvc::open_config(client, 1, reference) == 0;
        doc.file.file_reference = static_cast<std::int32_t>(reference);
        ok = ok && configsvc::fetch_config_contents(client, pending, doc.file) == 0;
        ok = configsvc::close_config(client, reference) == 0 && ok;
        const double w1 = kestra::bench::wall_seconds();
        host += w1 - w0;
        const std::string text = configsvc::write_config_document(doc);
        benchmark::DoNotOptimize(text.data());
        timer.stop();
        wall += kestra::bench::wall_seconds() - w0;
        Results::get().set("export.bytes", static_cast<double>(text.size()));
        if (!ok || doc.file.tables.size() != kTables) {
            state.SkipWithError("export failed");
            break;
        }
        last_export = text;
    }
    Results::get().set("export.own_share", wall > 0 ? (wall - host) / wall : 0);
    Results::get().set("export.requests", host / static_cast<double>(state.iterations()));
}

// Reading an edited document back and planning it against the file as fetched: the program's work of an apply
// before its first changing request.
void BM_Plan(benchmark::State& state) {
    configsvc::ConfigDocument fetched;
    std::vector<configsvc::DocumentProblem> problems;
    if (!configsvc::read_config_document(last_export, fetched, problems)) {
        state.SkipWithError("no export to plan against");
        return;
    }
    // A few edits spread over the file, as a real change would be: a where condition, a calculation's name and
    // a hidden field in the last table.
    std::string text = last_export;
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"FLD-4 > 100\"", "FLD-4 > 101\""},
                                   {"\"name\": \"CALC_10\"", "\"name\": \"CALC_TEN\""},
                                   {"\"visible\": true", "\"visible\": false"}}) {
        const auto at = text.rfind(from);
        if (at != std::string::npos) text.replace(at, from.size(), to);
    }
    SampleTimer timer(state, "plan");
    for (auto _ : state) {
        timer.start();
        configsvc::ConfigDocument doc;
        if (!configsvc::read_config_document(text, doc, problems)) {
            state.SkipWithError("document refused");
            break;
        }
        const auto plan = configsvc::plan_config_changes(fetched.file, doc.file, false);
        const auto diff = configsvc::diff_config_files(fetched.file, doc.file);
        benchmark::DoNotOptimize(plan.requests.data());
        benchmark::DoNotOptimize(diff.data());
        timer.stop();
        Results::get().set("plan.requests", static_cast<double>(plan.requests.size()));
    }
}

BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Plan)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    files = std::make_unique<kestra::testing::TempDir>();
    rig = std::make_unique<HostRig>();
    HostRig::Options options;
    options.fixture = fixture();
    options.buffer_size = kMessageSize;
    std::string error;
    if (!rig->start(options, error)) {
        std::fprintf(stderr, "config_doc_bench: %s\n", error.c_str());
        return 1;
    }
    kestra::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    rig.reset();

    const Results& r = Results::get();
    kestra::bench::print_ratio("export of 300 tables, 12,000 fields: writing the document / whole export",
                               r.value("export.own_share"), "<=", 0.25);
    kestra::bench::print_ratio("plan (read, compare, plan) / the requests that read the file",
                               r.value("export.requests") > 0 ? r.value("plan.median") / r.value("export.requests") : 0,
                               "<=", 0.5);
    std::printf("NOTE export: %.0f KiB document, median %.0f ms in all; plan median %.1f ms for %.0f requests\n",
                r.value("export.bytes") / 1024, r.value("export.median") * 1e3, r.value("plan.median") * 1e3,
                r.value("plan.requests"));
    benchmark::Shutdown();
    files.reset();
    return 0;
}
