// Painting a screen of the grid, and opening each analysis window on the sample history.
// (Start-up is timed as whole processes: start_probe against empty_window.)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include "benchsupport.h"
#include "core/analysis/analyses.h"
#include "core/prediction/methods.h"
#include "core/store/drawstore.h"
#include "gui/shell/childwindow.h"
#include "gui/shell/gridview.h"
#include "paint/look.h"
#include "paint/sheetexport.h"

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

// The group-division chart of the largest history (42 columns, three frozen rows), scrolled
// on by a page down and a column across before every paint, in a view of the given size:
// the full-HD screen shows every column, the narrow view scrolls both ways.
void scrollGroupDivision(benchmark::State& state) {
    Sheet sheet;
    fillTenGroupData(bench::largestHistory(), sheet);
    GridView view;
    view.setSheet(std::move(sheet));
    view.resize(int(state.range(0)), int(state.range(1)));
    view.show();
    QCoreApplication::processEvents();
    QScrollBar* down = view.verticalScrollBar();
    QScrollBar* across = view.horizontalScrollBar();
    QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        down->setValue(down->value() >= down->maximum() ? 0 : down->value() + down->pageStep());
        across->setValue(
            across->value() >= across->maximum() ? 0 : across->value() + across->singleStep());
        QPainter p(&image);
        view.paintArea(p, image.rect());
    }
    state.counters["across_max"] = across->maximum();
}
BENCHMARK(scrollGroupDivision)->Args({1920, 1080})->Args({480, 800})->Unit(benchmark::kMillisecond);

// Just what an analysis window asks of the main window.
class SampleHost : public ChildHost {
public:
    HistorySnapshot history() const override { return m_history; }
    const DatabaseFile& databaseFile() const override { return m_database; }
    void historyWritten() override {}
    const ReflectOptions& reflectOptions() const override { return m_options; }
    void setReflectOption(int, bool) override {}
    QMenuBar* hostMenuBar() override { return nullptr; }
    QMdiArea* mdiArea() const override { return nullptr; }

private:
    HistorySnapshot m_history = std::make_shared<const DrawHistory>(bench::sampleHistory());
    DatabaseFile m_database;
    ReflectOptions m_options{};
};

// From the menu command to the first picture: build the window, load it, show it at its
// design size and paint it once.
void openWindow(benchmark::State& state, const WindowDesign* design) {
    SampleHost host;
    for (auto _ : state) {
        AnalysisWindow window(host, *design);
        window.resize(design->size());
        window.load();
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.grab().width());
    }
}

void registerWindows() {
    for (const WindowDesign& w : windowDesigns())
        if (w.info->kind == WindowKind::Analysis)
            benchmark::RegisterBenchmark(("open/sample/" + w.objectName.toStdString()).c_str(),
                                         openWindow, &w)
                ->Unit(benchmark::kMillisecond);
}

}  // namespace

// The PDF of 出現頻度分析 on the sample history, as the print and the command-line tool make it.
void pdfOfFrequency(benchmark::State& state) {
    Sheet sheet;
    fillAppearanceFrequency(bench::sampleHistory(), sheet);
    const QString path = QDir::temp().filePath(QStringLiteral("pirumoa-bench.pdf"));
    for (auto _ : state) benchmark::DoNotOptimize(writeSheetsPdf({&sheet}, "出現頻度分析", path));
    QFile::remove(path);
}
BENCHMARK(pdfOfFrequency)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installFonts();
    registerWindows();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
