#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "core/sheet/sheetformat.h"
#include "sheetpictures.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

Sheet countGroups(const DrawHistory& h) {
    Sheet s;
    fillCountGroups(h, s);
    return s;
}

}  // namespace

TEST(CountGroups, DigitsGroupedByTotalSmallestFirst) {
    // Totals: 3 and 8 three times, 1 and 2 once, the rest never; no digit has two.
    const Sheet s = countGroups(test::history({"3388", "38__", "3812"}));
    ASSERT_EQ(s.columnCount(), 2);
    ASSERT_EQ(s.rowCount(), 4);
    EXPECT_EQ(s.frozenRows(), 1);
    EXPECT_TRUE(s.overflow());

    EXPECT_EQ(sheetsToTsv({&s}),
              "出 現\t数 字\n"
              "0回\t0,4,5,6,7,9\n"
              "1回\t1,2\n"
              "3回\t3,8\n");
    EXPECT_EQ(test::backgrounds(s), "PP\nYW\nYW\nYW\n");
    EXPECT_EQ(test::foregrounds(s), "KK\nKB\nKB\nKB\n");
    EXPECT_EQ(test::alignments(s), "..\n.L\n.L\n.L\n");
    EXPECT_EQ(test::lines(s), "ff\nff\nff\nff\n");
    EXPECT_FALSE(test::anyEditable(s));
    EXPECT_EQ(test::rowHeights(s), (std::vector<double>{10, 10, 10, 10}));
    EXPECT_EQ(test::columnWidths(s), (std::vector<double>{5, 20}));
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);
}

TEST(CountGroups, NoRecordsGiveAnEmptyGridAndRecordsWithoutResultsOneRow) {
    const Sheet none = countGroups(test::history({}));
    EXPECT_EQ(none.rowCount(), 0);
    EXPECT_EQ(none.columnCount(), 2);
    EXPECT_EQ(sheetsToTsv({&none}), "");

    const Sheet unfinished = countGroups(test::history({"1_34", "____"}));
    EXPECT_EQ(sheetsToTsv({&unfinished}), "出 現\t数 字\n0回\t0,1,2,3,4,5,6,7,8,9\n");
    EXPECT_EQ(test::backgrounds(unfinished), "PP\nYW\n");
    EXPECT_EQ(test::alignments(unfinished), "..\n.L\n");
}

TEST(CountGroups, TenDifferentTotalsTakeElevenRows) {
    // Digit d drawn d times, and 9 three times more: 0 … 8 and 12, 48 digits in 12 draws.
    const Sheet s = countGroups(test::history({"1223", "3344", "4455", "5556", "6666", "6777",
                                               "7777", "8888", "8888", "9999", "9999", "9999"}));
    EXPECT_EQ(sheetsToTsv({&s}),
              "出 現\t数 字\n0回\t0\n1回\t1\n2回\t2\n3回\t3\n4回\t4\n5回\t5\n6回\t6\n7回\t7\n"
              "8回\t8\n12回\t9\n");
}
