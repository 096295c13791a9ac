#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "core/sheet/sheetformat.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

Sheet frequency(const DrawHistory& h) {
    Sheet s;
    fillAppearanceFrequency(h, s);
    return s;
}

QString column(const Sheet& s, int col) {
    QString out;
    for (int r = 3; r <= s.rowCount(); ++r) out += s.text(col, r).isEmpty() ? "." : "o";
    return out;
}

bool line(const Sheet& s, int c, int r, Side side) {
    Rgb colour = 0;
    return s.border(c, r, side, &colour) && colour == colour::LightBlue;
}

}  // namespace

TEST(AppearanceFrequency, TwoDrawsChartEachDigitsAppearances) {
    const Sheet s = frequency(test::history({"1122", "1000"}));
    ASSERT_EQ(s.columnCount(), 11);
    ASSERT_EQ(s.rowCount(), 5);
    EXPECT_EQ(s.frozenRows(), 2);

    // Texts, row by row.
    EXPECT_EQ(sheetsToTsv({&s}), QByteArray("\t\t\t\t　　当 選 数 字\t\t\t\t\t\t\n"
                                            "出現数\t0\t1\t2\t3\t4\t5\t6\t7\t8\t9\n"
                                            "1\t●\t●\t●\t\t\t\t\t\t\t\n"
                                            "2\t●\t●\t●\t\t\t\t\t\t\t\n"
                                            "3\t●\t●\t\t\t\t\t\t\t\t\n"));
    EXPECT_EQ(column(s, 2), "ooo");  // digit 0
    EXPECT_EQ(column(s, 3), "ooo");  // digit 1
    EXPECT_EQ(column(s, 4), "oo.");  // digit 2
    EXPECT_EQ(column(s, 5), "...");  // never drawn: an empty column under its label

    // Sizes.
    EXPECT_EQ(s.rowHeight(1), 15);
    EXPECT_EQ(s.rowHeight(2), 15);
    EXPECT_EQ(s.rowHeight(3), 10);
    EXPECT_EQ(s.rowHeight(5), 10);
    EXPECT_EQ(s.columnWidth(1), 6.5);
    for (int c = 2; c <= 11; ++c) EXPECT_EQ(s.columnWidth(c), 3);

    // Colours.
    EXPECT_EQ(s.foreground(5, 1), colour::Red);  // title
    EXPECT_EQ(s.align(5, 1), Align::Left);
    EXPECT_EQ(s.background(5, 1), colour::LightYellow);
    EXPECT_TRUE(s.overflow());
    for (int r = 1; r <= 5; ++r) {
        EXPECT_EQ(s.foreground(1, r), colour::Blue);
        EXPECT_EQ(s.background(1, r), colour::LightCyan);
        EXPECT_EQ(s.align(1, r), Align::Center);
    }
    for (int c = 2; c <= 11; ++c) {
        EXPECT_EQ(s.foreground(c, 2), colour::Red);
        EXPECT_EQ(s.background(c, 2), colour::LightYellow);
        EXPECT_EQ(s.foreground(c, 4), colour::MidBlue);
        EXPECT_EQ(s.background(c, 4), colour::LightYellow);
        EXPECT_EQ(s.align(c, 4), Align::Center);
        EXPECT_FALSE(s.editable(c, 4));
    }

    // Lines: the outline of the table, column 1's right side, every side from row 2 down,
    // and no inner lines in row 1 so that the title spans it.
    EXPECT_TRUE(line(s, 1, 1, Top));
    EXPECT_TRUE(line(s, 1, 1, Left));
    EXPECT_TRUE(line(s, 1, 1, Right));
    EXPECT_TRUE(line(s, 11, 1, Right));
    EXPECT_TRUE(line(s, 6, 1, Top));
    EXPECT_FALSE(line(s, 5, 1, Left));
    EXPECT_FALSE(line(s, 5, 1, Right));
    EXPECT_FALSE(line(s, 5, 1, Bottom));
    for (int r = 2; r <= 5; ++r)
        for (int c = 1; c <= 11; ++c)
            for (Side side : {Left, Right, Top, Bottom}) EXPECT_TRUE(line(s, c, r, side));

    // No data cell is left current.
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);
}

TEST(AppearanceFrequency, EmptyOrIncompleteHistoriesGiveOnlyTheHeaders) {
    for (const DrawHistory& h : {test::history({}), test::history({"12_4", "____"})}) {
        const Sheet s = frequency(h);
        EXPECT_EQ(s.rowCount(), 2);
        EXPECT_EQ(s.columnCount(), 11);
        EXPECT_EQ(s.text(5, 1), "　　当 選 数 字");
        EXPECT_EQ(s.text(1, 2), "出現数");
        EXPECT_EQ(s.text(11, 2), "9");
    }
}

TEST(AppearanceFrequency, IncompleteLastRowsAddNoMarksAndTheTallestColumnFillsTheGrid) {
    const Sheet s = frequency(test::history({"0000", "0012", "9___", "00__"}));
    ASSERT_EQ(s.rowCount(), 8);  // digit 0: six marks
    EXPECT_EQ(column(s, 2), "oooooo");
    EXPECT_EQ(column(s, 3), "o.....");
    EXPECT_EQ(column(s, 4), "o.....");
    EXPECT_EQ(column(s, 11), "......");
    EXPECT_EQ(s.text(1, 8), "6");
}
