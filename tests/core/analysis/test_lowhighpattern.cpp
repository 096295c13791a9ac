#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "core/sheet/sheetformat.h"
#include "sheetmaps.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

Sheet lowHigh(const DrawHistory& h) {
    Sheet s;
    fillLowHighPattern(h, s);
    return s;
}

const char* const kHeader = "回数\t\t    当 選 数 字      \t\t\t低数字\t高数字\tパターン\n";

}  // namespace

TEST(LowHighPattern, TheLetterFollowsTheLowCount) {
    // Draw 4 is skipped, draw 7 has no result yet.
    const Sheet s =
        lowHigh(test::history({"5678", "0123", "4545", "_123", "9870", "0009", "____"}));
    ASSERT_EQ(s.columnCount(), 8);
    ASSERT_EQ(s.rowCount(), 7);
    EXPECT_EQ(s.frozenRows(), 1);
    EXPECT_TRUE(s.overflow());
    EXPECT_EQ(test::sizes(s), "20 10 10 10 10 10 10 | 6 5 5 5 5 6.5 6.5 7");

    EXPECT_EQ(sheetsToTsv({&s}), QByteArray(kHeader) +
                                     "1\t5\t6\t7\t8\t0\t4\tA\n"
                                     "2\t0\t1\t2\t3\t4\t0\t\n"
                                     "3\t4\t5\t4\t5\t2\t2\tC\n"
                                     "5\t9\t8\t7\t0\t1\t3\tB\n"
                                     "6\t0\t0\t0\t9\t3\t1\tD\n"
                                     "\t\t\t\t\t\t\t\n");
    // Low digits (4 included) pale aqua, high ones (5 included) untinted.
    EXPECT_EQ(test::backgrounds(s),
              "PPPPPPPP\n"
              "YWWWWAWW\n"
              "YAAAAAWW\n"
              "YAWAWAWG\n"
              "YWWWAAWA\n"
              "YAAAWAWY\n"
              "YWWWWAWW\n");
    EXPECT_EQ(test::foregrounds(s), "BBBBBBBB\n" + test::times(6, "RKKKKBBK\n"));
    EXPECT_EQ(test::alignments(s), "..L.....\n" + test::times(6, "........\n"));
    EXPECT_EQ(test::lines(s, colour::Black), "FDCCEFFF\n" + test::times(6, "FFFFFFFF\n"));
}

TEST(LowHighPattern, ZerosAreLowAndAHistoryMayStartLate) {
    const Sheet s = lowHigh(test::history({"0000", "0100", "0_00"}, 50));
    ASSERT_EQ(s.rowCount(), 52);  // the latest complete draw is 51
    EXPECT_EQ(sheetsToTsv({&s}), QByteArray(kHeader) +
                                     "50\t0\t0\t0\t0\t4\t0\t\n"
                                     "51\t0\t1\t0\t0\t4\t0\t\n" +
                                     test::times(49, "\t\t\t\t\t\t\t\n").c_str());
    EXPECT_EQ(test::backgrounds(s),
              "PPPPPPPP\n" + test::times(2, "YAAAAAWW\n") + test::times(49, "YWWWWAWW\n"));
}
