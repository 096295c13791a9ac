// Backups before the first change, restore, and salvage of a damaged file: the draws
// survive a full disk, a bad page, and a restore of the wrong moment.
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <set>

#include "core/store/backups.h"
#include "core/store/databasefolder.h"
#include "core/store/drawcsv.h"
#include "core/store/drawstore.h"
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

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadUser | QFileDevice::WriteUser;

}  // namespace

// The first change of a run keeps the draws of before it; restoring that backup brings them
// back exactly, after keeping the file it replaces; only the newest ten stay.
TEST(Backups, FirstWriteIsBackedUpAndRestoreBringsBackTheDrawsOfBefore) {
    test::TempDatabase db(test::draws({"1234", "5678", "90__"}));
    const std::vector<DrawRecord> before = loadDrawHistory(db.connect).rows;
    const QString csv = db.dir.filePath("in.csv");
    writeFile(csv, "draw,date,d1,d2,d3,d4\n3,,9,0,1,2\n4,2001-02-03,1,1,1,1\n");
    EXPECT_EQ(importDrawCsv(csv, db.connect, true).added, 1);
    writeFile(csv, "5,,2,2,2,2\n");
    EXPECT_EQ(importDrawCsv(csv, db.connect, false).added, 1);  // no second backup this run

    std::vector<BackupEntry> list = listBackups(db.connect);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(std::tie(list[0].draws, list[0].latestDraw), std::make_tuple(3, 2));
    EXPECT_EQ(QFile::permissions(list[0].file), kOwnerOnly);
    EXPECT_EQ(resolveBackupFile(db.connect, QFileInfo(list[0].file).fileName()), list[0].file);

    const QString kept = restoreBackup(db.connect, list[0].file);
    EXPECT_EQ(loadDrawHistory(db.connect).rows, before);
    DatabaseFile replaced = db.connect;
    replaced.file = kept;
    EXPECT_EQ(loadDrawHistory(replaced).rows.size(), 5u);
    EXPECT_EQ(listBackups(db.connect).size(), 2u);

    for (int i = 0; i < 11; ++i) makeBackup(db.connect);
    const QStringList names = backupNames(db.connect);
    EXPECT_EQ(names.size(), kBackupsKept) << names.join(' ').toStdString();
    EXPECT_FALSE(names.contains(QFileInfo(list[0].file).fileName()));

    // A damaged backup is refused before the database is touched.
    QFile bad(listBackups(db.connect)[0].file);
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

// A window that still holds the file a restore replaced refuses its next change, rather
// than storing it where nobody reads it again; the restored draws stay as restored.
TEST(Backups, AWriteAfterARestoreByAnotherProgramIsRefused) {
    test::TempDatabase db(test::draws({"1234", "5678"}));
    std::unique_ptr<DrawStore> window = DrawStore::open(db.connect);
    test::setDigit(*window, 2, 3, 0);  // the run's first change keeps a backup of before it
    const QString backup = listBackups(db.connect).at(0).file;
    restoreBackup(db.connect, backup);
    const std::vector<DrawRecord> restored = loadDrawHistory(db.connect).rows;
    try {
        test::setDigit(*window, 1, 0, 9);
        ADD_FAILURE() << "a change went to the replaced file";
    } catch (const StoreError& e) {
        EXPECT_TRUE(e.message().contains("置き換えられ")) << e.message().toStdString();
    }
    EXPECT_EQ(loadDrawHistory(db.connect).rows, restored);
    EXPECT_EQ(DrawStore::open(db.connect)->readAll().size(), 2u);  // a new window writes again
}

// A backup that meets a full disk is told once and leaves the import itself whole.
TEST(Backups, FullDiskDuringTheBackupLeavesTheImportCorrect) {
    test::FullDisk disk;
    if (!disk.ok()) GTEST_SKIP() << "mounting a small file system needs root";
    std::vector<DrawRecord> rows(3000, test::draws({"1234"})[0]);
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i].no = int(i) + 1;
    test::TempDatabase db(rows);
    ASSERT_TRUE(QFile::link(disk.path(), backupFolderFor(db.connect.file)));
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
    EXPECT_EQ(loadDrawHistory(db.connect).rows.size(), 3002u);
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList{".ballast"});
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
