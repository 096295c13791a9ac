// One typed digit, from the key to the committed transaction, against a bare UPDATE of the
// same cell in one transaction on the same file: what the document adds to the engine's own
// write (the automatic backup is made before the timing starts).
#include <benchmark/benchmark.h>
#include <sqlcipher/sqlite3.h>

#include <QTemporaryDir>

#include "benchsupport.h"
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

}  // namespace

static void typedDigitThroughTheDocument(benchmark::State& state) {
    LargestDatabase db;
    HistoryDocument document;
    document.open(db.database);
    QString why;
    int no = 16000;
    const auto type = [&](int digit) {
        const DrawRecord before = document.snapshot()->rows[std::size_t(no - 1)];
        DrawRecord after = before;
        after.digits[0] = std::int8_t(digit);
        if (!document.editDraws({DrawEdit{no, before, after}}, "入力", 0, &why))
            state.SkipWithError(why.toUtf8().constData());
    };
    type(1);  // the run's first change, with its backup
    int digit = 0;
    for (auto _ : state) type(digit++ % 10);
}
BENCHMARK(typedDigitThroughTheDocument)->Unit(benchmark::kMillisecond);

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
