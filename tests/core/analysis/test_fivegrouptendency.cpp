#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "core/sheet/sheetformat.h"
#include "sheetmaps.h"
#include "testsupport.h"

using namespace pirumoa;
using test::times;

namespace {

Sheet tendency(const DrawHistory& h) {
    Sheet s;
    fillFiveGroupTendency(h, s);
    return s;
}

const char* const kHeading = "回数\t\t   当 選 数 字\t\t\t0～1\t2～3\t4～5\t6～7\t8～9\n";
// Column 6 has a red line on its left.
const std::string kHeadingLines = "F8888[RKKK]FFFF\n";
const std::string kBodyLines = "FFFFF[RKKK]FFFF\n";

}  // namespace

// Draw 3 has no result and draw 5 none yet: the complete draws fill rows 2-4 one after the
// other, the row left over stays empty and the closing heading sits at latestDrawNo + 2.
TEST(FiveGroupTendency, DrawsWithGapsAndTheirGroupCounts) {
    const Sheet s = tendency(test::history({"0945", "11_1", "1111", "2867", "9___"}));
    ASSERT_EQ(s.columnCount(), 10);
    ASSERT_EQ(s.rowCount(), 6);
    EXPECT_EQ(s.frozenRows(), 1);
    EXPECT_TRUE(s.overflow());
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);

    EXPECT_EQ(sheetsToTsv({&s}), QByteArray(kHeading) +
                                     "1\t0\t9\t4\t5\t1\t0\t2\t0\t1\n"
                                     "3\t1\t1\t1\t1\t4\t0\t0\t0\t0\n"
                                     "4\t2\t8\t6\t7\t0\t1\t0\t2\t1\n"
                                     "\t\t\t\t\t\t\t\t\t\n" +
                                     kHeading);
    EXPECT_EQ(test::backgrounds(s),
              "PPPPPLLLLL\n"
              "YWVGGWAGYV\n"
              "YWWWWWAGYV\n"
              "YAVYYWAGYV\n"
              "YWWWWWAGYV\n"
              "PPPPPLLLLL\n");
    EXPECT_EQ(test::foregrounds(s), "KKKKKBBBBB\n" + times(4, "RKKKKKKKKK\n") + "KKKKKBBBBB\n");
    EXPECT_EQ(test::lines(s), kHeadingLines + times(4, kBodyLines) + kHeadingLines);
    EXPECT_EQ(test::alignments(s), "..L.......\n" + times(4, "..........\n") + "..L.......\n");
    EXPECT_EQ(test::sizes(s), "20 10 10 10 10 20 | 6 5 5 5 5 5 5 5 5 5");
}

// Zeros and ones share the first group, which the counts and the white digits show.
TEST(FiveGroupTendency, ZerosFillTheFirstGroup) {
    const Sheet s = tendency(test::history({"0000", "0090", "1001"}));
    ASSERT_EQ(s.rowCount(), 5);
    EXPECT_EQ(sheetsToTsv({&s}), QByteArray(kHeading) +
                                     "1\t0\t0\t0\t0\t4\t0\t0\t0\t0\n"
                                     "2\t0\t0\t9\t0\t3\t0\t0\t0\t1\n"
                                     "3\t1\t0\t0\t1\t4\t0\t0\t0\t0\n" +
                                     kHeading);
    EXPECT_EQ(test::backgrounds(s),
              "PPPPPLLLLL\n"
              "YWWWWWAGYV\n"
              "YWWVWWAGYV\n"
              "YWWWWWAGYV\n"
              "PPPPPLLLLL\n");
}

// With no complete draw the two heading rows meet: the grid has them and nothing else.
TEST(FiveGroupTendency, EmptyHistoryIsTheTwoHeadingRows) {
    const Sheet s = tendency(test::history({}));
    ASSERT_EQ(s.rowCount(), 2);
    EXPECT_EQ(sheetsToTsv({&s}), QByteArray(kHeading) + kHeading);
    EXPECT_EQ(test::backgrounds(s), "PPPPPLLLLL\nPPPPPLLLLL\n");
    EXPECT_EQ(test::lines(s), times(2, kHeadingLines));
    EXPECT_EQ(test::sizes(s), "20 20 | 6 5 5 5 5 5 5 5 5 5");
}
