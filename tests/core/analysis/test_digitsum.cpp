// 数字合計分析 on small hand-made histories, every cell against a hand-checked golden.
#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "sheetmaps.h"

using namespace pirumoa;

namespace {

Sheet digitSum(const DrawHistory& h) {
    Sheet s;
    fillDigitSum(h, s);
    return s;
}

}  // namespace

TEST(DigitSum, SumsInContiguousRowsPastSkippedDraws) {
    // 9999 and 0000 give the extremes; draw 2 and the unfinished last draw get no row, and the
    // grid keeps an empty row for the draw number it skipped.
    const Sheet s = digitSum(test::history({"9999", "12_4", "0000", "1234", "5__5"}));
    test::expectGoldenSheet("数字合計分析", s, "digitsum_gaps.json");
    EXPECT_TRUE(s.overflow());
    // The one window that leaves the grid's own first cell current.
    EXPECT_EQ(s.activeColumn(), 1);
    EXPECT_EQ(s.activeRow(), 1);
}

TEST(DigitSum, RowsFollowTheLatestDrawNumberNotTheNumberOfDraws) {
    const Sheet empty = digitSum(test::history({}));
    EXPECT_EQ(sheetsToTsv({&empty}), "回数\t\t　当 選 数 字\t\t\t合計\n");
    const Sheet late = digitSum(test::history({"0123", "4567"}, 50));
    ASSERT_EQ(late.rowCount(), 52);
    EXPECT_EQ(sheetsToTsv({&late}).split('\n').mid(1, 3),
              QList<QByteArray>({"50\t0\t1\t2\t3\t6", "51\t4\t5\t6\t7\t22", "\t\t\t\t\t"}));
}
