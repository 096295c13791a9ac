#include <array>

#include "core/analysis/analyses.h"
#include "core/analysis/lastdigitheading.h"

namespace pirumoa {

namespace {

constexpr int kColumns = 11;

// The background of a mark cell by how often its last digit occurs in the draw.
Rgb occurrenceTint(int occurrences) {
    switch (occurrences) {
        case 0:
        case 1:
            return colour::White;
        case 2:
            return colour::PaleAqua;
        case 3:
            return colour::LightGreen;
        default:
            return colour::LightPink;
    }
}

// How many of the draw's numbers end in each last digit: the length of the digit's mark,
// which repeats it once per number.
std::array<int, 10> occurrences(const std::array<std::int8_t, 4>& digits) {
    std::array<int, 10> count{};
    for (std::int8_t d : digits) ++count[((d % 10) + 10) % 10];
    return count;
}

void setUpGrid(Sheet& s, int rows, double drawWidth) {
    s.setSize(kColumns, rows);
    s.setFrozenRows(2);
    s.setRowHeight(-1, 10);
    s.setColumnWidth(-1, 5);
    s.setColumnWidth(1, drawWidth);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);
    s.setForeground({1, 1, 1, rows}, colour::Red);
    s.setBackground({1, 1, 1, rows}, colour::LightYellow);
    s.setBorder({1, 2, kColumns, rows}, AllSides, colour::Black);
    s.setActiveCell(0, 0);
}

// The two header rows from row h: the heading row and the row of digit labels, in the given
// order (the pair at the bottom mirrors the one at the top).
void writeHeader(Sheet& s, int h, HeadingOrder order) {
    const int heading = order == HeadingOrder::HeadingFirst ? h : h + 1;
    const int digits = order == HeadingOrder::HeadingFirst ? h + 1 : h;
    s.setForeground({2, h, kColumns, h + 1}, colour::Blue);
    s.setBackground({2, h, kColumns, h + 1}, colour::LightPink);
    s.setBorder({1, heading, 1, heading}, Outline, colour::Black);
    s.clearBorder({2, heading, kColumns, heading});
    s.setBorder({2, heading, kColumns, heading}, Outline, colour::Black);
    s.setText(1, heading, QStringLiteral("回数"));
    s.setOverflow(true);
    s.setText(2, heading, lastDigitHeadingText());
    s.setAlign({2, heading, 2, heading}, Align::Left);
    s.setRowHeight(heading, 20);
    for (int d = 0; d <= 9; ++d) s.setNumber(d + 2, digits, d);
}

void fillMarks(const DrawHistory& history, Sheet& s) {
    // Every text a mark cell can hold: digit d repeated 0 to 4 times.
    std::array<std::array<QString, 5>, 10> marks;
    for (int d = 0; d <= 9; ++d)
        for (int n = 1; n <= 4; ++n) marks[d][n] = QString(n, QChar(u'0' + d));
    int row = 3;
    history.forEachComplete([&](const DrawRecord& r) {
        s.setNumber(1, row, r.no);
        const std::array<int, 10> count = occurrences(r.digits);
        for (int d = 0; d <= 9; ++d) {
            s.setText(d + 2, row, marks[d][count[d]]);
            s.setBackground({d + 2, row, d + 2, row}, occurrenceTint(count[d]));
        }
        ++row;
    });
}

}  // namespace

void fillLastDigitTendency(const DrawHistory& history, Sheet& sheet) {
    const int latest = history.latestDrawNo;
    setUpGrid(sheet, latest + 4, drawNumberWidth(latest, 5));
    writeHeader(sheet, 1, HeadingOrder::HeadingFirst);
    writeHeader(sheet, latest + 3, HeadingOrder::DigitsFirst);
    fillMarks(history, sheet);
}

}  // namespace pirumoa
