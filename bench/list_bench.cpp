// Large lists: the configuration-file tree (request 13) and a table's field list (request 25), each split over
// many messages, from request to finished model. Reports the time per entry at three sizes (linearity), the
// program's CPU share and the model's peak memory. The wire counts list entries and numbers files and fields in
// four digits, so 9,999 is the largest list there can be.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "alloc_counter.h"
#include "configsvc/config_client.h"
#include "configsvc/config_file_requests.h"
#include "configsvc/field_requests.h"
#include "configsvc/pending_unload_list.h"
#include "configsvc/table_requests.h"
#include "host_rig.h"
#include "model/config_file.h"
#include "model/server_node.h"
#include "ratio_report.h"

namespace {

using kestra::bench::HostRig;
using kestra::bench::Results;
namespace configsvc = kestra::configsvc;
namespace model = kestra::model;
using nlohmann::json;

constexpr int kLevels = 12;
constexpr int kMessageSize = 4096;  // the sample administrator's size: many messages per list
const std::vector<std::int64_t> kFileCounts = {1000, 3000, 9999};
const std::vector<std::int64_t> kFieldCounts = {400, 4000, 9999};

json admin_user() { return json::array({{{"name", "ADMIN"}, {"password", "SECRET"}, {"max_message_size", 9999}}}); }

// `count` files in kLevels levels: file i sits at level i % kLevels, under the newest file of the level above.
json file_tree(int count) {
    std::vector<std::vector<int>> children(static_cast<std::size_t>(count) + 1);
    std::vector<int> newest(kLevels, 0);  // per level, 0 = the root
    for (int i = 1; i <= count; ++i) {
        const int level = (i - 1) % kLevels;
        const int parent = level == 0 ? 0 : newest[static_cast<std::size_t>(level - 1)];
        children[static_cast<std::size_t>(parent)].push_back(i);
        newest[static_cast<std::size_t>(level)] = i;
    }
    // Deepest first, so every child is built before its parent.
    std::vector<json> built(static_cast<std::size_t>(count) + 1);
    for (int i = count; i >= 1; --i) {
        json f = {{"number", i}, {"name", "CONFIG" + std::to_string(i)}};
        json kids = json::array();
        for (int c : children[static_cast<std::size_t>(i)]) kids.push_back(std::move(built[static_cast<std::size_t>(c)]));
        if (!kids.empty()) f["children"] = std::move(kids);
        built[static_cast<std::size_t>(i)] = std::move(f);
    }
    json roots = json::array();
    for (int c : children[0]) roots.push_back(std::move(built[static_cast<std::size_t>(c)]));
    return roots;
}

// Config file k (from 1) holds one table with kFieldCounts[k - 1] fields.
json wide_table_files() {
    json files = json::array();
    int number = 0;
    for (std::int64_t fields : kFieldCounts) {
        json list = json::array();
        for (int i = 1; i <= fields; ++i)
            list.push_back({{"number", i}, {"host_name", "FIELD-" + std::to_string(i)}, {"type", 4}, {"length", 10}});
        json table = {{"number", 1}, {"name", "WIDE"}, {"database", "SALESDB"}, {"dataset", "WIDE"}, {"fields", list}};
        ++number;
        files.push_back({{"number", number}, {"name", "BIG" + std::to_string(number)}, {"tables", json::array({table})}});
    }
    return files;
}

// One host at a time (the provider reads its paths when first initialised), kept while consecutive benchmark
// calls want the same fixture: a login and a logout each drain the line for a second.
struct CurrentRig {
    kestra::testing::TempDir dir;  // before the rig, so the rig goes first
    std::unique_ptr<HostRig> rig;
    std::string name;
};
CurrentRig& current_rig() {
    static CurrentRig current;
    return current;
}

HostRig* rig_for(const std::string& name, const std::function<json()>& files, std::string& error) {
    CurrentRig& c = current_rig();
    if (c.rig && c.name == name) return c.rig.get();
    c.rig.reset();
    const json fixture = {{"users", admin_user()}, {"config_files", files()}};
    HostRig::Options options;
    options.fixture = c.dir.write(name + ".json", fixture.dump());
    options.buffer_size = kMessageSize;
    c.rig = std::make_unique<HostRig>();
    c.name = name;
    if (!c.rig->start(options, error)) {
        c.rig.reset();
        return nullptr;
    }
    return c.rig.get();
}

void record(benchmark::State& state, const std::string& name, double wall, double cpu, std::size_t peak) {
    const double n = static_cast<double>(state.range(0));
    const double per_run = wall / static_cast<double>(state.iterations());
    Results::get().set(name + ".per_entry", per_run / n);
    Results::get().set(name + ".ms", per_run * 1e3);
    state.counters["us/entry"] = per_run / n * 1e6;
    state.counters["program%"] = wall > 0 ? 100.0 * cpu / wall : 0;
    state.counters["peak_KiB"] = static_cast<double>(peak) / 1024.0;
    state.counters["B/entry"] = static_cast<double>(peak) / n;
    Results::get().set(name + ".peak", static_cast<double>(peak));
}

void BM_ConfigFileList(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::string error;
    HostRig* rig = rig_for("files" + std::to_string(count), [&] { return file_tree(count); }, error);
    if (rig == nullptr) {
        state.SkipWithError(error.c_str());
        return;
    }
    configsvc::CConfigClient client(rig->session());
    // Peak memory of one build of the tree from nothing.
    std::size_t peak = 0;
    {
        model::CServerNode root(model::CServerNode::kRootName, 0);
        kestra::bench::reset_peak();
        const std::size_t base = kestra::bench::live_bytes();
        if (configsvc::get_config_list(client, root) != 0 || root.children().empty()) {
            state.SkipWithError("config list failed");
            return;
        }
        peak = kestra::bench::peak_bytes() - base;
    }
    model::CServerNode root(model::CServerNode::kRootName, 0);
    const double cpu0 = kestra::bench::thread_cpu_seconds();
    const double wall0 = kestra::bench::wall_seconds();
    for (auto _ : state) {
        if (configsvc::get_config_list(client, root) != 0) {
            state.SkipWithError("config list failed");
            break;
        }
    }
    record(state, "files" + std::to_string(count), kestra::bench::wall_seconds() - wall0,
           kestra::bench::thread_cpu_seconds() - cpu0, peak);
}

void BM_FieldList(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::string error;
    HostRig* rig = rig_for("fields", wide_table_files, error);
    if (rig == nullptr) {
        state.SkipWithError(error.c_str());
        return;
    }
    configsvc::CConfigClient client(rig->session());
    configsvc::CPendingUnloadList pending;
    model::CConfigFile file;
    std::uint32_t reference = 0;
    const auto index = static_cast<std::uint32_t>(
        std::find(kFieldCounts.begin(), kFieldCounts.end(), state.range(0)) - kFieldCounts.begin());
    if (configsvc::open_config(client, index + 1, reference) != 0) {
        state.SkipWithError("open failed");
        return;
    }
    file.file_reference = static_cast<std::int32_t>(reference);
    if (configsvc::get_table_list(client, pending, file) != 0 || file.tables.empty() ||
        configsvc::load_table(client, reference, *file.tables.front()) != 0) {
        state.SkipWithError("table load failed");
        return;
    }
    model::CConfigTable& table = *file.tables.front();
    kestra::bench::reset_peak();
    const std::size_t base = kestra::bench::live_bytes();
    const bool first = configsvc::get_field_list(client, table) == 0 &&
                       table.fields.size() == static_cast<std::size_t>(count);
    const std::size_t peak = kestra::bench::peak_bytes() - base;
    if (!first) {
        state.SkipWithError("field list failed");
        return;
    }
    double wall = 0, cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        table.fields.clear();
        table.fields_loaded = false;
        state.ResumeTiming();
        const double c0 = kestra::bench::thread_cpu_seconds();
        const double w0 = kestra::bench::wall_seconds();
        const std::int16_t rc = configsvc::get_field_list(client, table);
        wall += kestra::bench::wall_seconds() - w0;
        cpu += kestra::bench::thread_cpu_seconds() - c0;
        if (rc != 0) {
            state.SkipWithError("field list failed");
            break;
        }
    }
    record(state, "fields" + std::to_string(count), wall, cpu, peak);
    configsvc::unload_table(client, pending, table, false, false);
    configsvc::close_config(client, reference);
}

BENCHMARK(BM_ConfigFileList)->ArgsProduct({kFileCounts})->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
BENCHMARK(BM_FieldList)->ArgsProduct({kFieldCounts})->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    kestra::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    current_rig().rig.reset();
    const Results& r = Results::get();
    auto linearity = [&](const char* what, std::int64_t small, std::int64_t large) {
        const double a = r.value(what + std::to_string(small) + ".per_entry");
        const double b = r.value(what + std::to_string(large) + ".per_entry");
        return a > 0 ? b / a : 0;
    };
    kestra::bench::print_ratio("config files: time per entry at 9,999 / at 1,000 (linear)",
                               linearity("files", 1000, 9999), "<=", 1.5);
    kestra::bench::print_ratio("fields: time per entry at 9,999 / at 400 (linear)", linearity("fields", 400, 9999),
                               "<=", 1.5);
    kestra::bench::print_ratio("config list of 9,999 files: time / 50 ms", r.value("files9999.ms") / 50.0, "<=", 1.0);
    std::printf("NOTE model peak memory: %.0f KiB for 9,999 files, %.0f KiB for 4,000 fields\n",
                r.value("files9999.peak") / 1024, r.value("fields4000.peak") / 1024);
    benchmark::Shutdown();
    return 0;
}
