#include <gtest/gtest.h>

#include "core/prediction/methods.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

QString joined(const DigitList& digits) {
    QStringList out;
    for (int d : digits) out << QString::number(d);
    return out.join(QLatin1Char(','));
}

QString cycleRow(const PredictionResult& p, int k) {
    QString row;
    for (int d : p.cycle[std::size_t(k)]) row += d < 0 ? QStringLiteral(".") : QString::number(d);
    return row;
}

PredictionResult scanned(const DrawHistory& h, std::initializer_list<int> reflect = {}) {
    ReflectOptions options{};
    for (int i : reflect) options[std::size_t(i)] = true;
    return predict(h, options);
}

// Draw numbers first … first + n - 1, every one "0000".
std::vector<DrawRecord> zeros(int n, int first = 1) {
    std::vector<DrawRecord> rows;
    for (int i = 0; i < n; ++i) {
        DrawRecord r;
        r.no = first + i;
        r.digits = {0, 0, 0, 0};
        rows.push_back(r);
    }
    return rows;
}

}  // namespace

TEST(wrapDigit, FoldsByNine) {
    EXPECT_EQ(wrapDigit(12), 3);
    EXPECT_EQ(wrapDigit(9), 9);
    EXPECT_EQ(wrapDigit(1), 1);
    EXPECT_EQ(wrapDigit(-5), 4);
    EXPECT_EQ(wrapDigit(10), 1);
    EXPECT_EQ(wrapDigit(18), 9);
    EXPECT_EQ(wrapDigit(0), 9);
    EXPECT_EQ(wrapDigit(-1), 8);
    EXPECT_EQ(wrapDigit(-9), 0);
}

TEST(Elimination, AllZeroDrawsAndTooShortHistoriesReadAsZeros) {
    // Ten zero draws, one zero draw (rows reach below draw 1), and all ten options on.
    for (const PredictionResult& p :
         {scanned(DrawHistory::fromRows(zeros(10))), scanned(test::history({"0000"})),
          scanned(test::history({"0000"}), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9})}) {
        EXPECT_EQ(joined(p.elimination), QStringLiteral("1,8,9,2,4,3,7,6,0"));
        // Rows 4, 7, 8, 12, 13, 14 repeat earlier digits but keep their own.
        EXPECT_EQ(p.eliminationDigits[4], 8);
        EXPECT_EQ(p.eliminationDigits[14], 9);
    }
}

TEST(Elimination, ReflectCountMovesTheBaseDraw) {
    // Draws 1488 and 1490 … 1497 are "5555", every other draw "0000".
    std::vector<DrawRecord> rows = zeros(1500);
    for (DrawRecord& r : rows)
        if ((r.no >= 1490 && r.no <= 1497) || r.no == 1488) r.digits = {5, 5, 5, 5};
    const DrawHistory h = DrawHistory::fromRows(rows);

    const PredictionResult p = scanned(h, {1, 4, 7});
    ASSERT_EQ(p.baseDrawNo, 1497);
    QString rowsRead;
    for (int d : p.eliminationDigits) rowsRead += QString::number(d);
    // Every row read a "5555" draw: back 0 is draw 1497, back 9 is draw 1488.
    EXPECT_EQ(rowsRead, QStringLiteral("645749869325965"));
    EXPECT_EQ(joined(p.elimination), QStringLiteral("6,4,5,7,9,8,3,2"));
    // Without the options the rows read draws 1500 … 1491.
    const PredictionResult off = scanned(h);
    EXPECT_EQ(off.baseDrawNo, 1500);
    EXPECT_NE(off.elimination, p.elimination);
}

TEST(CycleScan, LaterDrawsOverwriteAndOtherIntervalsStoreNothing) {
    // Draw 13 repeats draw 1 after 12 draws; draw 21 repeats 13 after 8 (no cycle) except its
    // first digit 7, last seen at draw 9 (12 back). Digits seen for the first time (7 at draw
    // 9, 5 at draw 33) store nothing.
    const DrawHistory h = test::history(
        {"1234", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "7000", "0000", "0000",
         "0000", "1234", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "7234", "0000",
         "0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "5555"});
    const PredictionResult p = scanned(h);
    EXPECT_EQ(cycleRow(p, 3), QStringLiteral("7234"));
    for (int k = 0; k < 3; ++k) EXPECT_EQ(cycleRow(p, k), QStringLiteral("...."));
}

TEST(CycleScan, DrawNumbersWithoutACompleteDrawNeverMatch) {
    // Draw 1 incomplete: a 0 at draw 8 must not find it seven draws back.
    const PredictionResult incomplete =
        scanned(test::history({"1_11", "1111", "1111", "1111", "1111", "1111", "1111", "0111"}));
    EXPECT_EQ(cycleRow(incomplete, 0), QStringLiteral("...."));

    // Draw 1 missing altogether.
    const PredictionResult gap =
        scanned(test::history({"1111", "1111", "1111", "1111", "1111", "1111", "0111"}, 2));
    EXPECT_EQ(cycleRow(gap, 0), QStringLiteral("...."));

    // A complete 0 at draw 1 is found: the fix does not hide real appearances.
    const PredictionResult real =
        scanned(test::history({"0999", "1111", "1111", "1111", "1111", "1111", "1111", "0111"}));
    EXPECT_EQ(cycleRow(real, 0), QStringLiteral("0..."));
}

TEST(CycleScan, EmptyFirstPositionSkipsTheWholeCycleIndex) {
    // Cycle index 0 holds 2, 3, 4 at positions 2 … 4 but nothing at position 1.
    const PredictionResult p =
        scanned(test::history({"9234", "5555", "5555", "5555", "5555", "5555", "5555", "5234"}));
    ASSERT_EQ(cycleRow(p, 0), QStringLiteral(".234"));
    // Elimination digits close to 2, 3 and 4 exist …
    ASSERT_TRUE(p.elimination.contains(3));
    // … but the loops never look past the empty first position.
    EXPECT_TRUE(p.rapidFire.empty());
    EXPECT_TRUE(p.oneShot.empty());
}
