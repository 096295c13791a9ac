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

Sheet tendency(const DrawHistory& h) {
    Sheet s;
    fillLastDigitTendency(h, s);
    return s;
}

// The heading row: column 1 boxed on its own, columns 2-11 one box without inner lines.
const std::string kHeadingLines = "FDCCCCCCCCE\n";
const std::string kBodyLines = "FFFFFFFFFFF\n";

}  // namespace

// Draw 3 has no result and draw 6 none yet: the complete draws follow each other from row 3,
// one row is left empty above the bottom pair, which mirrors the top one.
TEST(LastDigitTendency, MarksAndTintsOfRepeatedLastDigits) {
    const Sheet s = tendency(test::history({"7709", "5555", "1_34", "1234", "0000", "9___"}));
    ASSERT_EQ(s.columnCount(), 11);
    ASSERT_EQ(s.rowCount(), 9);
    EXPECT_EQ(s.frozenRows(), 2);
    EXPECT_TRUE(s.overflow());
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);

    EXPECT_EQ(sheetsToTsv({&s}), lastDigitHeadingRow() + kLastDigitRow +
                                     "1\t0\t\t\t\t\t\t\t77\t\t9\n"
                                     "2\t\t\t\t\t\t5555\t\t\t\t\n"
                                     "4\t\t1\t2\t3\t4\t\t\t\t\t\n"
                                     "5\t0000\t\t\t\t\t\t\t\t\t\n"
                                     "\t\t\t\t\t\t\t\t\t\t\n" +
                                     kLastDigitRow + lastDigitHeadingRow());
    EXPECT_EQ(test::backgrounds(s),
              "YPPPPPPPPPP\n"
              "YPPPPPPPPPP\n"
              "YWWWWWWWAWW\n"
              "YWWWWWPWWWW\n"
              "YWWWWWWWWWW\n"
              "YPWWWWWWWWW\n"
              "YWWWWWWWWWW\n"
              "YPPPPPPPPPP\n"
              "YPPPPPPPPPP\n");
    EXPECT_EQ(test::foregrounds(s),
              times(2, "RBBBBBBBBBB\n") + times(5, "RKKKKKKKKKK\n") + times(2, "RBBBBBBBBBB\n"));
    EXPECT_EQ(test::lines(s), kHeadingLines + times(7, kBodyLines) + kHeadingLines);
    EXPECT_EQ(test::alignments(s), ".L.........\n" + times(7, "...........\n") + ".L.........\n");
    EXPECT_EQ(test::sizes(s), "20 10 10 10 10 10 10 10 20 | 5 5 5 5 5 5 5 5 5 5 5");
}

// The digit 0 in every position and in most draws: one cell takes all four marks.
TEST(LastDigitTendency, ZerosDominating) {
    const Sheet s = tendency(test::history({"0000", "0300", "0330", "3330"}));
    ASSERT_EQ(s.rowCount(), 8);
    EXPECT_EQ(sheetsToTsv({&s}), lastDigitHeadingRow() + kLastDigitRow +
                                     "1\t0000\t\t\t\t\t\t\t\t\t\n"
                                     "2\t000\t\t\t3\t\t\t\t\t\t\n"
                                     "3\t00\t\t\t33\t\t\t\t\t\t\n"
                                     "4\t0\t\t\t333\t\t\t\t\t\t\n" +
                                     kLastDigitRow + lastDigitHeadingRow());
    EXPECT_EQ(test::backgrounds(s),
              "YPPPPPPPPPP\n"
              "YPPPPPPPPPP\n"
              "YPWWWWWWWWW\n"
              "YGWWWWWWWWW\n"
              "YAWWAWWWWWW\n"
              "YWWWGWWWWWW\n"
              "YPPPPPPPPPP\n"
              "YPPPPPPPPPP\n");
}

TEST(LastDigitTendency, EmptyHistoryIsTheTwoPairsOfHeaderRows) {
    const Sheet s = tendency(test::history({}));
    ASSERT_EQ(s.rowCount(), 4);
    EXPECT_EQ(sheetsToTsv({&s}),
              lastDigitHeadingRow() + kLastDigitRow + kLastDigitRow + lastDigitHeadingRow());
    EXPECT_EQ(test::backgrounds(s), times(4, "YPPPPPPPPPP\n"));
    EXPECT_EQ(test::sizes(s), "20 10 10 20 | 5 5 5 5 5 5 5 5 5 5 5");
}
