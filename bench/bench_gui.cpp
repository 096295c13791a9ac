// Painting a screen of the grid, and opening each analysis window on the sample history.
// (Start-up is timed as whole processes: start_probe against empty_window.)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <random>

#include "benchsupport.h"
#include "core/analysis/analyses.h"
#include "core/analysis/windowtable.h"
#include "core/prediction/methods.h"
#include "core/store/drawstore.h"
#include "core/store/historydocument.h"
#include "core/store/importeddraw.h"
#include "gui/prediction/backtestwindow.h"
#include "gui/shell/childwindow.h"
#include "gui/shell/gridview.h"
#include "gui/tickets/ticketswindow.h"
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
class BenchHost final : public ChildHost {
public:
    explicit BenchHost(const DrawHistory& history)
        : m_history(std::make_shared<const DrawHistory>(history)) {}
    HistorySnapshot history() const override { return m_history; }
    HistoryDocument& document() const override { return m_document; }
    const ReflectOptions& reflectOptions() const override { return m_options; }
    void setReflectOption(int, bool) override {}
    QMenuBar* hostMenuBar() override { return nullptr; }
    QStatusBar* hostStatusBar() override { return nullptr; }
    QMdiArea* mdiArea() const override { return nullptr; }

private:
    HistorySnapshot m_history;
    mutable HistoryDocument m_document;
    ReflectOptions m_options{};
};

// Counts the pictures a widget paints.
class PaintCounter final : public QObject {
public:
    long count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
};

// From the menu command to the first picture, as the main window opens a window: built in
// the main area, loaded, shown at its design size and painted there by the event loop; then
// closed again, as the sheet of fill/ is freed again. The first picture is the one the
// screen shows: painting the window once more into a picture of its own (grab) would double
// the cost of the paint that no user waits for.
void openWindow(benchmark::State& state, const WindowDesign* design, const DrawHistory* history) {
    BenchHost host(*history);
    QMdiArea area;
    area.resize(1920, 1080);
    area.show();
    QCoreApplication::processEvents();
    PaintCounter painted;
    for (auto _ : state) {
        auto* window = new AnalysisWindow(host, *design);
        QMdiSubWindow* sub = area.addSubWindow(window);
        window->grid()->viewport()->installEventFilter(&painted);
        window->load();
        sub->resize(design->size());
        sub->show();
        QCoreApplication::processEvents();
        delete sub;
    }
    if (painted.count < state.iterations()) state.SkipWithError("a window was not painted");
}

// The sheet alone, from the same history: what opening costs beyond it is the window's.
void fillWindow(benchmark::State& state, const WindowDesign* design, const DrawHistory* history) {
    for (auto _ : state) {
        Sheet sheet;
        design->info->fill(*history, sheet);
        benchmark::DoNotOptimize(sheet.rowCount());
    }
}

// Every analysis window open at once on the largest history, each shown and painted once:
// MB is what they hold (resident memory before and after), sheetMB their sheets' share.
long residentBytes() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4096 : 0;
}

void allWindowsOpen(benchmark::State& state) {
    BenchHost host(bench::largestHistory());
    double held = 0, sheets = 0;
    for (auto _ : state) {
        const long before = residentBytes();
        sheets = 0;
        // Inside one main area, as in the program: the windows share its backing store.
        QMdiArea area;
        area.resize(1920, 1080);
        area.show();
        // Every window that shows the history's grids: the analyses, the prediction and the
        // replay of the prediction, the last one run to its end.
        for (const WindowDesign& w : windowDesigns()) {
            if (!hasSheets(*w.info)) continue;
            ChildWindow* window = createChildWindow(w, host);
            window->load();
            area.addSubWindow(window)->resize(w.size());
            window->show();
            QCoreApplication::processEvents();
            if (auto* replay = qobject_cast<BacktestWindow*>(window))
                while (!replay->finished()) QCoreApplication::processEvents();
            if (auto* analysis = qobject_cast<AnalysisWindow*>(window))
                sheets += double(analysis->grid()->sheet().bytesUsed()) / 1e6;
        }
        held = double(residentBytes() - before) / 1e6;
    }
    state.counters["MB"] = held;
    state.counters["sheetMB"] = sheets;
}
BENCHMARK(allWindowsOpen)->Iterations(1)->Unit(benchmark::kMillisecond);

// What the tickets window asks of the main window: a real document over a database file.
class DocumentHost final : public ChildHost {
public:
    explicit DocumentHost(HistoryDocument& document) : m_document(document) {}
    HistorySnapshot history() const override { return m_document.snapshot(); }
    HistoryDocument& document() const override { return m_document; }
    const ReflectOptions& reflectOptions() const override { return m_options; }
    void setReflectOption(int, bool) override {}
    QMenuBar* hostMenuBar() override { return nullptr; }
    QStatusBar* hostStatusBar() override { return nullptr; }
    QMdiArea* mdiArea() const override { return nullptr; }

private:
    HistoryDocument& m_document;
    ReflectOptions m_options{};
};

// The largest history with prizes on every draw, and count tickets of a player who buys a lot:
// every tenth bought on and on from some draw, the others for 1 … 20 draws, all over the
// history.
struct TicketDatabase {
    QTemporaryDir dir;
    DatabaseFile database = databaseFileIn(dir.path());
    explicit TicketDatabase(int count) {
        std::vector<ImportedDraw> draws = withoutPrizes(bench::largestHistory().rows);
        for (ImportedDraw& d : draws) d.prizes.yen = {900000, 37500, 468700, 18700};
        auto store = DrawStore::open(database, true);
        store->importDraws(draws, false);
        std::mt19937 random(7);
        std::vector<Ticket> tickets;
        while (int(tickets.size()) < count) {
            Ticket t;
            for (int& d : t.digits) d = int(random() % 10);
            t.type = TicketType(tickets.size() % 3);
            t.units = 1 + int(random() % 10);
            t.firstDraw = 1 + int(random() % kMaxDrawNo);
            t.draws = tickets.size() % 10 == 0 ? 0 : 1 + int(random() % 20);
            if (ticketProblem(t).isEmpty()) tickets.push_back(t);
        }
        store->addTickets(tickets);
    }
};

long peakResidentBytes() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ')[0].toLong() * 1024;
    return 0;
}

// The peak of resident memory starts again from what is resident now (Linux 4.0 and later).
void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

// 購入数字の照合 with many tickets on the largest history, from the menu command to the first
// picture as the main window opens it, the tickets read from the database included (the
// document reads them on first use). peakMB is the most resident memory it added on the way.
void openTicketsWindow(benchmark::State& state) {
    const WindowDesign* design = findWindowDesign(QStringLiteral("購入数字の照合"));
    const TicketDatabase db(int(state.range(0)));
    QMdiArea area;
    area.resize(1920, 1080);
    area.show();
    QCoreApplication::processEvents();
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        HistoryDocument document;
        document.open(db.database);
        DocumentHost host(document);
        resetPeak();
        const long before = residentBytes();
        state.ResumeTiming();
        ChildWindow* window = createChildWindow(*design, host);
        QMdiSubWindow* sub = area.addSubWindow(window);
        window->load();
        sub->resize(design->size());
        sub->show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        peak = std::max(peak, double(peakResidentBytes() - before) / 1e6);
        if (auto* tickets = qobject_cast<TicketsWindow*>(window))
            state.counters["tickets"] = double(tickets->tickets().size());
        delete sub;
        state.ResumeTiming();
    }
    state.counters["peakMB"] = peak;
}
BENCHMARK(openTicketsWindow)->Arg(1000)->Arg(20000)->Iterations(3)->Unit(benchmark::kMillisecond);

// open/<window>/<draws> beside fill/<window>/<draws>, on the sample and the largest history.
void registerWindows() {
    for (const DrawHistory* h : {&bench::sampleHistory(), &bench::largestHistory()}) {
        const std::string draws = std::to_string(h->latestDrawNo);
        for (const WindowDesign& w : windowDesigns()) {
            if (w.info->kind != WindowKind::Analysis) continue;
            const std::string name = w.objectName.toStdString();
            benchmark::RegisterBenchmark(("open/" + name + '/' + draws).c_str(), openWindow, &w, h)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("fill/" + name + '/' + draws).c_str(), fillWindow, &w, h)
                ->Unit(benchmark::kMillisecond);
        }
    }
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

// The longest print of the sample history: 分割10データ分析 on 98 pages. Its budget is set
// against its TSV as whole processes (pirumoa-cli sheet … with and without --format pdf).
void pdfOfGroupDivision10(benchmark::State& state) {
    Sheet sheet;
    findWindow(QStringLiteral("分割10データ分析"))->fill(bench::sampleHistory(), sheet);
    const QString path = QDir::temp().filePath(QStringLiteral("pirumoa-bench-10.pdf"));
    for (auto _ : state)
        benchmark::DoNotOptimize(writeSheetsPdf({&sheet}, "分割10データ分析", path));
    QFile::remove(path);
}
BENCHMARK(pdfOfGroupDivision10)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installFonts();
    registerWindows();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
