#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

#include "testsupport.h"

using pirumoa::test::readFile;
using CliRun = pirumoa::test::CliRun;

namespace {
CliRun cli(const QStringList& args) { return pirumoa::test::runCli(args); }
}  // namespace

TEST(CliStore, ExportOfAnImportIsTheShippedHistory) {
    QTemporaryDir dir;
    const QString shipped = PIRUMOA_DATA_DIR "/numbers4_history.csv";
    const QString db1 = dir.filePath("a.mdb"), db2 = dir.filePath("b.mdb");
    const QString again = dir.filePath("again.csv");

    CliRun r = cli({"import", shipped, "--db", db1});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.out),
              QStringLiteral("追加 7054 件、スキップ 0 件、置き換え 0 件、補充 0 件\n"));
    r = cli({"export", "--db", db1});
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.out, readFile(shipped));

    QFile f(again);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(r.out);
    f.close();
    ASSERT_EQ(cli({"import", again, "--db", db2}).code, 0);
    EXPECT_EQ(cli({"export", "--db", db2}).out, r.out);
    EXPECT_EQ(cli({"import", again, "--db", db2, "--format", "tsv"}).out,
              "added\tskipped\treplaced\tcompleted\n0\t7054\t0\t0\n");
}

TEST(CliStore, FailuresExitWithOneClearLine) {
    QTemporaryDir dir;
    const QString db = dir.filePath("x.mdb"), csv = dir.filePath("in.csv");
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("1,1,2,3,4\n2,1,2,3,x\n");
    f.close();
    // Texts from the user go into messages as they are, "%2" included.
    const QString odd = dir.filePath("a%2.csv");
    QFile g(odd);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("1,,1,2,3,4\nx%2,,1,2,3,4\n");
    g.close();

    struct Case {
        QStringList args;
        int code;
        QString says;
    };
    const Case cases[] = {
        {{"import"}, 2, "import には CSV ファイルを 1 つ"},
        {{"export", "--db", db, "--bogus"}, 2, "--bogus というオプションはありません"},
        {{"export", "--db", db}, 1, "見つかりません"},
        {{"import", csv, "--db", db}, 1, csv + ":2: 第4数字「x」"},
        {{"import", dir.filePath("none.csv"), "--db", db}, 1, "none.csv"},
        {{"import", "", "--db", db}, 1, "ファイル名が指定されていません"},
        {{"import", odd, "--db", db}, 1, odd + ":2: 回数「x%2」は 1～32767 の整数ではありません"},
    };
    for (const Case& c : cases) {
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.says)) << r.err.toStdString();
        if (c.code == 1) {
            EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        }
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(db));
}

TEST(CliStore, OutputThatCannotBeWrittenIsAFailure) {
    pirumoa::test::TempDatabase db(pirumoa::test::draws({"1234"}));
    for (const QStringList& args :
         {QStringList{"export", "--db", db.connect.file},
          QStringList{"sheet", "出現頻度分析", "--db", db.connect.file}}) {
        QProcess p;
        p.setStandardOutputFile("/dev/full");  // a disk with no room left
        p.start(PIRUMOA_CLI, args);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 1) << args.join(' ').toStdString();
        EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains("書き込めません"));
    }
}

// A file damaged by other means is refused by every command, writers included, and stays
// exactly as it was.
TEST(CliStore, DamagedDatabaseIsNeverWritten) {
    QTemporaryDir dir;
    const QString db = dir.filePath("d.mdb"), csv = dir.filePath("new.csv");
    ASSERT_EQ(cli({"import", PIRUMOA_DATA_DIR "/numbers4_history.csv", "--db", db}).code, 0);
    {
        QFile f(db);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(100000));
        f.write("XXXXXXXX");
        QFile c(csv);
        ASSERT_TRUE(c.open(QIODevice::WriteOnly));
        c.write("draw,date,d1,d2,d3,d4\n7055,,1,2,3,4\n");
    }
    const QByteArray before = readFile(db);
    for (const QStringList& args :
         {QStringList{"import", csv, "--db", db},
          QStringList{"import", csv, "--db", db, "--replace"}, QStringList{"export", "--db", db},
          QStringList{"sheet", "出現頻度分析", "--db", db}}) {
        const CliRun r = cli(args);
        EXPECT_EQ(r.code, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains("壊れています")) << r.err.toStdString();
        EXPECT_EQ(r.out, QByteArray());
    }
    EXPECT_EQ(readFile(db), before);
}

// Every window the tool knows, as CSV (the TSV with commas and a byte-order mark, CR LF, a
// heading over joined cells moved to the first of them) and as a PDF of several pages on the
// sample history.
TEST(CliStore, SheetsAsCsvAndPdf) {
    QTemporaryDir dir;
    const QString db = dir.filePath("s.mdb");
    ASSERT_EQ(cli({"import", PIRUMOA_DATA_DIR "/numbers4_history.csv", "--db", db}).code, 0);
    const CliRun windows = cli({"windows"});
    for (const QByteArray& name : windows.out.trimmed().split('\n')) {
        const QString w = QString::fromUtf8(name);
        const CliRun tsv = cli({"sheet", w, "--db", db});
        const CliRun csv = cli({"sheet", w, "--db", db, "--format", "csv"});
        ASSERT_EQ(csv.code, 0) << csv.err.toStdString();
        QByteArray expected = "\xEF\xBB\xBF" + tsv.out;
        if (!expected.contains(',') && !expected.contains('"') && !tsv.out.contains("## grid")) {
            expected.replace('\t', ',').replace("\n", "\r\n");
            // The heading rows hold the same texts, some further left; the rest is equal.
            const QList<QByteArray> want = expected.mid(3).split('\n'),
                                    got = csv.out.mid(3).split('\n');
            ASSERT_EQ(got.size(), want.size()) << name.toStdString();
            for (qsizetype i = 0; i < got.size(); ++i) {
                QList<QByteArray> a = got[i].split(','), b = want[i].split(',');
                if (i >= 3) {
                    EXPECT_EQ(a, b) << name.toStdString() << " line " << i;
                }
                std::sort(a.begin(), a.end());
                std::sort(b.begin(), b.end());
                EXPECT_EQ(a, b) << name.toStdString() << " line " << i;
            }
        }
    }
    const CliRun sum = cli({"sheet", "数字合計分析", "--db", db, "--format", "csv"});
    EXPECT_TRUE(sum.out.startsWith("\xEF\xBB\xBF回数,　当 選 数 字,,,,合計\r\n"));
    const QString pdf = dir.filePath("f.pdf");
    // Without a runtime folder Qt has a note for stderr, which is not the user's business.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    const CliRun r = cli({"sheet", "出現頻度分析", "--db", db, "--format", "pdf", "--output", pdf});
    if (!runtime.isEmpty()) qputenv("XDG_RUNTIME_DIR", runtime);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, QByteArray());
    const QByteArray bytes = readFile(pdf);
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_GT(QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page[^s]")), 1);
    EXPECT_EQ(cli({"sheet", "出現頻度分析", "--db", db, "--format", "pdf"}).code, 2);
}

// --dry-run says what the file holds and writes nothing; export --output cannot destroy the
// backup it replaces, even on a full disk.
TEST(CliStore, DryRunAndExportIntoAFile) {
    QTemporaryDir dir;
    const QString db = dir.filePath("d.mdb");
    CliRun r = cli({"import", PIRUMOA_DATA_DIR "/numbers4_history.csv", "--db", db, "--dry-run"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(r.err).contains("新しい回：7054 件")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_FALSE(QFile::exists(db));

    ASSERT_EQ(cli({"import", PIRUMOA_DATA_DIR "/numbers4_history.csv", "--db", db}).code, 0);
    pirumoa::test::FullDisk disk;
    if (!disk.ok()) GTEST_SKIP() << "no tmpfs to fill";
    const QString backup = disk.path() + "/backup.csv";
    {
        QFile f(backup);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("draw,date,d1,d2,d3,d4\n1,,1,2,3,4\n");
    }
    const QByteArray before = readFile(backup);
    disk.fill();
    r = cli({"export", "--db", db, "--output", backup});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains("書き出せませんでした")) << r.err.toStdString();
    EXPECT_EQ(readFile(backup), before);
}
