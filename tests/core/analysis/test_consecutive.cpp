// 連番飛び石分析 on a small hand-made history, every cell against a hand-checked golden.
#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "sheetmaps.h"

using namespace pirumoa;

TEST(ConsecutiveSkip, NeighbouringPairsOneApartLeftAndTwoApartRight) {
    // 1234: three overlapping consecutive pairs; 3153: two skip-one pairs; 9090: 9 and 0 are
    // not neighbours in value; 5555 and 2738 have no pair of either kind; 8679 has both.
    Sheet s;
    fillConsecutiveSkip(
        test::history({"1234", "3153", "90_0", "9090", "5555", "2738", "8679", "0_1_"}), s);
    test::expectGoldenSheet("連番飛び石分析", s, "consecutive_gaps.json");
    EXPECT_TRUE(s.overflow());
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);
}

TEST(ConsecutiveSkip, EmptyHistoryShowsTheHeaderRowOnly) {
    Sheet s;
    fillConsecutiveSkip(test::history({}), s);
    EXPECT_EQ(sheetsToTsv({&s}), "回数\t\t連番(当選数字)\t\t\t回数\t\t飛び石(当選数字)\t\t\n");
}
