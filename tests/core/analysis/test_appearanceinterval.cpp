#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "core/sheet/sheetformat.h"
#include "sheetmaps.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

Sheet appearanceInterval(const DrawHistory& h) {
    Sheet s;
    fillAppearanceInterval(h, s);
    return s;
}

const QByteArray kHeading = "\t\t\t\t    当 選 数 字     \t\t\t\t\n";
const QByteArray kTitles = "回数\t第1数字\t出現\t第2数字\t出現\t第3数字\t出現\t第4数字\t出現\n";
const QByteArray kEmpty = "\t\t\t\t\t\t\t\t\n";

}  // namespace

TEST(AppearanceInterval, DrawsFromALaterNumberWithGapsAndUnfinishedDraws) {
    // Draws 3 to 7; 4 and 7 have no result. Only complete draws are earlier appearances: the
    // 0 of draw 3 does not find the missing draw 2, the 0 of draw 6 not the unfinished draw
    // 4, nor its 3 the 3 that draw 4 holds. A digit repeated in a draw is not its own
    // earlier appearance.
    const Sheet s = appearanceInterval(test::history({"1200", "1_34", "4444", "0234", "0___"}, 3));
    EXPECT_EQ(s.frozenRows(), 2);
    EXPECT_TRUE(s.overflow());
    // Rows follow the records up to the latest complete draw, 6, and its bottom headings.
    EXPECT_EQ(sheetsToTsv({&s}), kHeading + kTitles + "3\t1\t初回\t2\t初回\t0\t初回\t0\t初回\n" +
                                     kEmpty +
                                     "5\t4\t初回\t4\t初回\t4\t初回\t4\t初回\n"
                                     "6\t0\t3回前\t2\t3回前\t3\t初回\t4\t1回前\n" +
                                     kEmpty + kEmpty + kTitles + kHeading);
    const std::string heading = "YPPPPPPPP\n";
    EXPECT_EQ(test::backgrounds(s),
              heading + heading + test::times(6, "YAWAWAWAW\n") + heading + heading);
    EXPECT_EQ(test::foregrounds(s), test::times(10, "RKKKKKKKK\n"));
    EXPECT_EQ(test::alignments(s), "....L....\n" + test::times(8, ".........\n") + "....L....\n");
    // The heading rows: one box around columns 2 to 9, no lines inside it.
    EXPECT_EQ(test::lines(s), "FDCCCCCCE\n" + test::times(8, "FFFFFFFFF\n") + "FDCCCCCCE\n");
    EXPECT_EQ(test::sizes(s), "15 12 10 10 10 10 10 10 10 10 | 5 8 8 8 8 8 8 8 8");
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);
}

TEST(AppearanceInterval, EmptyHistoryShowsTheTwoHeadingBlocks) {
    const Sheet empty = appearanceInterval(test::history({}));
    EXPECT_EQ(sheetsToTsv({&empty}), kHeading + kTitles + kTitles + kHeading);
}
