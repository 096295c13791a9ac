// Painting a screen of the grid. (Start-up is timed as whole processes: start_probe
// against empty_window.)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include "benchsupport.h"
#include "core/analysis/analyses.h"
#include "gui/shell/gridview.h"
#include "gui/shell/look.h"

using namespace pirumoa;

namespace {

// A full-HD screen of the frequency chart of the largest history, scrolled to its middle.
void paintScreen(benchmark::State& state) {
    Sheet sheet;
    fillAppearanceFrequency(bench::largestHistory(), sheet);
    // Widen it to fill the screen with cells, as the widest windows do.
    sheet.setSize(80, sheet.rowCount());
    sheet.setBorder({1, 1, 80, -1}, AllSides, colour::LightBlue);
    GridView view;
    view.setSheet(std::move(sheet));
    view.resize(1920, 1080);
    view.show();
    QCoreApplication::processEvents();
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&image);
        view.paintArea(p, image.rect());
    }
}
BENCHMARK(paintScreen)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installFonts();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
