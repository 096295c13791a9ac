// Building the windows' sheets from the sample history and from the largest one.
#include <benchmark/benchmark.h>

#include "benchsupport.h"
#include "core/analysis/windowtable.h"
#include "core/sheet/sheetformat.h"

using namespace pirumoa;

namespace {

void buildSheet(benchmark::State& state, const WindowInfo* window, const DrawHistory& history) {
    std::size_t bytes = 0, cells = 0;
    for (auto _ : state) {
        Sheet sheet;
        window->fill(history, sheet);
        benchmark::DoNotOptimize(sheet.rowCount());
        bytes = sheet.bytesUsed();
        cells = std::size_t(sheet.rowCount()) * sheet.columnCount();
    }
    state.counters["cells"] = double(cells);
    state.counters["bytes_per_cell"] = cells ? double(bytes) / double(cells) : 0;
}

void registerAll() {
    for (const WindowInfo& w : windowTable()) {
        if (!w.fill) continue;
        const std::string name = w.objectName.toStdString();
        benchmark::RegisterBenchmark(("sheet/sample/" + name).c_str(), buildSheet, &w,
                                     bench::sampleHistory())
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("sheet/32767/" + name).c_str(), buildSheet, &w,
                                     bench::largestHistory())
            ->Unit(benchmark::kMillisecond);
    }
}

// The largest grid of all: 42 columns over 32,767 draws, a mark or a number in most cells,
// lines on every side, as the group-division windows lay out.
void largestSheet(benchmark::State& state) {
    const DrawHistory& h = bench::largestHistory();
    std::size_t bytes = 0, cells = 0;
    for (auto _ : state) {
        Sheet s;
        const int rows = h.latestDrawNo + 2;
        s.setSize(42, rows);
        s.setBorder({1, 1, 42, rows}, AllSides, colour::LightBlue);
        s.setBackground({2, 3, 41, rows}, colour::LightGreen);
        int row = 3;
        h.forEachComplete([&](const DrawRecord& r) {
            s.setNumber(1, row, r.no);
            for (int p = 0; p < 4; ++p) s.setText(2 + p * 10 + r.digits[p], row, "●");
            s.setNumber(42, row, r.digits[0] + r.digits[1] + r.digits[2] + r.digits[3]);
            ++row;
        });
        bytes = s.bytesUsed();
        cells = std::size_t(rows) * 42;
    }
    state.counters["cells"] = double(cells);
    state.counters["bytes_per_cell"] = double(bytes) / double(cells);
}
BENCHMARK(largestSheet)->Unit(benchmark::kMillisecond);

// Copying the whole of the largest grid (分割10データ分析 at 32,767 draws): the text and the
// coloured table a spreadsheet receives.
void copyLargestGrid(benchmark::State& state) {
    Sheet sheet;
    findWindow(QStringLiteral("分割10データ分析"))->fill(bench::largestHistory(), sheet);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const QByteArray text = blockToTsv(sheet, {-1, -1, -1, -1});
        const QByteArray html = blockToHtml(sheet, {-1, -1, -1, -1});
        bytes = std::size_t(text.size() + html.size());
    }
    state.counters["cells"] = double(sheet.rowCount()) * sheet.columnCount();
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(copyLargestGrid)->Unit(benchmark::kMillisecond);

const int registered = (registerAll(), 0);

}  // namespace
