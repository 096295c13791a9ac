// Painting a screen of the grid, and start-up against an empty Qt main window.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QPainter>
#include <QScrollBar>

#include "analysis/frequency.h"
#include "benchsupport.h"
#include "shell/gridview.h"
#include "shell/mainwindow.h"

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
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&image);
        view.paintArea(p, image.rect());
    }
}
BENCHMARK(paintScreen)->Unit(benchmark::kMillisecond);

void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

void startEmptyMainWindow(benchmark::State& state) {
    for (auto _ : state) {
        QMainWindow w;
        w.resize(800, 760);
        w.show();
        settle();
    }
}
BENCHMARK(startEmptyMainWindow)->Unit(benchmark::kMillisecond);

// Start-up as the program does it: read the sample database, show the main window and the
// window that activation opens.
void startProgram(benchmark::State& state) {
    const QString folder = qEnvironmentVariable("PIRUMOA_BENCH_DB_DIR");
    if (folder.isEmpty()) {
        state.SkipWithError("set PIRUMOA_BENCH_DB_DIR to the folder of a Numbers4Pirumoa.mdb");
        return;
    }
    for (auto _ : state) {
        MainFrm w;
        if (!w.start(folder)) {
            state.SkipWithError("the database could not be read");
            return;
        }
        w.show();
        w.openWindow(QStringLiteral("一発ピルモア"));
        settle();
    }
}
BENCHMARK(startProgram)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    MainFrm::installFonts();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
