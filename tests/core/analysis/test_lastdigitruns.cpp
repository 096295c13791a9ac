#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "core/sheet/sheetformat.h"
#include "sheetmaps.h"
#include "testsupport.h"

using namespace pirumoa;
using test::kLastDigitRow;
using test::lastDigitHeadingRow;
using test::times;

namespace {

Sheet runs(const DrawHistory& h) {
    Sheet s;
    fillLastDigitRuns(h, s);
    return s;
}

const std::string kHeadingLines = "FDCCCCCCCCE\n";
const std::string kBodyLines = "FFFFFFFFFFF\n";

// The texts of one digit's column over the draw rows, "." for an empty cell.
std::string column(const Sheet& s, int digit) {
    std::string out;
    for (int r = 3; r <= s.rowCount() - 2; ++r) {
        const QString t = s.text(digit + 2, r);
        out += (t.isEmpty() ? QStringLiteral(".") : t).toStdString() + ' ';
    }
    return out;
}

}  // namespace

// Last digit 1: drawn in 1, twice in 2, then 4 and 5 with draw 3 left without a result, so
// the run starts again. Last digit 7: twice in draw 4, once in draw 5.
TEST(LastDigitRuns, RunsRestartAfterAGapAndCountRepeatsWithinADraw) {
    const Sheet s = runs(test::history({"1234", "1156", "1_78", "7781", "0781"}));
    ASSERT_EQ(s.columnCount(), 11);
    ASSERT_EQ(s.rowCount(), 9);
    EXPECT_EQ(s.frozenRows(), 2);
    EXPECT_TRUE(s.overflow());
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);

    EXPECT_EQ(sheetsToTsv({&s}), lastDigitHeadingRow() + kLastDigitRow +
                                     "1\t\t\t\t\t\t\t\t\t\t\n"
                                     "2\t\t2\t\t\t\t\t\t\t\t\n"
                                     "3\t\t\t\t\t\t\t\t\t\t\n"
                                     "4\t\t\t\t\t\t\t\t1\t\t\n"
                                     "5\t\t1\t\t\t\t\t\t2\t1\t\n" +
                                     kLastDigitRow + lastDigitHeadingRow());
    EXPECT_EQ(test::backgrounds(s),
              "YPPPPPPPPPP\n"
              "YPPPPPPPPPP\n"
              "YWWWWWWWWWW\n"
              "YWAWWWWWWWW\n"
              "YWWWWWWWWWW\n"
              "YWWWWWWWWWW\n"
              "YWWWWWWWAWW\n"
              "YPPPPPPPPPP\n"
              "YPPPPPPPPPP\n");
    EXPECT_EQ(test::foregrounds(s),
              times(2, "RBBBBBBBBBB\n") + times(5, "RKKKKKKKKKK\n") + times(2, "RBBBBBBBBBB\n"));
    EXPECT_EQ(test::lines(s), kHeadingLines + times(7, kBodyLines) + kHeadingLines);
    EXPECT_EQ(test::alignments(s), ".L.........\n" + times(7, "...........\n") + ".L.........\n");
    EXPECT_EQ(test::sizes(s), "20 10 10 10 10 10 10 10 20 | 5 5 5 5 5 5 5 5 5 5 5");
}

// No more pairs of a digit's appearances are looked at than there are draws: the zeros of
// draws 1 and 2 give eight appearances, of which only the first three pairs are counted, all
// within draw 1.
TEST(LastDigitRuns, ZerosDominatingAreCountedOnlyAsFarAsTheDrawCount) {
    const Sheet s = runs(test::history({"0000", "0000", "1230"}));
    ASSERT_EQ(s.rowCount(), 7);
    EXPECT_EQ(sheetsToTsv({&s}), lastDigitHeadingRow() + kLastDigitRow +
                                     "1\t3\t\t\t\t\t\t\t\t\t\n"
                                     "2\t\t\t\t\t\t\t\t\t\t\n"
                                     "3\t\t\t\t\t\t\t\t\t\t\n" +
                                     kLastDigitRow + lastDigitHeadingRow());
    EXPECT_EQ(test::backgrounds(s),
              "YPPPPPPPPPP\n"
              "YPPPPPPPPPP\n"
              "YAWWWWWWWWW\n"
              "YWWWWWWWWWW\n"
              "YWWWWWWWWWW\n"
              "YPPPPPPPPPP\n"
              "YPPPPPPPPPP\n");
}

// Fourteen draws in a row with the last digit 5: counts 1 to 13, each on its tint.
TEST(LastDigitRuns, LongRunTakesEachTintInTurn) {
    const Sheet s = runs(test::history({"5123", "5123", "5123", "5123", "5123", "5123", "5123",
                                        "5123", "5123", "5123", "5123", "5123", "5123", "5123"}));
    ASSERT_EQ(s.rowCount(), 18);
    EXPECT_EQ(column(s, 5), ". 1 2 3 4 5 6 7 8 9 10 11 12 13 ");
    std::string tints;
    for (int r = 3; r <= 16; ++r) tints += test::colourLetter(s.background(7, r));
    EXPECT_EQ(tints, "WWAAGGYYVVPPgP");
}

TEST(LastDigitRuns, EmptyHistoryIsTheTwoPairsOfHeaderRows) {
    const Sheet s = runs(test::history({}));
    ASSERT_EQ(s.rowCount(), 4);
    EXPECT_EQ(sheetsToTsv({&s}),
              lastDigitHeadingRow() + kLastDigitRow + kLastDigitRow + lastDigitHeadingRow());
    EXPECT_EQ(test::backgrounds(s), times(4, "YPPPPPPPPPP\n"));
    EXPECT_EQ(test::sizes(s), "20 10 10 20 | 5 5 5 5 5 5 5 5 5 5 5");
}

// Rows follow draw numbers: a history that starts at draw 50 numbers the 49 rows before it
// and counts its second draw in the row of draw 51.
TEST(LastDigitRuns, HistoryStartingAtDraw50) {
    const Sheet s = runs(test::history({"1234", "4321"}, 50));
    ASSERT_EQ(s.rowCount(), 55);
    for (int n = 1; n <= 51; ++n) EXPECT_EQ(s.text(1, n + 2), QString::number(n));
    for (int d = 1; d <= 4; ++d) {
        EXPECT_EQ(s.text(d + 2, 53), "1");
        EXPECT_EQ(s.text(d + 2, 52), "");
    }
    EXPECT_EQ(s.text(1, 54), "");
    EXPECT_EQ(s.text(1, 55), "回数");
}
