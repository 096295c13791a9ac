#include <array>

#include "core/analysis/analyses.h"

namespace pirumoa {

namespace {

constexpr int kColumns = 10;
constexpr int kFirstCount = 6;  // columns 6-10: the five group counts

// The five groups of two digits, in column order, each with the tint of its digits.
constexpr std::array<Rgb, 5> kGroupTint = {colour::White, colour::PaleAqua, colour::LightGreen,
                                           colour::LightYellow, colour::LightViolet};

// 0-1 → 0, 2-3 → 1, 4-5 → 2, 6-7 → 3; every other value falls into the last group, 8-9.
int groupOf(int digit) { return digit >= 0 && digit <= 7 ? digit / 2 : 4; }

std::array<int, 5> groupCounts(const std::array<std::int8_t, 4>& digits) {
    std::array<int, 5> counts{};
    for (std::int8_t d : digits) ++counts[groupOf(d)];
    return counts;
}

void setUpGrid(Sheet& s, int rows, double drawWidth) {
    s.setSize(kColumns, rows);
    s.setFrozenRows(1);
    s.setRowHeight(-1, 10);
    s.setRowHeight(1, 20);
    s.setColumnWidth(-1, 5);
    s.setColumnWidth(1, drawWidth);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);

    s.setForeground({1, 2, 1, rows}, colour::Red);
    s.setBackground({1, 2, 1, rows}, colour::LightYellow);
    for (int g = 1; g < 5; ++g)
        s.setBackground({kFirstCount + g, 2, kFirstCount + g, rows}, kGroupTint[g]);

    s.setBorder({1, 1, kColumns, rows}, AllSides, colour::Black);
    // Sets the digits apart from the counts.
    s.setBorder({kFirstCount, 1, kFirstCount, rows}, Left, colour::Red);
    s.setActiveCell(0, 0);
}

// The heading row, at the top and again below the last draw.
void writeHeadingRow(Sheet& s, int h) {
    // The heading runs across the digit columns as one box, underlined up to the counts.
    s.clearBorder({2, h, 5, h});
    s.setBorder({2, h, kFirstCount, h}, Bottom, colour::Black);
    s.setForeground({1, h, kColumns, h}, colour::Black);
    s.setBackground({1, h, kColumns, h}, colour::LightPink);
    s.setForeground({kFirstCount, h, kColumns, h}, colour::Blue);
    s.setBackground({kFirstCount, h, kColumns, h}, colour::Lavender);
    s.setOverflow(true);
    s.setText(3, h, QStringLiteral("   当 選 数 字"));
    s.setAlign({3, h, 3, h}, Align::Left);
    s.setRowHeight(h, 20);
    s.setText(1, h, QStringLiteral("回数"));
    const std::array<QString, 5> groups = {QStringLiteral("0～1"), QStringLiteral("2～3"),
                                           QStringLiteral("4～5"), QStringLiteral("6～7"),
                                           QStringLiteral("8～9")};
    for (int g = 0; g < 5; ++g) s.setText(kFirstCount + g, h, groups[g]);
}

void fillDraws(const DrawHistory& history, Sheet& s) {
    std::array<QString, 10> digitText;
    for (int d = 0; d <= 9; ++d) digitText[d] = QString::number(d);
    int row = 2;
    history.forEachComplete([&](const DrawRecord& r) {
        s.setNumber(1, row, r.no);
        for (int k = 0; k < 4; ++k) {
            const int d = r.digits[k];
            s.setText(k + 2, row, d <= 9 ? digitText[d] : QString::number(d));
            s.setBackground({k + 2, row, k + 2, row}, kGroupTint[groupOf(d)]);
        }
        const std::array<int, 5> counts = groupCounts(r.digits);
        for (int g = 0; g < 5; ++g) s.setText(kFirstCount + g, row, digitText[counts[g]]);
        ++row;
    });
}

}  // namespace

void fillFiveGroupTendency(const DrawHistory& history, Sheet& sheet) {
    const int rows = history.latestDrawNo + 2;
    setUpGrid(sheet, rows, drawNumberWidth(history.latestDrawNo, 6));
    writeHeadingRow(sheet, 1);
    writeHeadingRow(sheet, rows);
    fillDraws(history, sheet);
}

}  // namespace pirumoa
