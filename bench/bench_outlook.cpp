// The expected prize of a number: the fit on the largest history (budget 50 ms) and one
// number's outlook after it (budget 1 µs).
#include <benchmark/benchmark.h>

#include <random>

#include "benchsupport.h"
#include "core/stats/outlook.h"

using namespace pirumoa;

namespace {

// The largest history with a prize for every draw, about what the sample paid.
const DrawHistory& largestWithPrizes() {
    static const DrawHistory h = [] {
        DrawHistory copy = bench::largestHistory();
        std::mt19937 rng(5);
        std::lognormal_distribution<double> prize(13.6, 0.5);
        for (const DrawRecord& r : copy.rows) {
            const auto straight = static_cast<long long>(prize(rng));
            copy.prizes.set(r.no, {.straight = straight, .box = straight / 20});
        }
        return copy;
    }();
    return h;
}

void BM_OutlookFit(benchmark::State& state) {
    const DrawHistory& h = largestWithPrizes();
    for (auto _ : state) benchmark::DoNotOptimize(OutlookModel::fit(h));
}
BENCHMARK(BM_OutlookFit)->Unit(benchmark::kMillisecond);

void BM_OutlookOfOneNumber(benchmark::State& state) {
    const OutlookModel model = OutlookModel::fit(largestWithPrizes());
    int n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(model.outlook(n));
        n = (n + 7919) % 10000;
    }
}
BENCHMARK(BM_OutlookOfOneNumber)->Unit(benchmark::kNanosecond);

}  // namespace
