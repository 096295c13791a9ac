#include <gtest/gtest.h>

#include <tuple>

#include "core/sheet/sheet.h"
#include "core/sheet/sheetformat.h"

using namespace pirumoa;

namespace {

Sheet sized(int cols, int rows) {
    Sheet s;
    s.setSize(cols, rows);
    return s;
}

}  // namespace

TEST(Sheet, WritesOutsideTheGridAreIgnored) {
    Sheet s = sized(3, 2);
    s.setText(4, 1, "x");
    s.setText(1, 3, "x");
    s.setText(0, 1, "x");
    s.setText(1, -5, "x");
    s.setRowHeight(7, 99);
    s.setColumnWidth(0, 99);
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 3; ++c) EXPECT_EQ(s.text(c, r), "") << c << "," << r;
    EXPECT_EQ(s.text(4, 1), "");  // reading outside gives nothing either

    // A block reaching beyond the grid formats only what lies inside.
    s.setBackground({2, 2, 10, 10}, colour::Red);
    EXPECT_EQ(s.background(2, 2), colour::Red);
    EXPECT_EQ(s.background(3, 2), colour::Red);
    EXPECT_EQ(s.background(1, 2), colour::White);
    EXPECT_EQ(s.background(2, 1), colour::White);

    // A block that ends before it starts ("rows 3 to the last" of a two-row grid) is empty.
    Sheet two = sized(4, 2);
    two.setForeground({1, 3, 4, 2}, colour::Red);
    two.setBorder({3, 1, 2, 2}, AllSides, colour::Red);
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 4; ++c) {
            EXPECT_EQ(two.foreground(c, r), colour::Black);
            EXPECT_FALSE(two.border(c, r, Left, nullptr));
        }
}

// Half-way between two columns a half goes to the even one, as the headings expect.
TEST(Sheet, MidwayRoundsHalfToEven) {
    const std::tuple<int, int, int> cases[] = {
        {2, 9, 6}, {2, 7, 4}, {1, 1, 1}, {3, 5, 4}, {1, 2, 2}, {0, 1, 0}, {-3, 0, -2},
    };
    for (const auto& [first, last, mid] : cases)
        EXPECT_EQ(Sheet::midway(first, last), mid) << first << " " << last;
}

// Past its limits a sheet says so instead of turning colours black or dropping lines.
TEST(Sheet, LimitsPassedAreReported) {
#ifdef QT_NO_DEBUG
    Sheet colours = sized(300, 1);
    for (int c = 1; c <= 300; ++c) colours.setBackground({c, 1, c, 1}, Rgb(c));
    EXPECT_FALSE(colours.error().isEmpty());
    Sheet lines = sized(300, 1);
    for (int c = 1; c <= 300; ++c)
        lines.setBorder({c, 1, c, 1}, c <= 150 ? Left : Right, Rgb(c % 150));
    EXPECT_FALSE(lines.error().isEmpty());
#else
    GTEST_SKIP() << "debug builds stop at the assertion";
#endif
    Sheet fine = sized(10, 10);
    fine.setBackground({1, 1, 10, 10}, colour::Red);
    EXPECT_TRUE(fine.error().isEmpty());
}

TEST(Sheet, MinusOneMeansEveryRowOrColumn) {
    Sheet s = sized(3, 4);
    s.setRowHeight(-1, 12);
    s.setRowHeight(2, 20);
    s.setColumnWidth(-1, 3);
    s.setColumnWidth(1, 5);
    EXPECT_EQ(s.rowHeight(1), 12);
    EXPECT_EQ(s.rowHeight(2), 20);
    EXPECT_EQ(s.rowHeight(4), 12);
    EXPECT_EQ(s.columnWidth(1), 5);
    EXPECT_EQ(s.columnWidth(3), 3);
    // Rows added later have the default height; the rows kept keep theirs.
    s.setSize(3, 6);
    EXPECT_EQ(s.rowHeight(4), 12);
    EXPECT_EQ(s.rowHeight(5), Sheet::kDefaultRowHeight);
    s.setRowHeight(6, 30);
    s.setSize(3, 3);
    s.setSize(3, 6);
    EXPECT_EQ(s.rowHeight(2), 20);
    EXPECT_EQ(s.rowHeight(6), Sheet::kDefaultRowHeight);

    s.setForeground({-1, 2, -1, 2}, colour::Blue);  // all columns of row 2
    for (int c = 1; c <= 3; ++c) EXPECT_EQ(s.foreground(c, 2), colour::Blue);
    EXPECT_EQ(s.foreground(1, 1), colour::Black);
    s.setAlign({2, -1, 2, -1}, Align::Left);  // all rows of column 2
    for (int r = 1; r <= 4; ++r) EXPECT_EQ(s.align(2, r), Align::Left);
    EXPECT_EQ(s.align(1, 1), Align::Center);
}

TEST(Sheet, OutlineLinesOnlyTheBorderOfTheBlockAndLaterOperationsWin) {
    Sheet s = sized(4, 4);
    s.setBorder({2, 2, 3, 3}, Outline, colour::LightBlue);
    Rgb line = 0;
    EXPECT_TRUE(s.border(2, 2, Left, &line));
    EXPECT_EQ(line, colour::LightBlue);
    EXPECT_TRUE(s.border(2, 2, Top, nullptr));
    EXPECT_FALSE(s.border(2, 2, Right, nullptr));
    EXPECT_FALSE(s.border(2, 2, Bottom, nullptr));
    EXPECT_TRUE(s.border(3, 3, Right, nullptr));
    EXPECT_TRUE(s.border(3, 3, Bottom, nullptr));
    EXPECT_FALSE(s.border(3, 3, Left, nullptr));
    EXPECT_FALSE(s.border(1, 1, Right, nullptr));

    // An outline of a block that reaches outside the grid still lines the sides inside it.
    s.setBorder({3, 1, 9, 9}, Outline, colour::Red);
    EXPECT_TRUE(s.border(3, 1, Left, &line));
    EXPECT_EQ(line, colour::Red);
    EXPECT_FALSE(s.border(4, 4, Right, nullptr));

    s.setBorder({1, 1, 1, 1}, AllSides, colour::Black);
    s.setBorder({1, 1, 1, 1}, Left, colour::Blue);
    EXPECT_TRUE(s.border(1, 1, Left, &line));
    EXPECT_EQ(line, colour::Blue);
    EXPECT_TRUE(s.border(1, 1, Bottom, &line));
    EXPECT_EQ(line, colour::Black);
    s.clearBorder({1, 1, 1, 1});
    EXPECT_FALSE(s.border(1, 1, Bottom, nullptr));
}

TEST(Sheet, ClearingTextsKeepsFormattingAndResizingKeepsWhatFits) {
    Sheet s = sized(3, 3);
    s.setText(1, 1, "a");
    s.setText(3, 3, "c");
    s.setBackground({1, 1, 3, 3}, colour::LightYellow);
    s.clearText({1, 1, 2, 2});
    EXPECT_EQ(s.text(1, 1), "");
    EXPECT_EQ(s.text(3, 3), "c");
    EXPECT_EQ(s.background(1, 1), colour::LightYellow);

    s.setText(2, 1, "b");
    s.setSize(2, 5);
    EXPECT_EQ(s.text(2, 1), "b");
    EXPECT_EQ(s.background(2, 2), colour::LightYellow);
    EXPECT_EQ(s.background(2, 5), colour::White);
    EXPECT_EQ(s.text(3, 3), "");
}

TEST(Sheet, LargeSheetsCostAtMostSixteenBytesACell) {
    Sheet s = sized(42, 32769);
    for (int r = 1; r <= 32769; ++r) {
        s.setNumber(1, r, r);
        s.setText(2 + r % 40, r, QStringLiteral("●"));
    }
    s.setBorder({1, 1, 42, 32769}, AllSides, colour::LightBlue);
    const double perCell = double(s.bytesUsed()) / (42.0 * 32769);
    EXPECT_LE(perCell, 16.0);
}

TEST(Sheet, ADistinctNumberOnEveryRowOfANarrowSheetCostsAtMostSixteenBytesACell) {
    const int draws = 32767, rows = draws + 1;
    Sheet s = sized(5, rows);
    for (int r = 2; r <= rows; ++r) {
        s.setNumber(1, r, r - 1);
        for (int c = 2; c <= 5; ++c) s.setNumber(c, r, (r + c) % 10);
    }
    s.setBorder({1, 1, 5, rows}, AllSides, colour::Black);
    EXPECT_LE(double(s.bytesUsed()) / (5.0 * rows), 16.0);
    // Equal texts are stored once, and every one reads back after the store has grown.
    EXPECT_EQ(s.textCount(), std::uint32_t(1 + draws + 1));  // "", 1 … 32767 and "0"
    EXPECT_EQ(s.cell(3, 10).text, s.cell(1, 4).text);        // "3"
    EXPECT_EQ(s.text(1, 2), "1");
    EXPECT_EQ(s.text(1, rows), "32767");
    EXPECT_EQ(s.text(5, rows), "3");
    EXPECT_EQ(s.text(1, 1), "");

    // Squeezed as a window keeps it, the sheet still finds its texts and stores new ones.
    s.squeeze();
    s.setNumber(2, 2, 32767);
    EXPECT_EQ(s.cell(2, 2).text, s.cell(1, rows).text);
    s.setText(3, 2, QStringLiteral("new"));
    EXPECT_EQ(s.text(3, 2), "new");
    EXPECT_EQ(s.textCount(), std::uint32_t(1 + draws + 2));
}

TEST(SheetFormat, TsvAndJsonShowTextsColoursAndLines) {
    Sheet s = sized(2, 2);
    s.setFrozenRows(1);
    s.setText(1, 1, "a\"b");
    s.setForeground({2, 2, 2, 2}, colour::Red);
    s.setBorder({2, 2, 2, 2}, Left | Bottom, colour::LightBlue);
    s.setAlign({1, 2, 1, 2}, Align::Left);
    EXPECT_EQ(sheetsToTsv({&s}), QByteArray("a\"b\t\n\t\n"));
    const QByteArray json = sheetsToJson("w", {&s});
    EXPECT_EQ(json,
              QByteArray("{\"window\":\"w\",\"grids\":[{\"rows\":2,\"columns\":2,\"frozenRows\":1,"
                         "\"rowHeights\":[10,10],\"columnWidths\":[5,5],\"cells\":["
                         "{\"r\":1,\"c\":1,\"text\":\"a\\\"b\",\"align\":\"center\"},"
                         "{\"r\":2,\"c\":1,\"text\":\"\",\"align\":\"left\"},"
                         "{\"r\":2,\"c\":2,\"text\":\"\",\"fg\":\"#FF0000\",\"align\":\"center\","
                         "\"border\":{\"left\":\"#88C4FF\",\"bottom\":\"#88C4FF\"}}]}]}\n"));
}
