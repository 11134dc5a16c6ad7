// The report with every option on, for a configuration file of 300 tables and 12,000 fields on the test host: what
// the Print command does, from opening the file to the written page file. The time is split between the host
// requests (each one's encoding, the line and the host, and the decoding into records) and the report's own work
// (layout, text, the page file), which is the program's share the report adds to the requests it has to make.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "app/admin_app.h"
#include "configsvc/config_client.h"
#include "configsvc/config_file_requests.h"
#include "configsvc/options_requests.h"
#include "configsvc/table_requests.h"
#include "host_rig.h"
#include "hostlink/host_session.h"
#include "ratio_report.h"
#include "report/host_report_source.h"
#include "report/page_file.h"
#include "report/page_writer.h"
#include "report/report_writer.h"

namespace {

using kestra::bench::HostRig;
using kestra::bench::Results;
using kestra::bench::SampleTimer;
namespace configsvc = kestra::configsvc;
namespace model = kestra::model;
namespace report = kestra::report;
using nlohmann::json;

constexpr int kTables = 300;
constexpr int kFieldsPerTable = 40;  // 12,000 in all
constexpr int kApplications = 20;
constexpr int kMessageSize = 4096;

std::unique_ptr<HostRig> rig;
std::unique_ptr<kestra::testing::TempDir> files;

// One table's fields, cycling through the kinds a real table holds: numbers, texts, dates, hidden groups, a
// user-defined field over a text and a calculation.
json table_fields() {
    json list = json::array();
    for (int i = 1; i <= kFieldsPerTable; ++i) {
        const std::string host = "FLD-" + std::to_string(i);
        const int offset = i * 20;
        json f;
        switch (i % 10) {
            case 0: f = {{"name", "CALC_" + std::to_string(i)}, {"kind", "calculated"}, {"type", 23}, {"length", 12},
                         {"decimals", 3}, {"expression", "FLD-1 / 1000"}}; break;
            case 1: f = {{"host_name", host}, {"type", 9}, {"offset", offset}, {"length", 8}}; break;
            case 2: f = {{"host_name", host}, {"name", "NAME_" + std::to_string(i)}, {"type", 4}, {"offset", offset},
                         {"length", 30}, {"update_allowed", true}}; break;
            case 3: f = {{"host_name", host}, {"type", 9}, {"offset", offset}, {"length", 8}, {"date_kind", 2},
                         {"date_format", 23}}; break;
            case 4: f = {{"host_name", host}, {"type", 11}, {"offset", offset}, {"length", 9}, {"decimals", 2}}; break;
            case 5: f = {{"host_name", host}, {"type", 3}, {"offset", offset}, {"length", 12}, {"visible", false}}; break;
            case 6: f = {{"host_name", host}, {"type", 9}, {"offset", offset}, {"length", 6}, {"date_kind", 3},
                         {"date_format", 0}}; break;
            case 7: f = {{"host_name", host}, {"type", 12}, {"offset", offset}, {"length", 13}, {"decimals", 2}}; break;
            case 8: f = {{"name", "USER_" + std::to_string(i)}, {"kind", "user"}, {"type", 4}, {"offset", 40},
                         {"length", 3}, {"offset_in_chars", true}, {"base_field", "FLD-2"}}; break;
            default: f = {{"host_name", host}, {"type", 22}, {"offset", offset}, {"length", 60}}; break;
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
        tables.push_back({{"number", t}, {"name", name}, {"update_allowed", t % 2 == 0}, {"database", "SALESDB"},
                          {"dataset", name}, {"set", "BY-KEY"}, {"description_file", "(PROD)DESCRIPTION/SALESDB ON DBPACK"},
                          {"where", t % 3 == 0 ? "FLD-4 > 100" : ""}, {"fields", fields},
                          {"sets", json::array({{{"name", "BY-KEY"}, {"first", 1}, {"second", 0}, {"third", 1},
                                                 {"keys", json::array({{{"field", 1}, {"first", 0}, {"second", 1}}})}}})}});
    }
    json apps = json::array();
    for (int a = 1; a <= kApplications; ++a) {
        json app = {{"number", a}, {"program", "APP" + std::to_string(a) + ".EXE"}, {"update_allowed", a % 2 == 0}};
        if (a % 2 == 0)
            app["local_limits"] = {{"where_required", true}, {"linear_selects", false}, {"linear_joins", false},
                                   {"row_limit_kind", 2}, {"row_count", 1000}};
        if (a % 4 == 0) {
            json list = json::array();
            for (int t = 1; t <= 10; ++t) list.push_back({{"number", t * 7}, {"update_allowed", t % 2 == 0}});
            app["tables"] = std::move(list);
        }
        apps.push_back(std::move(app));
    }
    const json file = {{"number", 1}, {"name", "WAREHOUSE"},
                       {"global_options", {{"description", "ALL OF THE WAREHOUSE"}, {"usercode", "WAREHOUSE"},
                                           {"priority", 50}, {"security_use", 3}, {"app_name", "WHODBC"}}},
                       {"limits", {{"where_required", false}, {"linear_selects", true}, {"row_limit_kind", 1},
                                   {"row_count", 50000}}},
                       {"tables", tables}, {"applications", apps}};
    const json f = {{"users", json::array({{{"name", "ADMIN"}, {"password", "SECRET"}, {"max_message_size", 9999}}})},
                    {"config_files", json::array({file})}};
    return files->write("report.json", f.dump());
}

// Counts the time the report spends in the host requests it makes while it runs.
class TimedSource : public report::CReportSource {
  public:
    TimedSource(report::CReportSource& inner, double& host_seconds) : inner_(inner), host_(host_seconds) {}
    bool load_application(model::CConfigFile& file, model::CPcApplication& app) override {
        return timed([&] { return inner_.load_application(file, app); });
    }
    bool load_table(model::CConfigFile& file, model::CConfigTable& table) override {
        return timed([&] { return inner_.load_table(file, table); });
    }
    bool load_field_list(model::CConfigTable& table) override {
        return timed([&] { return inner_.load_field_list(table); });
    }
    void unload_table(model::CConfigTable& table) override {
        timed([&] {
            inner_.unload_table(table);
            return true;
        });
    }

  private:
    template <class F>
    bool timed(F f) {
        const double t0 = kestra::bench::wall_seconds();
        const bool ok = f();
        host_ += kestra::bench::wall_seconds() - t0;
        return ok;
    }
    report::CReportSource& inner_;
    double& host_;
};

report::PrintOptions every_option() {
    report::PrintOptions o;
    o.global_options = o.limits = o.applications = o.names = o.detail = o.fields = true;
    return o;
}

// What the configuration view has fetched before Print, as the command line's report does it.
bool fetch_sections(configsvc::CConfigClient& client, configsvc::CPendingUnloadList& pending,
                    model::CConfigFile& file) {
    return configsvc::get_global(client, file) == 0 && configsvc::get_limits(client, file) == 0 &&
           configsvc::get_app_list(client, file) == 0 && configsvc::get_table_list(client, pending, file) == 0;
}

// One whole report: open, the sections, the report into its page file, everything unloaded, close.
void BM_Report(benchmark::State& state) {
    configsvc::CConfigClient client(rig->session());
    report::CPageFile page_file;
    if (!page_file.create(files->path())) {
        state.SkipWithError("page file");
        return;
    }
    SampleTimer timer(state, "report");
    double host = 0, wall = 0, cpu = 0;
    for (auto _ : state) {
        const double c0 = kestra::bench::thread_cpu_seconds();
        const double w0 = kestra::bench::wall_seconds();
        timer.start();
        configsvc::CPendingUnloadList pending;
        model::CConfigFile file;
        std::uint32_t reference = 0;
        bool ok = configsvc::open_config(client, 1, reference) == 0;
        file.file_reference = static_cast<std::int32_t>(reference);
        ok = ok && fetch_sections(client, pending, file) && file.tables.size() == kTables;
        host += kestra::bench::wall_seconds() - w0;
        if (ok) {
            // write_report's own steps, with the source timed.
            report::ReportSettings settings;
            settings.file_name = "WAREHOUSE";
            settings.window_title = rig->session().host_version_text();
            settings.options = every_option();
            report::HostReportSource hosted(client, pending);
            TimedSource source(hosted, host);
            report::PageWriter out(report::kDefaultLinesPerPage);
            report::build_report(source, file, settings, out);
            ok = page_file.write(out.text()) && hosted.failures() == 0;
            Results::get().set("report.pages", out.page_count());
            Results::get().set("report.bytes", static_cast<double>(out.text().size()));
        }
        const double w1 = kestra::bench::wall_seconds();
        ok = configsvc::unload_all_tables(client, pending, false) == 0 && ok;
        ok = configsvc::close_config(client, reference) == 0 && ok;
        host += kestra::bench::wall_seconds() - w1;
        timer.stop();
        wall += kestra::bench::wall_seconds() - w0;
        cpu += kestra::bench::thread_cpu_seconds() - c0;
        if (!ok) {
            state.SkipWithError("report failed");
            break;
        }
    }
    const double n = static_cast<double>(state.iterations());
    Results::get().set("report.per_table", wall / n / kTables);
    Results::get().set("report.own_share", wall > 0 ? (wall - host) / wall : 0);
    Results::get().set("report.cpu_share", wall > 0 ? cpu / wall : 0);
    state.counters["us/table"] = wall / n / kTables * 1e6;
    state.counters["own%"] = wall > 0 ? 100 * (wall - host) / wall : 0;
    state.counters["cpu%"] = wall > 0 ? 100 * cpu / wall : 0;
}

// The same through write_report itself, as the Print command calls it, to show the split above costs nothing.
void BM_WriteReport(benchmark::State& state) {
    configsvc::CConfigClient client(rig->session());
    report::CPageFile page_file;
    if (!page_file.create(files->path())) {
        state.SkipWithError("page file");
        return;
    }
    SampleTimer timer(state, "write_report");
    for (auto _ : state) {
        timer.start();
        configsvc::CPendingUnloadList pending;
        model::CConfigFile file;
        std::uint32_t reference = 0;
        bool ok = configsvc::open_config(client, 1, reference) == 0;
        file.file_reference = static_cast<std::int32_t>(reference);
        ok = ok && fetch_sections(client, pending, file) &&
             report::write_report(client, pending, file, "WAREHOUSE", every_option(), report::kDefaultLinesPerPage,
                                  page_file) == 0;
        ok = configsvc::unload_all_tables(client, pending, false) == 0 && ok;
        ok = configsvc::close_config(client, reference) == 0 && ok;
        timer.stop();
        if (!ok) {
            state.SkipWithError("report failed");
            break;
        }
    }
}

BENCHMARK(BM_Report)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_WriteReport)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

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
        std::fprintf(stderr, "report_bench: %s\n", error.c_str());
        return 1;
    }
    kestra::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    rig.reset();

    const Results& r = Results::get();
    kestra::bench::print_ratio("report of 300 tables, 12,000 fields: the report's own time / whole time",
                               r.value("report.own_share"), "<=", 0.10);
    std::printf("NOTE report: %.0f pages (%.0f KiB), %.0f us per table (mean), median %.0f ms in all (write_report: "
                "%.0f ms); program CPU (requests included) %.0f%% of the wall time on loopback\n",
                r.value("report.pages"), r.value("report.bytes") / 1024, r.value("report.per_table") * 1e6,
                r.value("report.median") * 1e3,
                r.value("write_report.median") * 1e3, r.value("report.cpu_share") * 100);
    benchmark::Shutdown();
    files.reset();
    return 0;
}
