// Replaying the prediction over a whole history, with the table the window and the tool show.
#include <benchmark/benchmark.h>

#include "benchsupport.h"
#include "core/prediction/backtest.h"

using namespace pirumoa;

namespace {

void replay(benchmark::State& state, const DrawHistory& history) {
    ReflectOptions options{};
    options[2] = true;  // one option on, as a user may have it; the cost does not depend on it
    for (auto _ : state) {
        Backtest backtest(history, options);
        backtest.run();
        Sheet table;
        fillBacktestSheet(backtest, table);
        benchmark::DoNotOptimize(table.rowCount());
        state.counters["draws"] = double(backtest.predictedDraws());
    }
}

// Every draw "0000": the elimination predicts the same nine digits each time, so its digits
// found are one binomial of 131,064 trials, the longest range there can be.
const DrawHistory& zeroHistory() {
    static const DrawHistory h = [] {
        std::vector<DrawRecord> rows(kMaxDrawNo);
        for (int i = 0; i < kMaxDrawNo; ++i) {
            rows[std::size_t(i)].no = i + 1;
            rows[std::size_t(i)].digits = {0, 0, 0, 0};
        }
        return DrawHistory::fromRows(std::move(rows));
    }();
    return h;
}

BENCHMARK_CAPTURE(replay, sample, bench::sampleHistory())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(replay, 32767, bench::largestHistory())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(replay, 32767_zeros, zeroHistory())->Unit(benchmark::kMillisecond);

}  // namespace
