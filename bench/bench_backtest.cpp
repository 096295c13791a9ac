// The prediction on a whole history, and replaying it over the history with the table the
// window and the tool show.
#include <benchmark/benchmark.h>

#include "benchsupport.h"
#include "core/prediction/backtestsheets.h"
#include "core/prediction/methods.h"

using namespace pirumoa;

namespace {

// The history as a snapshot that the benchmark's own static owns.
std::shared_ptr<const DrawHistory> borrowed(const DrawHistory& history) {
    return std::shared_ptr<const DrawHistory>(&history, [](const DrawHistory*) {});
}

// What the prediction window computes on opening, after every option click and every change of
// the draws: the scan of the whole history and the four methods.
void prediction(benchmark::State& state, const DrawHistory& history) {
    ReflectOptions options{};
    options[2] = true;
    for (auto _ : state) benchmark::DoNotOptimize(predict(history, options).oneShot.size());
}

void replay(benchmark::State& state, const DrawHistory& history) {
    ReflectOptions options{};
    options[2] = true;  // one option on, as a user may have it; the cost does not depend on it
    for (auto _ : state) {
        Backtest backtest(borrowed(history), options);
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

BENCHMARK_CAPTURE(prediction, sample, bench::sampleHistory())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(prediction, 32767, bench::largestHistory())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(replay, sample, bench::sampleHistory())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(replay, 32767, bench::largestHistory())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(replay, 32767_zeros, zeroHistory())->Unit(benchmark::kMillisecond);

}  // namespace
