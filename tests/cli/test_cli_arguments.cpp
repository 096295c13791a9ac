#include <gtest/gtest.h>

#include "testsupport.h"

using CliRun = pirumoa::test::CliRun;

// Arguments the tool cannot use end with one line on stderr and code 2, before any database
// is opened; --help and --version answer on stdout.
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
        {{}, 2, "Usage:"},
        {{"frobnicate"}, 2, "unknown command frobnicate"},
        {{"--bogus", "export"}, 2, "unknown option --bogus"},
        {{"export", "--replace"}, 2, "unknown option --replace"},
        {{"export", "-x"}, 2, "unknown option -x"},
        {{"import", "a.csv", "--db"}, 2, "--db"},
        {{"windows", "extra"}, 2, "windows takes no name"},
        {{"sheet", "出現頻度分析", "--format", "xml"}, 2, "--format is tsv, json, csv or pdf"},
        {{"sheet", "出現頻度分析", "--output=x.pdf"}, 2, "--output FILE goes with --format pdf"},
    };
    for (const Case& c : cases) {
        const CliRun r = pirumoa::test::runCli(c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(r.code, c.code) << what;
        const QString said = QString::fromUtf8(c.code == 0 ? r.out : r.err);
        EXPECT_TRUE(said.contains(c.says)) << what << ": " << said.toStdString();
        if (c.code == 2 && !c.args.isEmpty()) {
            EXPECT_EQ(r.err.count('\n'), 1) << what;
        }
        if (c.code != 0) {
            EXPECT_TRUE(r.out.isEmpty()) << what;
        }
    }
}
