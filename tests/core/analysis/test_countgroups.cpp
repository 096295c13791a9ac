#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "core/sheet/sheetformat.h"
#include "sheetmaps.h"
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
    EXPECT_EQ(s.frozenRows(), 1);
    EXPECT_TRUE(s.overflow());
    EXPECT_EQ(sheetsToTsv({&s}), "出 現\t数 字\n0回\t0,4,5,6,7,9\n1回\t1,2\n3回\t3,8\n");
    EXPECT_EQ(test::backgrounds(s), "PP\nYW\nYW\nYW\n");
    EXPECT_EQ(test::foregrounds(s), "KK\nKB\nKB\nKB\n");
    EXPECT_EQ(test::alignments(s), "..\n.L\n.L\n.L\n");
    EXPECT_EQ(test::lines(s), "FF\nFF\nFF\nFF\n");
    EXPECT_EQ(test::sizes(s), "10 10 10 10 | 8 20");
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);
}

TEST(CountGroups, NoRecordsGiveAnEmptyGridAndRecordsWithoutResultsOneRow) {
    const Sheet none = countGroups(test::history({}));
    EXPECT_EQ(test::sizes(none), " | 8 20");

    const Sheet unfinished = countGroups(test::history({"1_34", "____"}));
    EXPECT_EQ(sheetsToTsv({&unfinished}), "出 現\t数 字\n0回\t0,1,2,3,4,5,6,7,8,9\n");
    EXPECT_EQ(test::backgrounds(unfinished), "PP\nYW\n");
}
