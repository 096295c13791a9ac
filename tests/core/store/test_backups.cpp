// Backups before the first change, restore, and salvage of a damaged file: the way back
// survives a full disk, a kill, a change of time zone, a link, two programs at once and
// damaged pages.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlcipher/sqlite3.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <ctime>
#include <random>
#include <set>

#include "core/store/backups.h"
#include "core/store/databasefolder.h"
#include "core/store/drawcsv.h"
#include "core/store/drawstore.h"
#include "core/store/historydocument.h"
#include "core/store/salvage.h"
#include "core/store/sqlcipher.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QStringList backupNames(const DatabaseFile& db) {
    return QDir(backupFolderFor(db.file)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A change made by another program that keeps no backup, as an older version would.
void changeBehindTheBackups(const DatabaseFile& db, const char* sql) {
    sql::Connection c;
    c.open(db.file, db.password, SQLITE_OPEN_READWRITE);
    sql::exec(c.get(), sql);
}

// Copies of a backup named as older versions named them, in the local time of a clock that
// showed clock: the newest ten, minutes apart. Newest first.
QStringList olderVersionsBackups(const QString& backup, const QDateTime& clock) {
    QStringList files;
    for (int k = 1; k <= 10; ++k) {
        const QString file = QFileInfo(backup).absolutePath() + "/Numbers4Pirumoa-" +
                             clock.addSecs(-600 * k).toString("yyyyMMdd-HHmmss") + ".mdb";
        EXPECT_TRUE(QFile::copy(backup, file));
        files << file;
    }
    return files;
}

std::vector<DrawRecord> storedDraws(const DatabaseFile& db) { return loadDrawHistory(db).rows; }

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadUser | QFileDevice::WriteUser;

}  // namespace

// The first change of a run keeps the draws of before it; restoring that backup brings them
// back exactly, after keeping the file it replaces.
TEST(Backups, FirstWriteIsBackedUpAndRestoreBringsBackTheDrawsOfBefore) {
    test::TempDatabase db(test::draws({"1234", "5678", "90__"}));
    const std::vector<DrawRecord> before = storedDraws(db.connect);
    const QString csv = db.dir.filePath("in.csv");
    writeFile(csv, "draw,date,d1,d2,d3,d4\n3,,9,0,1,2\n4,2001-02-03,1,1,1,1\n");
    EXPECT_EQ(importDrawCsv(csv, db.connect, true).added, 1);
    writeFile(csv, "5,,2,2,2,2\n");
    EXPECT_EQ(importDrawCsv(csv, db.connect, false).added, 1);  // no second backup this run

    std::vector<BackupEntry> list = listBackups(db.connect);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(std::tie(list[0].draws, list[0].latestDraw), std::make_tuple(3, 2));
    EXPECT_EQ(QFile::permissions(list[0].file), kOwnerOnly);
    EXPECT_TRUE(QFileInfo(list[0].file).fileName().endsWith("Z.mdb"));
    EXPECT_EQ(resolveBackupFile(db.connect, QFileInfo(list[0].file).fileName()), list[0].file);

    const QString kept = restoreBackup(db.connect, list[0].file);
    EXPECT_EQ(storedDraws(db.connect), before);
    DatabaseFile replaced = db.connect;
    replaced.file = kept;
    EXPECT_EQ(storedDraws(replaced).size(), 5u);
    EXPECT_EQ(listBackups(db.connect).size(), 2u);

    // A damaged backup is refused before the database is touched.
    QFile bad(kept);
    ASSERT_TRUE(bad.open(QIODevice::ReadWrite));
    bad.seek(1500);
    bad.write(QByteArray(600, 'X'));
    bad.close();
    const QByteArray stored = test::readFile(db.connect.file);
    try {
        restoreBackup(db.connect, bad.fileName());
        ADD_FAILURE() << "a damaged backup was restored";
    } catch (const StoreError& e) {
        EXPECT_TRUE(e.message().contains("壊れています")) << e.message().toStdString();
    }
    EXPECT_EQ(test::readFile(db.connect.file), stored);
}

// The data entry makes the run's backup ready when it opens; a change by another program
// before the first typed digit makes that copy stale, and the backup then holds the file as
// the digit found it. A run that changes nothing leaves no copy behind.
TEST(Backups, AReadyBackupMadeStaleByAnotherProgramIsNotKept) {
    test::TempDatabase db(test::draws({"1234", "5678"}));
    {
        HistoryDocument document;
        document.open(db.connect);
        ASSERT_TRUE(document.writeProblem().isEmpty());
        changeBehindTheBackups(db.connect, "UPDATE 当選データ SET 第1数字 = '9' WHERE 回数 = 2");
        ASSERT_TRUE(document.writeProblem().isEmpty());  // reads the change
        const DrawRecord before = document.snapshot()->rows[0];
        DrawRecord after = before;
        after.digits[0] = 7;
        QString why;
        ASSERT_TRUE(document.editDraws({DrawEdit{1, before, after}}, "入力", 0, &why))
            << why.toStdString();
    }
    finishBackupChecks();
    const std::vector<BackupEntry> list = listBackups(db.connect);
    ASSERT_EQ(list.size(), 1u);
    DatabaseFile backup = db.connect;
    backup.file = list[0].file;
    const std::vector<DrawRecord> kept = storedDraws(backup);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].digits[0], 1);
    EXPECT_EQ(kept[1].digits[0], 9);

    test::TempDatabase untouched(test::draws({"1234"}));
    {
        HistoryDocument document;
        document.open(untouched.connect);
        ASSERT_TRUE(document.writeProblem().isEmpty());
    }
    finishBackupChecks();
    EXPECT_EQ(backupNames(untouched.connect), QStringList());
}

// The first change of a run is copied before it is committed, whatever its size: a large
// import with a small cache, which the engine would write into the file early, still leaves
// the backup with the draws of before it.
TEST(Backups, ALargeFirstChangeLeavesTheBackupWithTheDrawsOfBefore) {
    std::vector<DrawRecord> before(20000, test::draws({"1234"})[0]), after;
    for (std::size_t i = 0; i < before.size(); ++i) before[i].no = int(i) + 1;
    test::TempDatabase db(before);
    // A cache of a few pages, kept in the file for every connection.
    changeBehindTheBackups(db.connect, "PRAGMA default_cache_size = 10;");
    for (DrawRecord d : before) {
        d.digits[0] = 4;
        after.push_back(d);
    }
    EXPECT_EQ(
        test::inChild([&] {
            return QByteArray::number(
                DrawStore::open(db.connect)->importDraws(withoutPrizes(after), true).replaced);
        }),
        "20000");
    const std::vector<BackupEntry> backups = listBackups(db.connect);
    ASSERT_EQ(backups.size(), 1u);
    DatabaseFile backup = db.connect;
    backup.file = backups[0].file;
    EXPECT_EQ(storedDraws(backup), before);
    EXPECT_EQ(storedDraws(db.connect), after);
}

// Ten backups are the steady state: restoring the oldest of them keeps it, and the file it
// replaced as well.
TEST(Backups, RestoringTheOldestOfTenKeepsIt) {
    test::TempDatabase db(test::draws({"1234", "5678"}));
    const QString made = makeBackup(db.connect);
    const QStringList tenBackups = olderVersionsBackups(made, QDateTime::currentDateTime());
    QFile::remove(made);
    changeBehindTheBackups(db.connect, "INSERT INTO 当選データ VALUES (3, NULL, 1, 1, 1, 1)");

    const QString kept = restoreBackup(db.connect, tenBackups.back());
    EXPECT_EQ(storedDraws(db.connect), test::draws({"1234", "5678"}));
    EXPECT_TRUE(QFile::exists(tenBackups.back()));
    DatabaseFile replaced = db.connect;
    replaced.file = kept;
    EXPECT_EQ(storedDraws(replaced).size(), 3u);
}

// Runs that change nothing make no backup: twelve runs of refused or empty writes leave the
// backup of before them alone. A backup of a file that has not changed is not made again;
// the next run that changes something keeps one.
TEST(Backups, RefusedOrEmptyWritesMakeNoBackup) {
    test::TempDatabase db(test::draws({"1234", "5678"}));
    const QString before = makeBackup(db.connect);
    EXPECT_EQ(makeBackup(db.connect), before);
    const QString stored = db.dir.filePath("stored.csv"), other = db.dir.filePath("other.csv");
    writeFile(stored, "1,,1,2,3,4\n2,,5,6,7,8\n");
    writeFile(other, "2,,0,0,0,0\n");
    const std::function<void()> writes[] = {
        [&] { importDrawCsv(stored, db.connect, false); },
        [&] { importDrawCsv(other, db.connect, false); },
        [&] { DrawStore::open(db.connect)->removeTicket(999); },
        [&] { test::setDigit(*DrawStore::open(db.connect), 7, 0, 1); },
    };
    for (int run = 0; run < 12; ++run)
        EXPECT_EQ(test::inChild([&] {
                      try {
                          writes[run % 4]();
                      } catch (const StoreError&) {
                      }
                      return QByteArray("ran");
                  }),
                  "ran");
    EXPECT_EQ(backupNames(db.connect), QStringList{QFileInfo(before).fileName()});
    EXPECT_EQ(storedDraws(db.connect), test::draws({"1234", "5678"}));

    // The newest backup holds the draws of before the next change already; the change after
    // that, in a run of its own, keeps one more.
    for (int no : {3, 4})
        EXPECT_EQ(test::inChild([&] {
                      test::insertDraw(*DrawStore::open(db.connect), test::draws({"1111"}, no)[0]);
                      return QByteArray("ran");
                  }),
                  "ran");
    EXPECT_EQ(backupNames(db.connect).size(), 2);
}

// Names in UTC: after a change of time zone, the backup a restore keeps is the newest, and
// stays where the message says it is.
TEST(Backups, ARestoreUnderAnotherTimeZoneKeepsWhatItSaysItKept) {
    test::TempDatabase db(test::draws({"1234"}));
    const QString made = makeBackup(db.connect);
    // Made minutes ago by an older version on a clock in Japan's time (UTC+9).
    const QStringList japan =
        olderVersionsBackups(made, QDateTime::currentDateTimeUtc().addSecs(9 * 3600));
    QFile::remove(made);
    changeBehindTheBackups(db.connect, "INSERT INTO 当選データ VALUES (2, NULL, 1, 1, 1, 1)");

    const QByteArray kept = test::inChild([&] {
        qputenv("TZ", "UTC0");
        tzset();
        const QString file = restoreBackup(db.connect, japan.front());
        return QByteArray(QFile::exists(file) ? "kept " : "gone ") + file.toUtf8();
    });
    EXPECT_TRUE(kept.startsWith("kept ")) << kept.toStdString();
    EXPECT_EQ(storedDraws(db.connect), test::draws({"1234"}));
    for (const QString& file : japan.mid(0, 9))
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
}

// A database that is a link is restored into the file it points to, and stays a link.
TEST(Backups, ALinkedDatabaseStaysALink) {
    test::TempDatabase real(test::draws({"1234"}));
    QTemporaryDir elsewhere;
    const DatabaseFile link = databaseFileIn(elsewhere.path());
    ASSERT_TRUE(QFile::link(real.connect.file, link.file));
    const QString backup = makeBackup(link);
    test::insertDraw(*DrawStore::open(link), test::draws({"5678"}, 2)[0]);

    const QString kept = restoreBackup(link, backup);
    EXPECT_TRUE(QFileInfo(link.file).isSymLink());
    EXPECT_EQ(storedDraws(real.connect), test::draws({"1234"}));
    DatabaseFile replaced = link;
    replaced.file = kept;
    EXPECT_EQ(storedDraws(replaced).size(), 2u);
}

// Two programs that make their first change in the same second both keep a backup, each
// under a name of its own.
TEST(Backups, TwoProgramsBackingUpInTheSameSecondBothSucceed) {
    test::TempDatabase db(test::draws({"1234"}));
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    pid_t children[2];
    for (int k = 0; k < 2; ++k) {
        children[k] = ::fork();
        if (children[k] == 0) {
            int code = 0;
            try {
                setBackupWarningHandler([&](const QString& m) {
                    std::fprintf(stderr, "%s\n", m.toUtf8().constData());
                    code = 1;
                });
                auto store = DrawStore::open(db.connect);
                char c;
                if (::read(go[0], &c, 1) != 1) ::_exit(3);
                test::insertDraw(*store, test::draws({"5555"}, 2 + k)[0]);
            } catch (...) {
                code = 2;
            }
            ::_exit(code);
        }
    }
    // Both start together, at the beginning of a second.
    ::usleep(useconds_t(1000000 - QTime::currentTime().msec() * 1000));
    ASSERT_EQ(::write(go[1], "gg", 2), 2);
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    ::close(go[0]);
    ::close(go[1]);
    const std::vector<BackupEntry> backups = listBackups(db.connect);
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(backups[0].time, backups[1].time);
    std::set<int> draws;
    for (const BackupEntry& e : backups) draws.insert(e.draws);
    EXPECT_EQ(draws, (std::set<int>{1, 2}));
    EXPECT_EQ(storedDraws(db.connect).size(), 3u);
}

// A backup killed while it is written leaves no file that looks like a backup, and its part
// goes once it is a minute old; a backups folder that is a link is never written through.
TEST(Backups, KilledBackupsAndALinkedFolderLeaveTheBackupsWhole) {
    test::TempDatabase db(test::draws({"1234"}));
    const QString folder = backupFolderFor(db.connect.file);
    QString part;
    for (int attempt = 0; attempt < 20 && part.isEmpty(); ++attempt) {
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                for (int digit = 0;; digit = (digit + 1) % 10) {
                    changeBehindTheBackups(
                        db.connect,
                        QByteArray("UPDATE 当選データ SET 第1数字 = " + QByteArray::number(digit))
                            .constData());
                    makeBackup(db.connect);
                }
            } catch (...) {
            }
            ::_exit(1);
        }
        for (int polls = 0; polls < 20000 && part.isEmpty(); ++polls) {
            const QStringList parts = QDir(folder).entryList({"*.part"}, QDir::Files);
            if (!parts.isEmpty()) {
                ::kill(child, SIGKILL);
                part = folder + "/" + parts.front();
            }
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        if (!QFile::exists(part)) part.clear();
    }
    ASSERT_FALSE(part.isEmpty()) << "no backup was cut off";
    for (const BackupEntry& e : listBackups(db.connect))
        EXPECT_TRUE(e.problem.isEmpty()) << e.file.toStdString();

    // Another program's part that is being written stays; one a minute old goes.
    const QString writing = folder + "/Numbers4Pirumoa-20991231-235959Z.mdb.part";
    writeFile(writing, "being written");
    const timeval old[2] = {{std::time(nullptr) - 120, 0}, {std::time(nullptr) - 120, 0}};
    ASSERT_EQ(::utimes(QFile::encodeName(part).constData(), old), 0);
    changeBehindTheBackups(db.connect, "UPDATE 当選データ SET 第1数字 = 9");
    makeBackup(db.connect);
    EXPECT_FALSE(QFile::exists(part));
    EXPECT_TRUE(QFile::exists(writing));

    // The folder as a link: no backup there and nothing removed, the change made all the same.
    QTemporaryDir other;
    const QString outsider = other.filePath("Numbers4Pirumoa-20200101-000000.mdb");
    writeFile(outsider, "not ours to remove");
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(QFile::link(other.path(), folder));
    const QByteArray warning = test::inChild([&] {
        QString told;
        setBackupWarningHandler([&](const QString& m) { told = m; });
        test::insertDraw(*DrawStore::open(db.connect), test::draws({"5678"}, 2)[0]);
        return told.toUtf8();
    });
    EXPECT_TRUE(warning.contains("リンク")) << warning.toStdString();
    EXPECT_EQ(QDir(other.path()).entryList(QDir::Files),
              QStringList{QFileInfo(outsider).fileName()});
    EXPECT_EQ(storedDraws(db.connect).size(), 2u);
}

// A backup that meets a full disk is told once and leaves the import itself whole.
TEST(Backups, FullDiskDuringTheBackupLeavesTheImportCorrect) {
    std::vector<DrawRecord> rows(3000, test::draws({"1234"})[0]);
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i].no = int(i) + 1;
    test::TempDatabase db(rows);
    test::FullDisk disk(backupFolderFor(db.connect.file));
    if (!disk.ok()) GTEST_SKIP() << "mounting a small file system needs root";
    disk.fill();
    QStringList warnings;
    setBackupWarningHandler([&](const QString& m) { warnings << m; });
    const QString csv = db.dir.filePath("in.csv");
    writeFile(csv, "3001,,5,6,7,8\n");
    EXPECT_EQ(importDrawCsv(csv, db.connect, false).added, 1);
    writeFile(csv, "3002,,5,6,7,8\n");
    EXPECT_EQ(importDrawCsv(csv, db.connect, false).added, 1);
    setBackupWarningHandler({});
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains("空き容量")) << warnings[0].toStdString();
    EXPECT_EQ(storedDraws(db.connect).size(), 3002u);
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList{".ballast"});
}

// A restore cut off by a file that cannot grow or by a kill leaves one whole database: the
// one before or the one restored, never a mix.
TEST(Backups, ARestoreCutOffLeavesOneWholeDatabase) {
    std::vector<DrawRecord> many(3000, test::draws({"9876"})[0]);
    for (std::size_t i = 0; i < many.size(); ++i) many[i].no = int(i) + 1;
    test::TempDatabase db(many);
    // Kept outside the backups folder, where no thinning out reaches them.
    const QString large = db.dir.filePath("large.mdb"), small = db.dir.filePath("small.mdb");
    ASSERT_TRUE(QFile::copy(makeBackup(db.connect), large));
    changeBehindTheBackups(db.connect, "DELETE FROM 当選データ WHERE 回数 > 1; VACUUM;");
    ASSERT_TRUE(QFile::copy(makeBackup(db.connect), small));

    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit old = limit;
    limit.rlim_cur = rlim_t(QFileInfo(large).size() / 2);
    setrlimit(RLIMIT_FSIZE, &limit);
    QString message;
    try {
        restoreBackup(db.connect, large);
    } catch (const StoreError& e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_TRUE(message.contains("空き容量") && message.contains("変更していません"))
        << message.toStdString();
    EXPECT_EQ(storedDraws(db.connect).size(), 1u);

    for (int delayMs : {2, 5, 9, 14, 20, 30}) {
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                for (int k = 0;; ++k) restoreBackup(db.connect, k % 2 ? small : large);
            } catch (...) {
            }
            ::_exit(1);
        }
        ::usleep(useconds_t(delayMs * 1000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::size_t draws = storedDraws(db.connect).size();
        EXPECT_TRUE(draws == 1 || draws == 3000) << draws;
    }

    // Cut off between keeping the database file itself as a backup and replacing it, the
    // database is a backup too. The next backup takes that name away and keeps a copy.
    const QString linked =
        backupFolderFor(db.connect.file) + "/Numbers4Pirumoa-20991231-000000Z.mdb";
    ASSERT_EQ(::link(QFile::encodeName(db.connect.file).constData(),
                     QFile::encodeName(linked).constData()),
              0);
    const std::vector<DrawRecord> before = storedDraws(db.connect);
    EXPECT_EQ(test::inChild([&] {
                  test::insertDraw(*DrawStore::open(db.connect), test::draws({"1111"}, 9999)[0]);
                  return QByteArray("ran");
              }),
              "ran");
    EXPECT_FALSE(QFile::exists(linked));
    DatabaseFile newest = db.connect;
    newest.file = listBackups(db.connect).at(0).file;
    EXPECT_EQ(storedDraws(newest), before);
}

// Backups kept by generations over a year of daily use, with a busy last day.
TEST(Backups, GenerationsKeepTheLastDayEachDayOfTwoWeeksAndEachMonthOfAYear) {
    const QDateTime now(QDate(2026, 12, 7), QTime(18, 0));
    std::vector<QDateTime> times;
    for (int day = 0; day < 365; ++day)
        times.push_back(QDateTime(now.date().addDays(-day), QTime(12, 0)));
    EXPECT_EQ(std::count(times.begin(), times.end(), times[0]), 1);
    std::vector<bool> kept = backupsKept(times, now);
    QStringList keptDays;
    for (std::size_t i = 0; i < times.size(); ++i)
        if (kept[i]) keptDays << times[i].toString("MM-dd");
    EXPECT_EQ(keptDays.join(' '),
              "12-07 12-06 12-05 12-04 12-03 12-02 12-01 11-30 11-29 11-28 11-27 11-26 11-25 "
              "11-24 10-31 09-30 08-31 07-31 06-30 05-31 04-30 03-31 02-28 01-31");

    // Fourteen in the last hours: the newest ten stay.
    std::vector<QDateTime> busy;
    for (int k = 0; k < 14; ++k) busy.push_back(now.addSecs(-1800 * k));
    kept = backupsKept(busy, now);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), true), kRecentKept);
    EXPECT_TRUE(kept[9] && !kept[10]);
}

// Five damaged pages in the largest history with prizes: every draw outside them comes back
// with its right digits, and the numbers that do not are named.
TEST(Backups, SalvageReadsPastEveryDamagedPage) {
    QTemporaryDir dir;
    const DatabaseFile db = databaseFileIn(dir.path());
    std::mt19937 random(1);
    std::vector<ImportedDraw> all;
    for (int no = 1; no <= kMaxDrawNo; ++no) {
        ImportedDraw d;
        d.draw.no = no;
        for (auto& digit : d.draw.digits) digit = std::int8_t(random() % 10);
        d.prizes.yen = {std::int64_t(random() % 2000000), std::int64_t(random() % 200000), -1,
                        std::int64_t(random() % 100000)};
        all.push_back(d);
    }
    DrawStore::open(db, true)->importDraws(all, false);
    {
        QFile f(db.file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const qint64 pages = f.size() / 1024;
        std::set<qint64> damaged;
        while (damaged.size() < 5) damaged.insert(2 + qint64(random() % quint64(pages - 1)));
        for (qint64 page : damaged) {
            QByteArray noise(1024, '\0');
            for (char& c : noise) c = char(random());
            f.seek((page - 1) * 1024);
            f.write(noise);
        }
    }
    const Salvage s = salvageDatabase(db);
    EXPECT_GE(s.draws.size(), 31500u);
    const auto within = [](const std::vector<std::pair<int, int>>& ranges, int no) {
        for (const auto& [first, last] : ranges)
            if (no >= first && no <= last) return true;
        return false;
    };
    std::set<int> read;
    for (const DrawRecord& d : s.draws) {
        EXPECT_EQ(d, all[std::size_t(d.no - 1)].draw);
        EXPECT_FALSE(within(s.unreadable, d.no)) << d.no;
        read.insert(d.no);
        // The prizes of each draw read, unless it is named among those whose prizes were lost.
        const auto p = s.prizes.find(d.no);
        EXPECT_EQ(p == s.prizes.end(), within(s.prizesLost, d.no)) << d.no;
        for (int k = 0; k < 4 && p != s.prizes.end(); ++k)
            EXPECT_EQ(p->second[std::size_t(k)].value_or(-1),
                      all[std::size_t(d.no - 1)].prizes.yen[std::size_t(k)]);
    }
    EXPECT_FALSE(s.prizesLost.empty());
    for (const ImportedDraw& d : all) {
        if (!read.count(d.draw.no)) {
            EXPECT_TRUE(within(s.unreadable, d.draw.no)) << d.draw.no;
        }
    }
}

// One damaged page in the middle of the sample: every other draw comes back through recover,
// and the commands that refuse the file say what to do.
TEST(Backups, RecoverReadsEveryDrawOutsideADamagedPage) {
    QTemporaryDir dir;
    const QString db = dir.filePath("d.mdb"), out = dir.filePath("out.csv");
    ASSERT_EQ(test::runCli({"import", PIRUMOA_DATA_DIR "/numbers4_history.csv", "--db", db}).code,
              0);
    DatabaseFile damaged = databaseFileIn(dir.path());
    damaged.file = db;
    const std::vector<DrawRecord> all = DrawStore::open(damaged)->readAll();
    {
        // Prizes, in the table of their own that newer files carry.
        sql::Connection c;
        c.open(db, damaged.password, SQLITE_OPEN_READWRITE);
        sql::exec(
            c.get(),
            "CREATE TABLE IF NOT EXISTS 当選金 (回数 INTEGER PRIMARY KEY, ストレート INTEGER, "
            "ボックス INTEGER, セットストレート INTEGER, セットボックス INTEGER);"
            "INSERT OR REPLACE INTO 当選金 VALUES (1, 1000000, 40000, 520000, 20000);");
    }
    {
        QFile f(db);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const qint64 pages = f.size() / 1024;
        ASSERT_TRUE(f.seek(pages / 2 * 1024 + 200));
        f.write(QByteArray(100, 'X'));
    }
    const test::CliRun sheet = test::runCli({"sheet", "出現頻度分析", "--db", db});
    EXPECT_EQ(sheet.code, 1);
    EXPECT_TRUE(sheet.err.contains("recover") && sheet.err.contains("バックアップから復元"))
        << sheet.err.toStdString();

    const test::CliRun r = test::runCli({"recover", "--db", db, "--output", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(QFile::permissions(out), kOwnerOnly);
    const QByteArray csv = test::readFile(out);
    EXPECT_TRUE(
        csv.startsWith("draw,date,d1,d2,d3,d4,straight,box,set_straight,set_box\n"
                       "1,1994-10-07,1,1,4,9,1000000,40000,520000,20000\n"))
        << csv.left(200).toStdString();
    const std::vector<DrawRecord> read =
        parseDrawCsv(QByteArray(csv)
                         .replace(",1000000,40000,520000,20000", "")
                         .replace(",,,,\n", "\n")
                         .replace("draw,date,d1,d2,d3,d4,straight,box,set_straight,set_box",
                                  "draw,date,d1,d2,d3,d4"),
                     out);
    const Salvage s = salvageDatabase(damaged);
    // One leaf of the table is lost, no more; what is read is exactly what was stored, and
    // the lost numbers are the ones named.
    ASSERT_LT(all.size() - read.size(), 60u);
    ASSERT_GT(all.size(), read.size());
    std::set<int> lost;
    for (const DrawRecord& d : all) lost.insert(d.no);
    for (const DrawRecord& d : read) {
        EXPECT_EQ(d, all[std::size_t(d.no - 1)]);
        lost.erase(d.no);
    }
    ASSERT_EQ(s.unreadable.size(), 1u);
    EXPECT_EQ(s.unreadable, s.missing);
    EXPECT_EQ(*lost.begin(), s.unreadable[0].first);
    EXPECT_EQ(*lost.rbegin(), s.unreadable[0].second);
    EXPECT_TRUE(QString::fromUtf8(r.out).contains(rangeList(s.unreadable))) << r.out.toStdString();
    EXPECT_TRUE(r.out.startsWith(QByteArray::number(read.size()) + " 回分")) << r.out.toStdString();
}

// Without a home, nothing is made in the root: the message names the variables to set.
TEST(Backups, NoHomeRefusesNamingTheVariables) {
    const QByteArray places = test::inChild([] {
        qunsetenv("HOME");
        qunsetenv("XDG_DATA_HOME");
        const DatabasePlaces p = databasePlaces();
        return ("[" + p.userFolder + "]").toUtf8();
    });
    EXPECT_EQ(places, "[]");

    QTemporaryDir root;
    test::TempDatabase sample;
    const DatabasePlaces p{root.filePath("bin"), QString(), sample.connect.file};
    try {
        chooseDatabaseFolder(p);
        ADD_FAILURE() << "a folder was chosen without a home";
    } catch (const StoreError& e) {
        EXPECT_TRUE(e.message().contains("HOME") && e.message().contains("XDG_DATA_HOME"));
    }
    EXPECT_TRUE(QDir(root.path()).isEmpty());
}
