// The frequency chart as the command-line tool prints it, end to end from a real database.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <array>

#include "testsupport.h"

using namespace pirumoa;

namespace {

QByteArray sheetOf(const test::TempDatabase& db, const char* format) {
    const test::CliRun r =
        test::runCli({"sheet", "出現頻度分析", "--db", db.connect.file, "--format", format});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    return r.out;
}

}  // namespace

TEST(AppearanceFrequencyCli, GoldenGridForTwoDraws) {
    test::TempDatabase db(test::draws({"1122", "1000"}));
    const QByteArray golden =
        test::readFile(PIRUMOA_TEST_DIR "/core/analysis/golden/frequency_1122_1000.json");
    ASSERT_FALSE(golden.isEmpty());
    EXPECT_EQ(sheetOf(db, "json"), golden);
}

TEST(AppearanceFrequencyCli, EmptyIncompleteAndUnfinishedHistories) {
    const QByteArray headers =
        "\t\t\t\t　　当 選 数 字\t\t\t\t\t\t\n"
        "出現数\t0\t1\t2\t3\t4\t5\t6\t7\t8\t9\n";
    EXPECT_EQ(sheetOf(test::TempDatabase(), "tsv"), headers);
    EXPECT_EQ(sheetOf(test::TempDatabase(test::draws({"12__", "____"})), "tsv"), headers);
    // The unfinished last draws add nothing.
    EXPECT_EQ(sheetOf(test::TempDatabase(test::draws({"9999", "9___", "____"})), "tsv"),
              headers +
                  "1\t\t\t\t\t\t\t\t\t\t●\n2\t\t\t\t\t\t\t\t\t\t●\n"
                  "3\t\t\t\t\t\t\t\t\t\t●\n4\t\t\t\t\t\t\t\t\t\t●\n");
}

TEST(AppearanceFrequencyCli, SampleHistoryColumnsAreTheDigitTotals) {
    // Totals counted straight from the shipped CSV, apart from the program's own code.
    const QList<QByteArray> lines =
        test::readFile(PIRUMOA_DATA_DIR "/numbers4_history.csv").split('\n');
    std::array<int, 10> totals{};
    for (int i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> f = lines[i].trimmed().split(',');
        if (f.size() == 6)
            for (int k = 2; k < 6; ++k) ++totals[f[k].toInt()];
    }
    const int peak = *std::max_element(totals.begin(), totals.end());

    QTemporaryDir dir;
    const QString file = dir.filePath("sample.mdb");
    ASSERT_EQ(test::runCli({"import", PIRUMOA_DATA_DIR "/numbers4_history.csv", "--db", file}).code,
              0);
    const test::CliRun r = test::runCli({"sheet", "出現頻度分析", "--db", file});
    ASSERT_EQ(r.code, 0);
    const QList<QByteArray> rows = r.out.split('\n');
    ASSERT_EQ(rows.size(), peak + 2 + 1);  // the last line ends with LF
    std::array<int, 10> marks{};
    for (int row = 2; row < peak + 2; ++row) {
        const QList<QByteArray> cells = rows[row].split('\t');
        ASSERT_EQ(cells.size(), 11);
        EXPECT_EQ(cells[0], QByteArray::number(row - 1));
        for (int d = 0; d <= 9; ++d) {
            const bool mark = cells[d + 1] == "●";
            EXPECT_EQ(mark, row - 2 < totals[d]) << "digit " << d << " row " << row;
            marks[d] += mark;
        }
    }
    EXPECT_EQ(marks, totals);
}
