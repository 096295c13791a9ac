#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "core/sheet/sheetformat.h"
#include "sheetmaps.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

Sheet evenOdd(const DrawHistory& h) {
    Sheet s;
    fillEvenOddPattern(h, s);
    return s;
}

const char* const kHeader = "回数\t\t    当 選 数 字      \t\t\t偶数\t奇数\tパターン\n";

}  // namespace

TEST(EvenOddPattern, EveryCountWithItsLetterAndColours) {
    // Draw 5 has no result yet; draw 6 takes its row.
    const Sheet s = evenOdd(test::history({"2468", "1357", "0123", "0009", "12_4", "9990"}));
    ASSERT_EQ(s.columnCount(), 8);
    ASSERT_EQ(s.rowCount(), 7);  // the latest draw is 6, one row of it stays empty
    EXPECT_EQ(s.frozenRows(), 1);
    EXPECT_TRUE(s.overflow());
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);
    EXPECT_EQ(test::sizes(s), "20 10 10 10 10 10 10 | 6 5 5 5 5 5 5 7");

    EXPECT_EQ(sheetsToTsv({&s}), QByteArray(kHeader) +
                                     "1\t2\t4\t6\t8\t4\t0\tA\n"
                                     "2\t1\t3\t5\t7\t0\t4\t\n"
                                     "3\t0\t1\t2\t3\t2\t2\tC\n"
                                     "4\t0\t0\t0\t9\t3\t1\tB\n"
                                     "6\t9\t9\t9\t0\t1\t3\tD\n"
                                     "\t\t\t\t\t\t\t\n");
    // Even digits pale aqua, odd ones white; B pale aqua, C light green, D light yellow, A
    // and the empty pattern of four odd digits untinted.
    EXPECT_EQ(test::backgrounds(s),
              "PPPPPPPP\n"
              "YAAAAAWW\n"
              "YWWWWAWW\n"
              "YAWAWAWG\n"
              "YAAAWAWA\n"
              "YWWWAAWY\n"
              "YWWWWAWW\n");
    EXPECT_EQ(test::foregrounds(s), "BBBBBBBB\n" + test::times(6, "RKKKKBBK\n"));
    EXPECT_EQ(test::alignments(s), "..L.....\n" + test::times(6, "........\n"));
    // One box around the heading's four columns, black lines everywhere.
    EXPECT_EQ(test::lines(s, colour::Black), "FDCCEFFF\n" + test::times(6, "FFFFFFFF\n"));
}

TEST(EvenOddPattern, ZeroIsEvenAndAHistoryMayStartLate) {
    // Draws 50 to 52, the middle one without a result: the grid still has a row for every
    // draw number up to the latest, the draws fill its top without a gap.
    const Sheet s = evenOdd(test::history({"0000", "00_0", "0100"}, 50));
    ASSERT_EQ(s.rowCount(), 53);
    EXPECT_EQ(sheetsToTsv({&s}), QByteArray(kHeader) +
                                     "50\t0\t0\t0\t0\t4\t0\tA\n"
                                     "52\t0\t1\t0\t0\t3\t1\tB\n" +
                                     test::times(50, "\t\t\t\t\t\t\t\n").c_str());
    EXPECT_EQ(test::backgrounds(s),
              "PPPPPPPP\nYAAAAAWW\nYAWAAAWA\n" + test::times(50, "YWWWWAWW\n"));
    EXPECT_EQ(test::lines(s, colour::Black), "FDCCEFFF\n" + test::times(52, "FFFFFFFF\n"));
}

TEST(EvenOddPattern, EmptyHistoryGivesTheHeaderRowOnly) {
    for (const DrawHistory& h : {test::history({}), test::history({"1_34", "____"})}) {
        const Sheet s = evenOdd(h);
        EXPECT_EQ(sheetsToTsv({&s}), kHeader);
        EXPECT_EQ(test::backgrounds(s), "PPPPPPPP\n");
        EXPECT_EQ(test::foregrounds(s), "BBBBBBBB\n");
        EXPECT_EQ(test::alignments(s), "..L.....\n");
        EXPECT_EQ(test::lines(s, colour::Black), "FDCCEFFF\n");
        EXPECT_EQ(s.rowHeight(1), 20);
    }
}
