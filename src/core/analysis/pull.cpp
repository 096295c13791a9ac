#include <optional>

#include "core/analysis/analyses.h"

namespace pirumoa {

namespace {

constexpr int kColumns = 5;

void setUpGrid(Sheet& s, int rows, double drawWidth) {
    s.setSize(kColumns, rows);
    s.setFrozenRows(1);
    s.setRowHeight(-1, 10);
    s.setRowHeight(1, 15);
    s.setColumnWidth(-1, 6);
    s.setColumnWidth(1, drawWidth);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);
    s.setForeground({1, 1, 1, rows}, colour::Red);
    s.setBackground({1, 1, 1, rows}, colour::LightYellow);
    s.setBorder({1, 1, kColumns, rows}, AllSides, colour::Black);
    s.setActiveCell(0, 0);
}

void writeHeader(Sheet& s) {
    s.setRowHeight(1, 15);
    // An open box over the digit columns: only its floor is drawn.
    s.clearBorder({2, 1, 5, 1});
    s.setBorder({2, 1, 5, 1}, Bottom, colour::Black);
    s.setForeground({1, 1, kColumns, 1}, colour::Black);
    s.setBackground({1, 1, kColumns, 1}, colour::LightPink);
    s.setText(1, 1, QStringLiteral("回数"));
    s.setOverflow(true);
    s.setText(3, 1, QStringLiteral("　　当 選 数 字"));
    s.setAlign({3, 1, 3, 1}, Align::Left);
}

void fillDraws(const DrawHistory& history, Sheet& s) {
    // Only a complete draw becomes the one the next is compared with.
    std::optional<std::array<std::int8_t, 4>> previous;
    int row = 2;
    history.forEachComplete([&](const DrawRecord& r) {
        s.setNumber(1, row, r.no);
        for (int k = 0; k < 4; ++k) s.setNumber(k + 2, row, r.digits[k]);
        if (previous)
            for (int k = 0; k < 4; ++k)
                for (std::int8_t p : *previous)
                    if (r.digits[k] == p)
                        s.setBackground({k + 2, row, k + 2, row}, colour::PaleAqua);
        previous = r.digits;
        ++row;
    });
}

}  // namespace

void fillPull(const DrawHistory& history, Sheet& sheet) {
    setUpGrid(sheet, history.latestDrawNo + 1, drawNumberWidth(history.latestDrawNo, 6));
    writeHeader(sheet);
    fillDraws(history, sheet);
}

}  // namespace pirumoa
