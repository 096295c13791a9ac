// One typed digit, from the key to the committed transaction, against a bare UPDATE of the
// same cell in one transaction on the same file: what the document adds to the engine's own
// write. The first digit of a run makes the run's backup; it is timed on its own, each time in
// a new process, as the program meets it after starting.
#include <benchmark/benchmark.h>
#include <sqlcipher/sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "benchsupport.h"
#include "core/store/backups.h"
#include "core/store/historydocument.h"
#include "core/store/sqlcipher.h"

using namespace pirumoa;

namespace {

struct LargestDatabase {
    QTemporaryDir dir;
    DatabaseFile database = databaseFileIn(dir.path());
    LargestDatabase() {
        DrawStore::open(database, true)
            ->importDraws(withoutPrizes(bench::largestHistory().rows), false);
    }
};

constexpr int kTypedDraw = 16000;

// Types the next digit into the first place of the draw; false with why when refused.
bool typeDigit(HistoryDocument& document, QString* why) {
    const DrawRecord before = document.snapshot()->rows[std::size_t(kTypedDraw - 1)];
    DrawRecord after = before;
    after.digits[0] = std::int8_t((before.digits[0] + 1) % 10);
    return document.editDraws({DrawEdit{kTypedDraw, before, after}}, "入力", 0, why);
}

}  // namespace

static void typedDigitThroughTheDocument(benchmark::State& state) {
    LargestDatabase db;
    HistoryDocument document;
    document.open(db.database);
    QString why;
    if (!typeDigit(document, &why))  // the run's first change, with its backup
        state.SkipWithError(why.toUtf8().constData());
    for (auto _ : state)
        if (!typeDigit(document, &why)) state.SkipWithError(why.toUtf8().constData());
}
BENCHMARK(typedDigitThroughTheDocument)->Unit(benchmark::kMillisecond);

// The data entry opens the document's connection when it opens (writeProblem); the clock
// runs from the key to the stored digit, backup included.
static void firstTypedDigitAfterStart(benchmark::State& state) {
    LargestDatabase db;
    for (auto _ : state) {
        int fds[2];
        if (::pipe(fds) != 0) state.SkipWithError("pipe failed");
        const pid_t child = ::fork();
        if (child == 0) {
            HistoryDocument document;
            document.open(db.database);
            double seconds = -1;
            if (document.writeProblem().isEmpty()) {
                // The first key comes a moment after the data entry opens, not at once.
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                const auto start = std::chrono::steady_clock::now();
                QString why;
                if (typeDigit(document, &why))
                    seconds =
                        std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
                            .count();
            }
            const bool sent = ::write(fds[1], &seconds, sizeof seconds) == sizeof seconds;
            finishBackupChecks();  // as the program does before it ends
            ::_exit(sent ? 0 : 1);
        }
        ::close(fds[1]);
        double seconds = -1;
        if (::read(fds[0], &seconds, sizeof seconds) != sizeof seconds) seconds = -1;
        ::close(fds[0]);
        ::waitpid(child, nullptr, 0);
        if (seconds < 0) state.SkipWithError("the first digit was refused");
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(firstTypedDigitAfterStart)->UseManualTime()->Unit(benchmark::kMillisecond);

static void bareUpdateInOneTransaction(benchmark::State& state) {
    LargestDatabase db;
    sql::Connection c;
    c.open(db.database.file, db.database.password, SQLITE_OPEN_READWRITE);
    sql::exec(c.get(), "PRAGMA journal_mode = DELETE; PRAGMA synchronous = FULL;");
    int digit = 0;
    for (auto _ : state) {
        sql::exec(c.get(), "BEGIN IMMEDIATE;");
        sql::Statement update(c.get(), "UPDATE 当選データ SET 第1数字 = ?1 WHERE 回数 = 16000");
        update.bind(1, digit++ % 10);
        update.run();
        sql::exec(c.get(), "COMMIT;");
    }
}
BENCHMARK(bareUpdateInOneTransaction)->Unit(benchmark::kMillisecond);

static void typedDigitStoreOnly(benchmark::State& state) {
    LargestDatabase db;
    auto store = DrawStore::open(db.database);
    DrawRecord before = bench::largestHistory().rows[15999];
    int digit = 0;
    for (auto _ : state) {
        DrawRecord after = before;
        after.digits[0] = std::int8_t(digit++ % 10);
        std::vector<DrawEdit> edits{DrawEdit{16000, before, after}};
        store->applyEdits(edits);
        before = after;
    }
}
BENCHMARK(typedDigitStoreOnly)->Unit(benchmark::kMillisecond);
