#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "core/sheet/sheetformat.h"
#include "sheetpictures.h"
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
    // 4, nor its 3 the 3 that draw 4 holds.
    const Sheet s = appearanceInterval(test::history({"1200", "1_34", "4444", "0234", "0___"}, 3));
    ASSERT_EQ(s.columnCount(), 9);
    ASSERT_EQ(s.rowCount(), 10);  // the latest complete draw is 6
    EXPECT_EQ(s.frozenRows(), 2);
    EXPECT_TRUE(s.overflow());

    // Rows follow the records: draw 3 in row 3, draw 4's row empty, and so on.
    EXPECT_EQ(sheetsToTsv({&s}), kHeading + kTitles + "3\t1\t初回\t2\t初回\t0\t初回\t0\t初回\n" +
                                     kEmpty +
                                     "5\t4\t初回\t4\t初回\t4\t初回\t4\t初回\n"
                                     "6\t0\t3回前\t2\t3回前\t3\t初回\t4\t1回前\n" +
                                     kEmpty + kEmpty + kTitles + kHeading);
    const QString body = "YAWAWAWAW\n";
    EXPECT_EQ(test::backgrounds(s),
              "YPPPPPPPP\nYPPPPPPPP\n" + body.repeated(6) + "YPPPPPPPP\nYPPPPPPPP\n");
    EXPECT_EQ(test::foregrounds(s), QString("RKKKKKKKK\n").repeated(10));
    const QString centred = ".........\n";
    EXPECT_EQ(test::alignments(s), "....L....\n" + centred.repeated(8) + "....L....\n");
    // The heading rows: one box around columns 2 to 9, no lines inside it.
    const QString all = "fffffffff\n";
    EXPECT_EQ(test::lines(s), "fdcccccce\n" + all.repeated(8) + "fdcccccce\n");
    EXPECT_FALSE(test::anyEditable(s));
    EXPECT_EQ(test::rowHeights(s), (std::vector<double>{15, 12, 10, 10, 10, 10, 10, 10, 10, 10}));
    EXPECT_EQ(test::columnWidths(s), std::vector<double>(9, 5));
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);
}

TEST(AppearanceInterval, GaplessHistoryEndsRightAboveTheBottomHeadings) {
    const Sheet s = appearanceInterval(test::history({"1234", "5612", "1000"}));
    EXPECT_EQ(sheetsToTsv({&s}), kHeading + kTitles +
                                     "1\t1\t初回\t2\t初回\t3\t初回\t4\t初回\n"
                                     "2\t5\t初回\t6\t初回\t1\t1回前\t2\t1回前\n"
                                     "3\t1\t1回前\t0\t初回\t0\t初回\t0\t初回\n" +
                                     kTitles + kHeading);
}

TEST(AppearanceInterval, EmptyHistoryShowsTheTwoHeadingBlocks) {
    const Sheet s = appearanceInterval(test::history({}));
    EXPECT_EQ(sheetsToTsv({&s}), kHeading + kTitles + kTitles + kHeading);
    EXPECT_EQ(test::backgrounds(s), QString("YPPPPPPPP\n").repeated(4));
    EXPECT_EQ(test::lines(s), "fdcccccce\nfffffffff\nfffffffff\nfdcccccce\n");
    EXPECT_EQ(test::rowHeights(s), (std::vector<double>{15, 12, 10, 10}));
}
