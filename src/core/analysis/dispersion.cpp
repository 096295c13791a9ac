#include "core/analysis/analyses.h"

namespace pirumoa {

namespace {

constexpr int kColumns = 12;
constexpr int kHeaderRow = 2;

void setUpGrid(Sheet& s, int rows, double drawWidth) {
    s.setSize(kColumns, rows);
    s.setFrozenRows(2);
    s.setRowHeight(-1, 10);
    s.setRowHeight(1, 15);
    s.setRowHeight(2, 15);
    s.setColumnWidth(-1, 2);
    s.setColumnWidth(1, drawWidth);
    s.setColumnWidth(kColumns, drawWidth);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);

    s.setBorder({2, 1, 11, 1}, Outline, colour::LightBlue);
    s.setBorder({1, 1, 1, 1}, Right, colour::LightBlue);
    s.setOverflow(true);
    // Centred over the ten digit columns: their middle, 6½, is taken as 6.
    const int title = Sheet::midway(2, 11);
    s.setText(title, 1, QStringLiteral("数　　　　　　　字"));
    s.setForeground({title, 1, title, 1}, colour::Blue);
    s.setBackground({2, 1, 11, 1}, colour::LightCyan);
    for (int c : {1, kColumns}) {
        s.setForeground({c, 1, c, rows}, colour::Red);
        s.setBackground({c, 1, c, rows}, colour::LightYellow);
    }
    s.setBorder({1, 2, kColumns, rows}, AllSides, colour::LightBlue);
    s.setActiveCell(0, 0);
}

void writeHeaderRow(Sheet& s, int row) {
    const QString draw = QStringLiteral("回");
    s.setText(1, row, draw);
    for (int d = 0; d <= 9; ++d) s.setNumber(d + 2, row, d);
    s.setText(kColumns, row, draw);
    s.setForeground({2, row, 11, row}, colour::Blue);
    s.setBackground({2, row, 11, row}, colour::LightCyan);
}

// The grid keeps one row after the draws; it repeats the header, so that the digit labels
// are at hand at the foot of a long history too. It never falls on a draw's row: there are
// never more complete draws than the latest draw number.
void writeHeaders(Sheet& s) {
    writeHeaderRow(s, kHeaderRow);
    writeHeaderRow(s, s.rowCount());
}

void fillDots(const DrawHistory& history, Sheet& s) {
    const QString dot = QStringLiteral("●");
    const int footer = s.rowCount();
    int row = kHeaderRow + 1;
    history.forEachComplete([&](const DrawRecord& r) {
        if (row >= footer) return;
        s.setNumber(1, row, r.no);
        s.setNumber(kColumns, row, r.no);
        for (std::int8_t d : r.digits) {
            s.setText(d + 2, row, dot);
            s.setForeground({d + 2, row, d + 2, row}, colour::MidBlue);
        }
        ++row;
    });
}

}  // namespace

void fillDispersion(const DrawHistory& history, Sheet& sheet) {
    setUpGrid(sheet, history.latestDrawNo + 3, drawNumberWidth(history.latestDrawNo, 5));
    writeHeaders(sheet);
    fillDots(history, sheet);
}

}  // namespace pirumoa
