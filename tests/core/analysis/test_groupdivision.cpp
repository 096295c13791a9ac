#include <gtest/gtest.h>

#include "core/analysis/analyses.h"
#include "sheetmaps.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

using Fill = void (*)(const DrawHistory&, Sheet&);

Sheet build(Fill fill, const DrawHistory& h) {
    Sheet s;
    fill(h, s);
    return s;
}

// What the three windows share, for the history of draws 7709, 0000, (none), 9123.
const std::string kTitles =
    "2=　　　　当選数字(第1数字)　　　　|12=　　　　当選数字(第2数字)　　　　|"
    "22=　　　　当選数字(第3数字)　　　　|32=　　　　当選数字(第4数字)　　　　\n";
const std::string kDigitLabels =
    "1=回数|2=0|3=1|4=2|5=3|6=4|7=5|8=6|9=7|10=8|11=9|"
    "12=0|13=1|14=2|15=3|16=4|17=5|18=6|19=7|20=8|21=9|"
    "22=0|23=1|24=2|25=3|26=4|27=5|28=6|29=7|30=8|31=9|"
    "32=0|33=1|34=2|35=3|36=4|37=5|38=6|39=7|40=8|41=9|42=回数\n";
const std::string kMarks =
    "1=1|9=●|19=●|22=●|41=●|42=1\n"
    "1=2|2=●|12=●|22=●|32=●|42=2\n"
    "1=4|11=●|13=●|24=●|35=●|42=4\n"
    "\n";

// A row written in blocks of ten: the spaces are dropped.
std::string row(const std::string& blocks) {
    std::string out;
    for (char ch : blocks)
        if (ch != ' ') out += ch;
    return out + '\n';
}

const std::string kForegrounds = row("R KKKKKKKKKK KKKKKKKKKK KKKKKKKKKK KKKKKKKKKK R") +
                                 row("R KKKKKKKKKK KKKKKKKKKK KKKKKKKKKK KKKKKKKKKK R") +
                                 row("R BBBBBBBBBB KKKKKKKKKK KKKKKKKKKK KKKKKKKKKK R") +
                                 row("R KKKKKKKMKK KKKKKKKMKK MKKKKKKKKK KKKKKKKKKM R") +
                                 row("R MKKKKKKKKK MKKKKKKKKK MKKKKKKKKK MKKKKKKKKK R") +
                                 row("R KKKKKKKKKM KMKKKKKKKK KKMKKKKKKK KKKMKKKKKK R") +
                                 row("R KKKKKKKKKK KKKKKKKKKK KKKKKKKKKK KKKKKKKKKK R");
const std::string kTitleRowBackground = row("Y PPPPPPPPPP PPPPPPPPPP PPPPPPPPPP PPPPPPPPPP Y");
const std::string kTitleRowLines = row("0 DCCCCCCCCE DCCCCCCCCE DCCCCCCCCE DCCCCCCCCE 0");
const std::string kCellLines = "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF\n";

struct Variant {
    const char* name;
    Fill fill;
    std::string headings;      // row 2's texts
    std::string tints;         // a block's backgrounds from row 2 down
    std::string headingAlign;  // a block's row 2
    std::string headingLines;  // a block's row 2
};

const Variant kVariants[] = {
    {"3", fillThreeGroupData,
     "2=　　 Ａ |5=　　 Ｂ |8=　　　 Ｃ 　　|12=　　 Ａ |15=　　 Ｂ |18=　　　 Ｃ 　　|"
     "22=　　 Ａ |25=　　 Ｂ |28=　　　 Ｃ 　　|32=　　 Ａ |35=　　 Ｂ |38=　　　 Ｃ 　　\n",
     "AAAWWWGGGG", "L..L..L...", "DCEDCEDCCE"},
    {"5", fillFiveGroupData,
     "2=　Ａ |4=　Ｂ |6=　Ｃ |8=　Ｄ |10=　Ｅ |12=　Ａ |14=　Ｂ |16=　Ｃ |18=　Ｄ |20=　Ｅ |"
     "22=　Ａ |24=　Ｂ |26=　Ｃ |28=　Ｄ |30=　Ｅ |32=　Ａ |34=　Ｂ |36=　Ｃ |38=　Ｄ |40=　Ｅ \n",
     "AAWWGGWWVV", "L.L.L.L.L.", "DEDEDEDEDE"},
    {"10", fillTenGroupData,
     "2=Ａ|3=Ｂ|4=Ｃ|5=Ｄ|6=Ｅ|7=Ｆ|8=Ｇ|9=Ｈ|10=Ｉ|11=Ｊ|12=Ａ|13=Ｂ|14=Ｃ|15=Ｄ|16=Ｅ|17=Ｆ|18="
     "Ｇ|"
     "19=Ｈ|20=Ｉ|21=Ｊ|22=Ａ|23=Ｂ|24=Ｃ|25=Ｄ|26=Ｅ|27=Ｆ|28=Ｇ|29=Ｈ|30=Ｉ|31=Ｊ|32=Ａ|33=Ｂ|"
     "34=Ｃ|35=Ｄ|36=Ｅ|37=Ｆ|38=Ｇ|39=Ｈ|40=Ｉ|41=Ｊ\n",
     "AGVLWAGVLW", "LLLLLLLLLL", "FFFFFFFFFF"},
};

std::string acrossBlocks(const std::string& block, char outside) {
    return outside + test::times(4, block) + outside + '\n';
}

}  // namespace

TEST(GroupDivision, ThreeFiveAndTenGroupsWholeGrids) {
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const Sheet s = build(v.fill, test::history({"7709", "0000", "12_4", "9123"}));
        ASSERT_EQ(s.columnCount(), 42);
        ASSERT_EQ(s.rowCount(), 7);  // three header rows and one for each draw number
        EXPECT_EQ(s.frozenRows(), 3);
        EXPECT_TRUE(s.overflow());
        EXPECT_EQ(s.activeColumn(), 0);
        EXPECT_EQ(s.activeRow(), 0);
        EXPECT_EQ(test::sizes(s), "15 12 9 9 9 9 9 | 6 " + test::times(40, "2 ") + "6");

        // The draw without a result leaves no gap: 9123 follows 0000.
        EXPECT_EQ(test::texts(s), kTitles + v.headings + kDigitLabels + kMarks);
        EXPECT_EQ(test::backgrounds(s),
                  kTitleRowBackground + test::times(6, acrossBlocks(v.tints, 'Y')));
        EXPECT_EQ(test::foregrounds(s), kForegrounds);
        EXPECT_EQ(test::alignments(s), acrossBlocks("LLLLLLLLLL", '.') +
                                           acrossBlocks(v.headingAlign, '.') +
                                           test::times(5, acrossBlocks("..........", '.')));
        EXPECT_EQ(test::lines(s, colour::LightBlue),
                  kTitleRowLines + acrossBlocks(v.headingLines, '0') + test::times(5, kCellLines));
    }
}

TEST(GroupDivision, EmptyHistoryGivesTheThreeHeaderRowsFullyFormatted) {
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const Sheet s = build(v.fill, test::history({}));
        ASSERT_EQ(s.rowCount(), 3);
        EXPECT_EQ(test::texts(s), kTitles + v.headings + kDigitLabels);
        EXPECT_EQ(test::backgrounds(s),
                  kTitleRowBackground + test::times(2, acrossBlocks(v.tints, 'Y')));
        EXPECT_EQ(test::foregrounds(s), kForegrounds.substr(0, 3 * 43));
        EXPECT_EQ(test::lines(s, colour::LightBlue),
                  kTitleRowLines + acrossBlocks(v.headingLines, '0') + kCellLines);
    }
}

TEST(GroupDivision, ZerosFromDrawFiftyFillTheTopRows) {
    const Sheet s = build(fillTenGroupData, test::history({"0000", "00_0", "0000"}, 50));
    ASSERT_EQ(s.rowCount(), 55);
    const std::string texts = test::texts(s), labelsEnd = "42=回数\n";
    EXPECT_EQ(texts.substr(texts.find(labelsEnd) + labelsEnd.size()),
              "1=50|2=●|12=●|22=●|32=●|42=50\n"
              "1=52|2=●|12=●|22=●|32=●|42=52\n" +
                  test::times(50, "\n"));
    // The rows past the last draw are formatted as every data row.
    const std::string bg = test::backgrounds(s);
    EXPECT_EQ(bg.substr(bg.size() - 43 * 51), test::times(51, acrossBlocks("AGVLWAGVLW", 'Y')));
    const std::string ln = test::lines(s, colour::LightBlue);
    EXPECT_EQ(ln.substr(ln.size() - 43 * 53), test::times(53, kCellLines));
}
