#include <gtest/gtest.h>
#include <signal.h>
#include <sqlcipher/sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>

#include "core/store/drawstore.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

// The engine itself, keyed as the program keys it, to do what the program never would.
struct RawDb {
    sqlite3* db = nullptr;
    explicit RawDb(const DatabaseFile& c) {
        sqlite3_open(c.file.toUtf8().constData(), &db);
        exec("PRAGMA key = '" + c.password.toStdString() + "'");
        exec(kCipherSettings);
    }
    ~RawDb() { sqlite3_close(db); }
    void exec(const std::string& sql) {
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db) << "\n"
            << sql;
    }
};

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The StoreError message of f, or "" when it throws none.
template <class F>
QString storeError(F&& f) {
    try {
        f();
    } catch (const StoreError& e) {
        return e.message();
    }
    return {};
}

#define EXPECT_REFUSED(call, phrase, file)                  \
    do {                                                    \
        const QString m = storeError([&] { call; });        \
        EXPECT_TRUE(m.contains(phrase)) << m.toStdString(); \
        EXPECT_TRUE(m.contains(file)) << m.toStdString();   \
    } while (0)

// Runs body in a child process that is killed the moment body returns, as a crash would;
// what body leaves open stays open.
template <class F>
void inKilledChild(F&& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        // Whatever body does, the child never runs on inside the test program.
        try {
            body();
        } catch (...) {
            _exit(1);
        }
        kill(getpid(), SIGKILL);
        _exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
}

}  // namespace

TEST(DrawStore, LoaderTotalsThroughARealDatabase) {
    struct Case {
        std::vector<DrawRecord> rows;
        int latest, max, groupRows;
        std::vector<QString> byCount;
    };
    const Case cases[] = {
        {{}, 0, 0, 0, {}},
        {test::draws({"1_11", "____"}), 0, 0, 2, {"0,1,2,3,4,5,6,7,8,9"}},
        {test::draws({"1234", "5678", "9___", "____"}), 2, 1, 3, {"0,9", "1,2,3,4,5,6,7,8"}},
        {test::draws({"1122"}), 1, 2, 3, {"0,3,4,5,6,7,8,9", "", "1,2"}},
        {test::draws({"8833", "8130"}), 2, 3, 4, {"2,4,5,6,7,9", "0,1", "", "3,8"}},
    };
    for (const Case& c : cases) {
        test::TempDatabase db(c.rows);
        const DrawHistory h = loadDrawHistory(db.connect);
        EXPECT_EQ(h.rows, c.rows);
        EXPECT_EQ(h.latestDrawNo, c.latest);
        EXPECT_EQ(h.maxDigitCount, c.max);
        EXPECT_EQ(h.countGroupRows, c.groupRows);
        EXPECT_EQ(h.digitsByCount, c.byCount);
    }
}

TEST(DrawStore, FileIsEncryptedAndLoadingChangesNothing) {
    test::TempDatabase db(test::draws({"1234", "5678"}));
    QFile f(db.connect.file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_FALSE(bytes.startsWith("SQLite format 3"));
    EXPECT_FALSE(bytes.contains(QStringLiteral("全データ選択クエリ").toUtf8()));

    const QByteArray before = fileHash(db.connect.file);
    loadDrawHistory(db.connect);
    EXPECT_EQ(fileHash(db.connect.file), before);
    EXPECT_FALSE(QFile::exists(db.connect.file + "-journal"));
}

TEST(DrawStore, FilesThatCannotBeOpenedSayWhy) {
    test::TempDatabase db(test::draws({"1234"}));
    const QString file = db.connect.file;

    DatabaseFile wrong = db.connect;
    wrong.password = "000000";
    EXPECT_REFUSED(loadDrawHistory(wrong), "パスワード", file);
    EXPECT_REFUSED(DrawStore::open(wrong), "パスワード", file);

    DatabaseFile missing = databaseFileIn(db.dir.path() + "/none");
    EXPECT_REFUSED(loadDrawHistory(missing), "見つかりません", "none");
    EXPECT_REFUSED(DrawStore::open(missing), "見つかりません", "none");
    EXPECT_FALSE(QFile::exists(missing.file));

    // Not databases at all: text, nothing, and an unencrypted SQLite file.
    const std::pair<QByteArray, const char*> impostors[] = {
        {QByteArray("draw,date\n").repeated(200), "データベースではありません"},
        {QByteArray(), "空のファイル"},
        {QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0'), "暗号化されていない"},
    };
    for (const auto& [content, phrase] : impostors) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        f.close();
        EXPECT_REFUSED(loadDrawHistory(db.connect), phrase, file);
        EXPECT_REFUSED(DrawStore::open(db.connect, true), phrase, file);
    }
}

TEST(DrawStore, MissingViewOrFieldIsNamed) {
    test::TempDatabase db(test::draws({"1234"}));
    RawDb(db.connect).exec("DROP VIEW 全データ選択クエリ");
    EXPECT_REFUSED(loadDrawHistory(db.connect), "クエリ「全データ選択クエリ」がありません",
                   db.connect.file);

    RawDb(db.connect)
        .exec(
            "CREATE VIEW 全データ選択クエリ AS SELECT 回数, 第1数字, 第2数字, 第4数字 FROM "
            "当選データ");
    EXPECT_REFUSED(loadDrawHistory(db.connect), "項目「第3数字」がありません", db.connect.file);
}

TEST(DrawStore, RecordsOutOfRangeAreRefusedNamingTheDraw) {
    // Only another program could store these, so the table is made without its checks.
    const std::pair<const char*, const char*> bad[] = {
        {"(40000, 1, 2, 3, 4)", "回数 40000 の行"},
        {"(0, 1, 2, 3, 4)", "回数 0 の行"},
        {"(5, 1, 12, 3, 4)", "第5回"},
        {"(5, 1, -1, 3, 4)", "第2数字が 0～9 の範囲外"},
        {"(5, 1, 'x', 3, 4)", "第2数字「x」が数値ではありません"},
        {"(5, 1, 1e300, 3, 4)", "第2数字が範囲外です"},
        {"(1e300, 1, 2, 3, 4)", "回数が範囲外です"},
        {"(5, 1, 2.5, 3, 4)", "第2数字「2.5」が数値ではありません"},
    };
    for (const auto& [values, phrase] : bad) {
        QTemporaryDir dir;
        const DatabaseFile c = databaseFileIn(dir.path());
        {
            RawDb raw(c);
            raw.exec("CREATE TABLE t (回数, 第1数字, 第2数字, 第3数字, 第4数字)");
            raw.exec("CREATE VIEW 全データ選択クエリ AS SELECT * FROM t");
            raw.exec("INSERT INTO t VALUES (1, 1, 1, 1, 1), " + std::string(values));
        }
        const QByteArray before = fileHash(c.file);
        EXPECT_REFUSED(loadDrawHistory(c), phrase, c.file);
        EXPECT_EQ(fileHash(c.file), before);
    }
    // '' is an empty digit, as NULL is.
    QTemporaryDir dir;
    const DatabaseFile c = databaseFileIn(dir.path());
    RawDb(c).exec(
        "CREATE TABLE t (回数, 第1数字, 第2数字, 第3数字, 第4数字, 余分);"
        "CREATE VIEW 全データ選択クエリ AS SELECT * FROM t;"
        "INSERT INTO t VALUES (1, 1, 1, 1, 1, 'x'), (2, '', 2, 2, 2, 0)");
    EXPECT_EQ(loadDrawHistory(c).rows, test::draws({"1111", "_222"}));
}

TEST(DrawStore, WritesAreCheckedAndStoredEachOnItsOwn) {
    test::TempDatabase db(test::draws({"1234", "5678"}));
    auto store = DrawStore::open(db.connect);
    test::setDigit(*store, 2, 3, 0);
    test::setDigit(*store, 1, 0, -1);
    test::insertDraw(*store, test::draws({"9999"}, 3)[0]);
    test::deleteDraw(*store, 2);
    EXPECT_REFUSED(test::insertDraw(*store, test::draws({"0000"}, 3)[0]), "第3回は既に登録", "");
    EXPECT_REFUSED(test::insertDraw(*store, test::draws({"0000"}, 32768)[0]), "1～32767",
                   db.connect.file);
    EXPECT_REFUSED(test::setDigit(*store, 2, 0, 1), "第2回はデータベースにありません",
                   db.connect.file);
    EXPECT_REFUSED(test::setDigit(*store, 1, 0, 10), "0～9", db.connect.file);

    const auto expected =
        std::vector<DrawRecord>{test::draws({"_234"})[0], test::draws({"9999"}, 3)[0]};
    EXPECT_EQ(store->readAll(), expected);
    store.reset();
    // Opening with create keeps what is there.
    EXPECT_EQ(DrawStore::open(db.connect, true)->readAll(), expected);
    EXPECT_EQ(loadDrawHistory(db.connect).rows, expected);
}

TEST(DrawStore, RefusedWritesNameTheReasonAndChangeNothing) {
    test::TempDatabase db(test::draws({"1234"}));
    const QString file = db.connect.file;
    const auto before = test::draws({"1234"});

    {  // Another program holds the file.
        RawDb other(db.connect);
        other.exec("BEGIN IMMEDIATE");
        auto store = DrawStore::open(db.connect);
        EXPECT_REFUSED(test::setDigit(*store, 1, 0, 9), "使用中", file);
    }
    {  // The file grows no further, as on a full disk.
        auto store = DrawStore::open(db.connect);
        std::vector<DrawRecord> many(2000, before[0]);
        for (std::size_t i = 0; i < many.size(); ++i) many[i].no = int(i) + 2;
        signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = QFile(file).size() + 4096;
        setrlimit(RLIMIT_FSIZE, &small);
        const QString m = storeError([&] { store->importDraws(withoutPrizes(many), false); });
        setrlimit(RLIMIT_FSIZE, &old);
        EXPECT_TRUE(m.contains("書き込めませんでした")) << m.toStdString();
        EXPECT_EQ(store->readAll(), before);
    }
    {  // A read-only file; root reads past permissions, so drop to nobody for the try.
        QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QFile::setPermissions(
            db.dir.path(), QFile::permissions(db.dir.path()) | QFile::ExeGroup | QFile::ExeOther);
        const bool root = geteuid() == 0;
        if (root) {
            ASSERT_EQ(seteuid(65534), 0);
        }
        const QString m = storeError(
            [&] { test::insertDraw(*DrawStore::open(db.connect), test::draws({"1"}, 2)[0]); });
        if (root) {
            ASSERT_EQ(seteuid(0), 0);
        }
        EXPECT_TRUE(m.contains("読み取り専用")) << m.toStdString();
    }
    EXPECT_EQ(loadDrawHistory(db.connect).rows, before);
}

TEST(DrawStore, KillingTheProgramLosesNothingStored) {
    test::TempDatabase db(test::draws({"1234"}));
    inKilledChild([&] {
        auto* store = DrawStore::open(db.connect).release();
        test::setDigit(*store, 1, 0, 7);
        test::insertDraw(*store, test::draws({"5___"}, 2)[0]);
    });
    EXPECT_EQ(loadDrawHistory(db.connect).rows, test::draws({"7234", "5___"}));

    // Killed in the middle of a commit, with changed pages already in the file: the next
    // start puts the last stored state back. A tiny cache makes the engine write them early.
    std::vector<DrawRecord> many(3000, test::draws({"1234"})[0]);
    for (std::size_t i = 0; i < many.size(); ++i) many[i].no = int(i) + 3;
    DrawStore::open(db.connect)->importDraws(withoutPrizes(many), false);
    inKilledChild([&] {
        auto* raw = new RawDb(db.connect);
        raw->exec("PRAGMA cache_size = 1; BEGIN; UPDATE 当選データ SET 第1数字 = 0");
    });
    ASSERT_TRUE(QFile::exists(db.connect.file + "-journal"));
    const std::vector<DrawRecord> rows = loadDrawHistory(db.connect).rows;
    ASSERT_EQ(rows.size(), 3002u);
    EXPECT_EQ(rows[0], test::draws({"7234"})[0]);
    EXPECT_EQ(rows[2999], many[2997]);
    EXPECT_FALSE(QFile::exists(db.connect.file + "-journal"));
}

// A write cut off in a folder the user may not write: the message says so, not "disk full".
TEST(DrawStore, CutOffWriteInAFolderThatCannotBeWrittenSaysSo) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
    test::TempDatabase db(test::draws({"1234"}));
    std::vector<DrawRecord> many(3000, test::draws({"1234"})[0]);
    for (std::size_t i = 0; i < many.size(); ++i) many[i].no = int(i) + 2;
    DrawStore::open(db.connect)->importDraws(withoutPrizes(many), false);
    inKilledChild([&] {
        auto* raw = new RawDb(db.connect);
        raw->exec("PRAGMA cache_size = 1; BEGIN; UPDATE 当選データ SET 第1数字 = 0");
    });
    ASSERT_TRUE(QFile::exists(db.connect.file + "-journal"));
    // The files may be written by anybody, the folder by nobody but its owner.
    QFile::setPermissions(db.connect.file, QFileDevice::Permissions(0x6666));
    QFile::setPermissions(db.connect.file + "-journal", QFileDevice::Permissions(0x6666));
    QFile::setPermissions(db.dir.path(), QFileDevice::Permissions(0x5555));
    const QByteArray message = test::inChild([&] {
        if (setgid(65534) != 0 || setuid(65534) != 0) return QByteArray("setuid failed");
        return storeError([&] { loadDrawHistory(db.connect); }).toUtf8();
    });
    QFile::setPermissions(db.dir.path(), QFileDevice::Permissions(0x7700));
    EXPECT_TRUE(message.contains("書き込めない")) << message.toStdString();
    EXPECT_FALSE(message.contains("ディスク")) << message.toStdString();
    EXPECT_EQ(loadDrawHistory(db.connect).rows.size(), 3001u);
}
