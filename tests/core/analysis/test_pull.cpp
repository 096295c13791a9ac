// 引っ張り分析 on a small hand-made history, every cell against a hand-checked golden.
#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "sheetmaps.h"

using namespace pirumoa;

TEST(Pull, DigitsHeldByThePreviousCompleteDrawAreMarked) {
    // 1234 is first and marks nothing; 4491 after it marks 4, 4 and 1; 7190 is compared with
    // 4491, not with the unfinished draw between them; 5000 after 5555 marks its 5 once.
    Sheet s;
    fillPull(test::history({"1234", "4491", "7_77", "7190", "5555", "5000", "____"}), s);
    test::expectGoldenSheet("引っ張り分析", s, "pull_gaps.json");
    EXPECT_TRUE(s.overflow());
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);
}

TEST(Pull, EmptyHistoryShowsTheHeaderRowOnly) {
    Sheet s;
    fillPull(test::history({}), s);
    EXPECT_EQ(sheetsToTsv({&s}), "回数\t\t　　当 選 数 字\t\t\n");
}
