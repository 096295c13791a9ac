// The automatic backup and a restore of the largest history with prizes, each against its
// yardstick: copying the database file and syncing the copy to the disk.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlcipher/sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
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

// What the automatic backup adds to the first change of a run: each iteration is a run of its
// own in a child process, which times its first change (with the backup) and its second.
static void automaticBackupOfTheLargestHistory(benchmark::State& state) {
    LargestWithPrizes db;
    for (auto _ : state) {
        int fds[2];
        if (::pipe(fds) != 0) state.SkipWithError("pipe failed");
        const pid_t child = ::fork();
        if (child == 0) {
            double seconds[2] = {-1, -1};
            try {
                auto store = DrawStore::open(db.database);
                for (double& s : seconds) {
                    std::vector<DrawEdit> edits{DrawEdit{16000, std::nullopt, std::nullopt}};
                    edits[0].before = store->readAll()[16000 - 1];
                    edits[0].after = edits[0].before;
                    edits[0].after->digits[0] = std::int8_t((edits[0].before->digits[0] + 1) % 10);
                    edits[0].afterPrizes = Prizes{};
                    const auto start = std::chrono::steady_clock::now();
                    store->applyEdits(edits);
                    s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
                            .count();
                }
            } catch (const StoreError&) {
            }
            // -1: a change was refused.
            const double added = seconds[1] < 0 ? -1 : std::max(seconds[0] - seconds[1], 0.0);
            const bool sent = ::write(fds[1], &added, sizeof added) == sizeof added;
            finishBackupChecks();  // as the program does before it ends
            ::_exit(sent ? 0 : 1);
        }
        ::close(fds[1]);
        double added = -1;
        if (::read(fds[0], &added, sizeof added) != sizeof added) added = -1;
        ::close(fds[0]);
        ::waitpid(child, nullptr, 0);
        if (added < 0) state.SkipWithError("the change was refused");
        state.SetIterationTime(std::max(added, 0.0));
    }
}
BENCHMARK(automaticBackupOfTheLargestHistory)->UseManualTime()->Unit(benchmark::kMillisecond);

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
