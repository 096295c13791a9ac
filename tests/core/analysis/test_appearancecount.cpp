#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "core/sheet/sheetformat.h"
#include "sheetmaps.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

Sheet appearanceCount(const DrawHistory& h) {
    Sheet s;
    fillAppearanceCount(h, s);
    return s;
}

const QByteArray kTitles =
    "\t\t  当 選 数 字\t\t\t\t\t前回までの出現回数合計(回)\t\n"
    "回数\t第1数字\t第2数字\t第3数字\t第4数字\t第1数字\t第2数字\t第3数字\t第4数字\n";

}  // namespace

TEST(AppearanceCount, DrawsBesideTheTalliesBeforeThem) {
    // Draws 2 and 4 have no result: they get no row, and the rows end early.
    const Sheet s = appearanceCount(test::history({"1122", "1_45", "1345", "____", "2201"}));
    EXPECT_EQ(s.frozenRows(), 2);
    EXPECT_TRUE(s.overflow());
    EXPECT_EQ(sheetsToTsv({&s}), kTitles +
                                     "1\t1\t1\t2\t2\t0\t0\t0\t0\n"
                                     "3\t1\t3\t4\t5\t2\t0\t0\t0\n"
                                     "5\t2\t2\t0\t1\t2\t2\t0\t3\n"
                                     "\t\t\t\t\t\t\t\t\n"
                                     "\t\t\t\t\t\t\t\t\n");
    EXPECT_EQ(test::backgrounds(s), "YAAAAGGGG\n" + test::times(6, "YWWWWWWWW\n"));
    EXPECT_EQ(test::foregrounds(s), "RBBBBRRRR\n" + test::times(6, "RKKKKKKKK\n"));
    EXPECT_EQ(test::alignments(s), "..L......\n" + test::times(6, ".........\n"));
    // The title bands keep their outline, the line right of each band included, and lose
    // only the lines between their cells.
    EXPECT_EQ(test::lines(s), "FDCCEDCCE\n" + test::times(6, "FFFFFFFFF\n"));
    EXPECT_EQ(test::sizes(s), "20 12 10 10 10 10 10 | 6 8 8 8 8 8 8 8 8");
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);
}

TEST(AppearanceCount, EmptyHistoryAndOneFromALaterDraw) {
    const Sheet empty = appearanceCount(test::history({}));
    EXPECT_EQ(sheetsToTsv({&empty}), kTitles);
    EXPECT_EQ(test::lines(empty), "FDCCEDCCE\nFFFFFFFFF\n");

    const Sheet later = appearanceCount(test::history({"9909", "0___"}, 50));
    ASSERT_EQ(later.rowCount(), 52);
    EXPECT_EQ(later.text(1, 3), "50");
    EXPECT_EQ(later.text(9, 3), "0");
    EXPECT_EQ(later.text(1, 4), "");
}
