#pragma once

// What every benchmark program here shares: per-iteration samples, their median, the thread's CPU clock and a
// console reporter that remembers each benchmark's time so that ratios can be printed after the table.
#include <benchmark/benchmark.h>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace kestra::bench {

inline double thread_cpu_seconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

inline double wall_seconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

// Named results of the last run of each benchmark (a benchmark body runs several times while the library settles
// on an iteration count; the last run is the one reported, so each run overwrites).
class Results {
public:
    static Results& get() {
        static Results r;
        return r;
    }
    void set(const std::string& name, double value) { values_[name] = value; }
    double value(const std::string& name) const {
        auto it = values_.find(name);
        return it == values_.end() ? 0 : it->second;
    }

private:
    std::map<std::string, double> values_;
};

// Times each iteration of a benchmark loop and records the median under `name` when it goes out of scope.
class SampleTimer {
public:
    SampleTimer(benchmark::State& state, std::string name) : state_(state), name_(std::move(name)) {
        samples_.reserve(1 << 16);
    }
    ~SampleTimer() {
        if (samples_.empty()) return;
        double m = median(samples_);
        Results::get().set(name_ + ".median", m);
        state_.counters["median_us"] = m * 1e6;
    }
    void start() { t0_ = wall_seconds(); }
    void stop() { samples_.push_back(wall_seconds() - t0_); }

private:
    benchmark::State& state_;
    std::string name_;
    std::vector<double> samples_;
    double t0_ = 0;
};

// Keeps each benchmark's time per iteration (seconds) for the ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colour only on a terminal, so logs and the summary lines stay plain text.
    RatioReporter() : ConsoleReporter(::isatty(1) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (!r.error_occurred && r.run_type == Run::RT_Iteration && r.iterations > 0) {
                const double scale = benchmark::GetTimeUnitMultiplier(r.time_unit);
                times_[r.benchmark_name()] = r.GetAdjustedRealTime() / scale;
                cpu_[r.benchmark_name()] = r.GetAdjustedCPUTime() / scale;
            }
        ConsoleReporter::ReportRuns(runs);
    }
    double time(const std::string& prefix) const { return find(times_, prefix); }
    double cpu(const std::string& prefix) const { return find(cpu_, prefix); }

private:
    static double find(const std::map<std::string, double>& m, const std::string& prefix) {
        for (const auto& [name, t] : m)
            if (name.rfind(prefix, 0) == 0) return t;
        return 0;
    }
    std::map<std::string, double> times_;
    std::map<std::string, double> cpu_;
};

// One line of the summary: "RATIO <what> = <value> (target <op> <limit>) <met|MISSED>".
inline bool print_ratio(const char* what, double value, const char* op, double limit) {
    if (!(value > 0)) {
        std::printf("RATIO %s = n/a (not measured)\n", what);
        return false;
    }
    const bool met = (op[0] == '<') ? value <= limit : value >= limit;
    std::printf("RATIO %s = %.3f (target %s %.2f) %s\n", what, value, op, limit, met ? "met" : "MISSED");
    return met;
}

}  // namespace kestra::bench
