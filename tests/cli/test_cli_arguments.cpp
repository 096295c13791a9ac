#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>

#include "testsupport.h"

using CliRun = pirumoa::test::CliRun;

// Arguments the tool cannot use end with one line in Japanese on stderr and code 2, before any
// database is opened; --help and --version answer on stdout.
TEST(CliArguments, BadArgumentsAreOneLineAndCodeTwo) {
    struct Case {
        QStringList args;
        int code;
        QString says;  // in stdout for code 0, in stderr otherwise
    };
    const Case cases[] = {
        {{"--help"}, 0, "backtest"},
        {{"--version"}, 0, "pirumoa-cli "},
        {{"sheet", "--help"}, 0, "--reflect <LIST>"},
        {{"tickets", "--help"}, 0, "tickets remove ID"},
        {{"tickets", "check", "--help"}, 0, "tickets check NUMBER"},
        {{}, 2, "Usage:"},
        {{"frobnicate"}, 2, "frobnicate というコマンドはありません"},
        {{"--bogus", "export"}, 2, "--bogus というオプションはありません"},
        {{"export", "--replace"}, 2, "--replace というオプションはありません"},
        {{"export", "-x"}, 2, "-x というオプションはありません"},
        {{"export", "--db=a.mdb", "--output"}, 2, "--output の後に値を"},
        {{"import", "--replace=yes", "a.csv"}, 2, "--replace には値を付けられません"},
        {{"import", "a.csv", "--format", "json"}, 2, "text か tsv"},
        {{"export", "--db", ""}, 2, "--db に空のファイル名"},
        {{"tickets", "list", "--db="}, 2, "--db に空のファイル名"},
        {{"export", "--db=a.mdb", "--output="}, 2, "--output に空のファイル名"},
        {{"windows", "extra"}, 2, "windows には引数を指定できません"},
        {{"sheet", "出現頻度分析", "--format", "xml"}, 2, "tsv、json、csv、pdf"},
        {{"sheet", "出現頻度分析", "--output=x.pdf"}, 2, "--format pdf には --output FILE"},
        {{"sheet", "無い窓"}, 2, "無い窓 というウィンドウはありません"},
        {{"backtest", "--reflect", "0,10"}, 2, "0～9"},
        {{"tickets"}, 2, "check、list、add、remove、import、export"},
        {{"tickets", "frob"}, 2, "tickets frob というコマンドはありません"},
        {{"tickets", "list", "--type", "box"}, 2, "tickets check と tickets add にだけ"},
        {{"tickets", "check", "1234", "--note", "x"}, 2, "--note は tickets add"},
        {{"tickets", "check", "12345", "--type=box"}, 2, "4桁の数字"},
        {{"tickets", "add", "1234", "--type", "bet"}, 2, "straight、box、set"},
        {{"tickets", "check", "1234", "--type", "set", "--draws", "0"}, 2, "継続回数「0」は範囲外"},
        {{"tickets", "remove", "x", "--db=a.mdb"}, 2, "ID を 1 つ"},
        {{"tickets", "list", "--format=xml"}, 2, "tsv か json"},
    };
    for (const Case& c : cases) {
        const CliRun r = pirumoa::test::runCli(c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(r.code, c.code) << what;
        const QString said = QString::fromUtf8(c.code == 0 ? r.out : r.err);
        EXPECT_TRUE(said.contains(c.says)) << what << ": " << said.toStdString();
        if (c.code == 2 && !c.args.isEmpty()) {
            EXPECT_EQ(r.err.count('\n'), 1) << what;
            EXPECT_TRUE(std::any_of(said.begin(), said.end(),
                                    [](QChar ch) { return ch.unicode() >= 0x3000; }))
                << what << ": " << said.toStdString();
        }
        if (c.code != 0) {
            EXPECT_TRUE(r.out.isEmpty()) << what;
        }
    }
}

// Qt reads arguments as UTF-8 whatever the locale: a database named in an EUC-JP terminal is
// refused, not made under a name of replacement characters and reported as done.
TEST(CliArguments, NamesThatAreNotUtf8AreRefused) {
    QTemporaryDir dir;
    QFile csv(dir.filePath("h.csv"));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("draw,date,d1,d2,d3,d4\n");
    csv.close();
    QProcess p;
    p.setWorkingDirectory(dir.path());
    // "日本.mdb" in EUC-JP.
    p.start("/bin/sh",
            {"-c", "exec \"$0\" import h.csv --db \"$(printf '\\306\\374\\313\\334.mdb')\"",
             PIRUMOA_CLI});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains("UTF-8"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"h.csv"});
}
