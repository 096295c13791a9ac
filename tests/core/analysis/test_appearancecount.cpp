#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "core/sheet/sheetformat.h"
#include "sheetpictures.h"
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
    // Draw 2 and draw 4 have no result: they get no row, and the rows end early.
    const Sheet s = appearanceCount(test::history({"1122", "1_45", "1345", "____", "2201"}));
    ASSERT_EQ(s.columnCount(), 9);
    ASSERT_EQ(s.rowCount(), 7);
    EXPECT_EQ(s.frozenRows(), 2);
    EXPECT_TRUE(s.overflow());

    EXPECT_EQ(sheetsToTsv({&s}), kTitles +
                                     "1\t1\t1\t2\t2\t0\t0\t0\t0\n"
                                     "3\t1\t3\t4\t5\t2\t0\t0\t0\n"
                                     "5\t2\t2\t0\t1\t2\t2\t0\t3\n"
                                     "\t\t\t\t\t\t\t\t\n"
                                     "\t\t\t\t\t\t\t\t\n");
    EXPECT_EQ(test::backgrounds(s),
              "YAAAAGGGG\n"
              "YWWWWWWWW\nYWWWWWWWW\nYWWWWWWWW\nYWWWWWWWW\nYWWWWWWWW\nYWWWWWWWW\n");
    EXPECT_EQ(test::foregrounds(s),
              "RBBBBRRRR\n"
              "RKKKKKKKK\nRKKKKKKKK\nRKKKKKKKK\nRKKKKKKKK\nRKKKKKKKK\nRKKKKKKKK\n");
    EXPECT_EQ(test::alignments(s),
              "..L......\n"
              ".........\n.........\n.........\n.........\n.........\n.........\n");
    // The title bands keep their outline, the line right of each band included, and lose
    // only the lines between their cells.
    EXPECT_EQ(test::lines(s),
              "fdccedcce\n"
              "fffffffff\nfffffffff\nfffffffff\nfffffffff\nfffffffff\nfffffffff\n");
    EXPECT_FALSE(test::anyEditable(s));
    EXPECT_EQ(test::rowHeights(s), (std::vector<double>{20, 12, 10, 10, 10, 10, 10}));
    EXPECT_EQ(test::columnWidths(s), (std::vector<double>{6, 5, 5, 5, 5, 5, 5, 5, 5}));
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);
}

TEST(AppearanceCount, EmptyHistoryShowsTheTwoTitleRows) {
    const Sheet s = appearanceCount(test::history({}));
    EXPECT_EQ(sheetsToTsv({&s}), kTitles);
    EXPECT_EQ(test::backgrounds(s), "YAAAAGGGG\nYWWWWWWWW\n");
    EXPECT_EQ(test::lines(s), "fdccedcce\nfffffffff\n");
    EXPECT_EQ(test::rowHeights(s), (std::vector<double>{20, 12}));
}

TEST(AppearanceCount, HistoryFromALaterDrawFillsFromRowThree) {
    const Sheet s = appearanceCount(test::history({"9909", "0___"}, 50));
    ASSERT_EQ(s.rowCount(), 52);
    EXPECT_EQ(sheetsToTsv({&s}).split('\n').mid(2, 2),
              (QList<QByteArray>{"50\t9\t9\t0\t9\t0\t0\t0\t0", "\t\t\t\t\t\t\t\t"}));
}
