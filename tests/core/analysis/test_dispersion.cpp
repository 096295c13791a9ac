// バラツキ分析 on small hand-made histories, every cell against a hand-checked golden, and
// the repeated header at the foot of the grid for histories of every length around its edges.
#include <gtest/gtest.h>

#include <tuple>

#include "core/analysis/analyses.h"
#include "sheetmaps.h"

using namespace pirumoa;

namespace {

Sheet dispersion(const DrawHistory& h) {
    Sheet s;
    fillDispersion(h, s);
    return s;
}

DrawHistory drawsUpTo(int latest) {
    std::vector<DrawRecord> rows(latest);
    for (int i = 0; i < latest; ++i) {
        rows[i].no = i + 1;
        rows[i].digits = {std::int8_t(i % 10), std::int8_t(i / 10 % 10), 3, 3};
    }
    return DrawHistory::fromRows(std::move(rows));
}

}  // namespace

TEST(Dispersion, OneDotPerDigitValueAndTheHeaderRepeatedBelowTheDraws) {
    // 1111 gives one dot; 0909 the two outer columns; draw 3 has no result and no row.
    const Sheet s = dispersion(test::history({"1111", "0909", "12_3", "5678"}));
    test::expectGoldenSheet("バラツキ分析", s, "dispersion_gaps.json");
    EXPECT_TRUE(s.overflow());
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);
}

TEST(Dispersion, FooterIsACleanCopyOfTheHeaderAndNeverTouchesADraw) {
    for (int latest : {0, 1, 15, 16, 44, 45}) {
        SCOPED_TRACE(latest);
        const Sheet s = dispersion(drawsUpTo(latest));
        const int footer = latest + 3;
        ASSERT_EQ(s.rowCount(), footer);
        ASSERT_EQ(s.columnCount(), 12);
        EXPECT_EQ(s.rowHeight(footer), 10);
        auto same = [](const Sheet::Cell& a, const Sheet::Cell& b) {
            return std::tie(a.text, a.fg, a.bg, a.flags, a.lines) ==
                   std::tie(b.text, b.fg, b.bg, b.flags, b.lines);
        };
        for (int c = 1; c <= 12; ++c) EXPECT_TRUE(same(s.cell(c, footer), s.cell(c, 2))) << c;
        for (int r = 3; r < footer; ++r) {
            EXPECT_EQ(s.text(1, r), QString::number(r - 2));
            EXPECT_EQ(s.text(12, r), QString::number(r - 2));
            EXPECT_EQ(s.text(5, r), "●");  // every draw holds a 3
        }
    }
}

TEST(Dispersion, EmptyHistoryShowsTitleHeaderAndFooterOnly) {
    const Sheet s = dispersion(test::history({}));
    EXPECT_EQ(sheetsToTsv({&s}),
              "\t\t\t\t\t数　　　　　　　字\t\t\t\t\t\t\n"
              "回\t0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t回\n"
              "回\t0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t回\n");
}
