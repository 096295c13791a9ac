#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "core/sheet/sheetformat.h"
#include "sheetmaps.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

Sheet numberInterval(const DrawHistory& h) {
    Sheet s;
    fillNumberInterval(h, s);
    return s;
}

const QByteArray kHeading = "\t\t\t\t   当 選 数 字\t\t\t\t\n";
const QByteArray kTitles = "回数\t第1数字\t差分\t第2数字\t差分\t第3数字\t差分\t第4数字\t差分\n";
const QByteArray kEmpty = "\t\t\t\t\t\t\t\t\n";

}  // namespace

TEST(NumberInterval, UnfinishedDrawsKeepTheirRowsAndAreNotCompared) {
    // The first record has no result, so draw 2 is compared with 0, 0, 0, 0; draw 4 with
    // draw 2, across the unfinished draw 3.
    const Sheet s = numberInterval(test::history({"____", "0957", "9_11", "9057", "9__1"}));
    EXPECT_EQ(s.frozenRows(), 2);
    EXPECT_TRUE(s.overflow());
    EXPECT_EQ(sheetsToTsv({&s}), kHeading + kTitles + kEmpty + "2\t0\t0\t9\t+9\t5\t+5\t7\t+7\n" +
                                     kEmpty + "4\t9\t+9\t0\t-9\t5\t0\t7\t0\n" + kTitles + kHeading);
    // A step down has its own background.
    const std::string heading = "YPPPPPPPP\n";
    EXPECT_EQ(test::backgrounds(s), heading + heading + test::times(3, "YAWAWAWAW\n") +
                                        "YAWAVAWAW\n" + heading + heading);
    EXPECT_EQ(test::foregrounds(s), test::times(8, "RKKKKKKKK\n"));
    EXPECT_EQ(test::alignments(s), "....L....\n" + test::times(6, ".........\n") + "....L....\n");
    // The heading rows lose their lines right of column 1, with no box around them.
    EXPECT_EQ(test::lines(s), "F00000000\n" + test::times(6, "FFFFFFFFF\n") + "F00000000\n");
    EXPECT_EQ(test::sizes(s), "15 12 10 10 10 10 10 10 | 5 8 8 8 8 8 8 8 8");
    EXPECT_EQ(s.activeColumn(), 0);
    EXPECT_EQ(s.activeRow(), 0);
}

TEST(NumberInterval, FirstDrawShowsNoStepsAndNoRecordsOnlyTheHeadings) {
    const Sheet s = numberInterval(test::history({"5173", "5290"}));
    EXPECT_EQ(sheetsToTsv({&s}), kHeading + kTitles +
                                     "1\t5\t\t1\t\t7\t\t3\t\n"
                                     "2\t5\t0\t2\t+1\t9\t+2\t0\t-3\n" +
                                     kTitles + kHeading);
    EXPECT_EQ(QString::fromStdString(test::backgrounds(s)).split('\n').mid(2, 2),
              (QStringList{"YAWAWAWAW", "YAWAWAWAV"}));
    const Sheet empty = numberInterval(test::history({}));
    EXPECT_EQ(sheetsToTsv({&empty}), kHeading + kTitles + kTitles + kHeading);
}
