// Checks per second of the expression checker and the calculation checker on texts of the size administrators
// write: join member conditions, join-field values and calculated-field definitions.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "ratio_report.h"

#include "expr/calc_checker.h"
#include "expr/expression_parser.h"

namespace {

using namespace kestra::expr;

const std::vector<std::string> kConditions = {
    "CUSTOMER.STATUS = 'A' AND ORDERS.AMOUNT > 1000",
    "ORDERS.ORDER_DATE BETWEEN '01-01-2003' AND {d '12-31-2003'} AND NOT ORDERS.CLOSED_FLAG = 1",
    "CUSTOMER.REGION IN ('NE', 'NW', 'SE', 'SW') OR UCASE(CUSTOMER.NAME) LIKE 'SMITH%'",
    "MOD(CUSTOMER.ID, 7) + 1 <= (ORDERS.QTY * ORDERS.PRICE - ORDERS.DISCOUNT) / 100",
    "ORDERS.SHIP_DATE IS NOT NULL AND DAYOFWEEK(ORDERS.SHIP_DATE) <> 1 AND LENGTH(CUSTOMER.CITY & ', ' & "
    "CUSTOMER.STATE) < 40",
    "IFFUNC(ORDERS.AMOUNT > 100, ORDERS.AMOUNT, 0) > 50 AND LOCATE('X', CUSTOMER.CODE, 2) = 0",
};

const std::vector<std::string> kCalculations = {
    "QTY * PRICE - DISCOUNT",
    "ROUND(QTY * PRICE / 100, 2) + MOD(ID, 7)",
    "CONCAT(LEFT(NAME, 10), RIGHT(CITY, 5)) & ' ' & UCASE(STATE)",
    "SUBSTRING(NAME, LOCATE(' ', NAME) + 1, 20)",
    "(QTY + 1) * (PRICE - DISCOUNT) / SQRT(POWER(ID, 2) + PI())",
};

void AddOrderFields(CExpressionParser& p) {
    const struct {
        const char* name;
        int type;
    } fields[] = {{"STATUS", kTypeString},     {"AMOUNT", kTypeNumeric},   {"ORDER_DATE", kTypeDate},
                  {"CLOSED_FLAG", kTypeNumeric}, {"REGION", kTypeString},  {"NAME", kTypeString},
                  {"QTY", kTypeNumeric},       {"PRICE", kTypeNumeric},    {"DISCOUNT", kTypeNumeric},
                  {"ID", kTypeNumeric},        {"SHIP_DATE", kTypeDate},   {"CITY", kTypeString},
                  {"STATE", kTypeString},      {"CODE", kTypeString}};
    for (const char* table : {"CUSTOMER", "ORDERS"})
        for (const auto& f : fields) {
            p.AddField(std::string(table) + "." + f.name, f.type);
            p.AddField(f.name, f.type);
        }
}

void BM_SearchConditions(benchmark::State& state) {
    CExpressionParser parser("", kTypeBoolean);
    AddOrderFields(parser);
    std::size_t i = 0;
    for (auto _ : state) {
        parser.SetText(kConditions[i++ % kConditions.size()]);
        const int ok = parser.Parse();
        if (!ok) state.SkipWithError(std::string(parser.GetErrorMessage()).c_str());
        benchmark::DoNotOptimize(ok);
    }
    state.counters["checks/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SearchConditions);

void BM_Calculations(benchmark::State& state) {
    CalcCheckState base;
    base.fields = {{"QTY", kCalcNumeric}, {"PRICE", kCalcNumeric}, {"DISCOUNT", kCalcNumeric},
                   {"ID", kCalcNumeric},  {"NAME", kCalcString},   {"CITY", kCalcString},
                   {"STATE", kCalcString}};
    std::size_t i = 0;
    for (auto _ : state) {
        CalcCheckState st = base;
        const bool complete = CalcChecker::Check(kCalculations[i++ % kCalculations.size()], st);
        if (!complete) state.SkipWithError("calculation not complete");
        benchmark::DoNotOptimize(complete);
    }
    state.counters["checks/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Calculations);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    kestra::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // No baseline to run beside a parser: the ratio is against the target rate.
    constexpr double kTarget = 500000;
    for (const char* name : {"BM_SearchConditions", "BM_Calculations"}) {
        const double t = reporter.cpu(name);  // a loaded machine would skew wall time
        const std::string what = std::string(name + 3) + ": checks per second / 500,000";
        kestra::bench::print_ratio(what.c_str(), t > 0 ? 1.0 / t / kTarget : 0, ">=", 1.0);
    }
    benchmark::Shutdown();
    return 0;
}
