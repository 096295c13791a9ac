#include <array>
#include <vector>

#include "core/analysis/analyses.h"
#include "core/analysis/lastdigitheading.h"

namespace pirumoa {

namespace {

constexpr int kColumns = 11;

// The background of a counted cell by the length of the run so far.
Rgb runTint(int count) {
    if (count <= 1) return colour::White;
    if (count <= 3) return colour::PaleAqua;
    if (count <= 5) return colour::LightGreen;
    if (count <= 7) return colour::LightYellow;
    if (count <= 9) return colour::LightViolet;
    if (count == 12) return colour::LightGrey;
    return colour::LightPink;  // 10, 11, and 13 on
}

// Per last digit, the draw numbers it occurred in, once per occurrence, in the order read.
std::array<std::vector<int>, 10> appearanceLists(const DrawHistory& history) {
    std::array<std::vector<int>, 10> lists;
    history.forEachComplete([&](const DrawRecord& r) {
        for (std::int8_t d : r.digits) lists[((d % 10) + 10) % 10].push_back(r.no);
    });
    return lists;
}

// Calls f(draw number, count) for each step of a run in one digit's list: an appearance in
// the draw right after the previous one, or in the same draw again, lengthens the run; a gap
// ends it. Only the first `latest` pairs of neighbours are looked at, so a digit drawn
// several times a draw stops short of the end of its list.
template <class F>
void forEachRunStep(const std::vector<int>& list, int latest, F&& f) {
    int count = 0;
    for (int i = 1; i <= latest; ++i) {
        if (std::size_t(i) >= list.size()) return;
        const int previous = list[i - 1], current = list[i];
        if (current > previous + 1) {
            count = 0;
        } else {
            ++count;
            f(current, count);
        }
    }
}

void setUpGrid(Sheet& s, int latest) {
    const int rows = latest + 4;
    s.setSize(kColumns, rows);
    s.setFrozenRows(2);
    s.setRowHeight(-1, 10);
    s.setColumnWidth(-1, 5);
    s.setColumnWidth(1, drawNumberWidth(latest, 5));
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);
    s.setForeground({1, 1, 1, rows}, colour::Red);
    s.setBackground({1, 1, 1, rows}, colour::LightYellow);
    // Rows follow draw numbers, so a draw without its result keeps its row and its number.
    for (int n = 1; n <= latest; ++n) s.setNumber(1, n + 2, n);
    s.setBorder({1, 3, 1, latest + 3}, Bottom, colour::Black);
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
    s.setBorder({1, h, 1, h}, Outline, colour::Black);
    s.setBorder({2, digits, kColumns, digits}, Outline, colour::Black);
    s.clearBorder({2, heading, kColumns, heading});
    s.setBorder({2, heading, kColumns, heading}, Outline, colour::Black);
    s.setText(1, heading, QStringLiteral("回数"));
    s.setOverflow(true);
    s.setText(2, heading, lastDigitHeadingText());
    s.setAlign({2, heading, 2, heading}, Align::Left);
    s.setRowHeight(heading, 20);
    for (int d = 0; d <= 9; ++d) s.setNumber(d + 2, digits, d);
}

void fillRuns(const std::array<std::vector<int>, 10>& lists, int latest, Sheet& s) {
    for (int d = 0; d <= 9; ++d) {
        forEachRunStep(lists[d], latest, [&](int drawNo, int count) {
            const Block cell{d + 2, drawNo + 2, d + 2, drawNo + 2};
            s.setNumber(d + 2, drawNo + 2, count);
            s.setBorder(cell, Bottom, colour::Black);
            s.setBackground(cell, runTint(count));
        });
    }
}

}  // namespace

void fillLastDigitRuns(const DrawHistory& history, Sheet& sheet) {
    const int latest = history.latestDrawNo;
    const std::array<std::vector<int>, 10> lists = appearanceLists(history);
    setUpGrid(sheet, latest);
    writeHeader(sheet, 1, HeadingOrder::HeadingFirst);
    writeHeader(sheet, latest + 3, HeadingOrder::DigitsFirst);
    fillRuns(lists, latest, sheet);
}

}  // namespace pirumoa
