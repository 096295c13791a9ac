// A backup of the largest history, as the first change of a run makes it.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "benchsupport.h"
#include "core/store/backups.h"
#include "core/store/drawstore.h"

using namespace pirumoa;

static void backupOfTheLargestHistory(benchmark::State& state) {
    QTemporaryDir dir;
    const DatabaseFile database = databaseFileIn(dir.path());
    DrawStore::open(database, true)
        ->importDraws(withoutPrizes(bench::largestHistory().rows), false);
    qint64 bytes = 0;
    for (auto _ : state) {
        const QString file = makeBackup(database);
        bytes = QFileInfo(file).size();
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(backupOfTheLargestHistory)->Unit(benchmark::kMillisecond);
