#include <algorithm>
#include <array>

#include "core/analysis/analyses.h"

namespace pirumoa {

namespace {

constexpr int kColumns = 11;

void setUpGrid(Sheet& s, int peak) {
    const int rows = peak + 2;
    s.setSize(kColumns, peak + 2);
    s.setFrozenRows(2);
    s.setOverflow(true);
    s.setRowHeight(-1, 10);
    s.setRowHeight(1, 15);
    s.setRowHeight(2, 15);
    s.setColumnWidth(-1, 3);
    // Wide enough for "出現数" in today's fonts.
    s.setColumnWidth(1, 6.5);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);

    s.setBackground({1, 1, kColumns, rows}, colour::LightYellow);
    s.setBorder({1, 1, kColumns, rows}, Outline, colour::LightBlue);
    s.setBorder({1, 1, 1, rows}, Right, colour::LightBlue);
    s.setForeground({5, 1, 5, 1}, colour::Red);
    s.setAlign({5, 1, 5, 1}, Align::Left);
    s.setForeground({1, 1, 1, rows}, colour::Blue);
    s.setBackground({1, 1, 1, rows}, colour::LightCyan);
    s.setBorder({1, 2, kColumns, rows}, AllSides, colour::LightBlue);
    s.setForeground({2, 2, kColumns, 2}, colour::Red);
    s.setBackground({2, 2, kColumns, 2}, colour::LightYellow);
    s.setForeground({2, 3, kColumns, rows}, colour::MidBlue);
}

void writeLabels(Sheet& s, int peak) {
    s.setText(5, 1, QStringLiteral("　　当 選 数 字"));
    s.setText(1, 2, QStringLiteral("出現数"));
    for (int d = 0; d <= 9; ++d) s.setNumber(d + 2, 2, d);
    for (int k = 1; k <= peak; ++k) s.setNumber(1, k + 2, k);
}

void fillMarks(const DrawHistory& history, Sheet& s) {
    std::array<int, 11> running{};
    const QString mark = QStringLiteral("●");
    history.forEachComplete([&](const DrawRecord& r) {
        for (std::int8_t d : r.digits) {
            s.setText(d + 2, running[d] + 3, mark);
            ++running[d];
        }
    });
}

}  // namespace

void fillAppearanceFrequency(const DrawHistory& history, Sheet& sheet) {
    const int peak = *std::max_element(history.digitCount.begin(), history.digitCount.end());
    setUpGrid(sheet, peak);
    writeLabels(sheet, peak);
    fillMarks(history, sheet);
    sheet.setActiveCell(0, 0);
}

}  // namespace pirumoa
