// The automatic backup and a restore of the largest history with prizes, each against its
// yardstick: copying the database file and syncing the copy to the disk.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlcipher/sqlite3.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <random>

#include "benchsupport.h"
#include "core/store/backups.h"
#include "core/store/drawstore.h"
#include "core/store/sqlcipher.h"

using namespace pirumoa;

namespace {

struct LargestWithPrizes {
    QTemporaryDir dir;
    DatabaseFile database = databaseFileIn(dir.path());
    int digit = 0;
    LargestWithPrizes() {
        std::mt19937 random(7);
        std::vector<ImportedDraw> draws;
        for (const DrawRecord& d : bench::largestHistory().rows) {
            ImportedDraw in{d, {}};
            in.prizes.yen = {std::int64_t(random() % 2000000), std::int64_t(random() % 200000),
                             std::int64_t(random() % 1000000), std::int64_t(random() % 100000)};
            draws.push_back(in);
        }
        DrawStore::open(database, true)->importDraws(draws, false);
    }
    // A change made by another program, so that the next backup has something new to keep.
    void change() {
        sql::Connection c;
        c.open(database.file, database.password, SQLITE_OPEN_READWRITE);
        sql::Statement s(c.get(), "UPDATE 当選データ SET 第1数字 = ?1 WHERE 回数 = 16000");
        s.bind(1, digit++ % 10);
        s.run();
    }
};

}  // namespace

static void copyTheFileWithFsync(benchmark::State& state) {
    LargestWithPrizes db;
    const QByteArray to = QFile::encodeName(db.dir.filePath("copy.mdb"));
    std::vector<char> buffer(std::size_t(QFileInfo(db.database.file).size()));
    for (auto _ : state) {
        const int in = ::open(QFile::encodeName(db.database.file).constData(), O_RDONLY);
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        ::close(in);
        const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (n < 0 || ::write(out, buffer.data(), std::size_t(n)) != n || ::fsync(out) != 0)
            state.SkipWithError("copy failed");
        ::close(out);
    }
    state.counters["bytes"] = double(buffer.size());
}
BENCHMARK(copyTheFileWithFsync)->Unit(benchmark::kMillisecond);

static void backupOfTheLargestHistory(benchmark::State& state) {
    LargestWithPrizes db;
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        db.change();
        state.ResumeTiming();
        bytes = QFileInfo(makeBackup(db.database)).size();
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(backupOfTheLargestHistory)->Unit(benchmark::kMillisecond);

static void restoreOfTheLargestHistory(benchmark::State& state) {
    LargestWithPrizes db;
    // Kept outside the backups folder, where no pruning reaches it.
    const QString backup = db.dir.filePath("chosen.mdb");
    QFile::copy(makeBackup(db.database), backup);
    for (auto _ : state) {
        state.PauseTiming();
        db.change();  // the file a restore keeps is new every time
        state.ResumeTiming();
        restoreBackup(db.database, backup);
    }
}
BENCHMARK(restoreOfTheLargestHistory)->Unit(benchmark::kMillisecond);
