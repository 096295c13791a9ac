#include "core/analysis/intervalgrid.h"

#include "core/analysis/analyses.h"
#include "core/sheet/colours.h"

namespace pirumoa {

namespace {

constexpr int kColumns = 9;

void setUpGrid(Sheet& s, int rows, double drawWidth) {
    s.setSize(kColumns, rows);
    s.setFrozenRows(2);
    s.setOverflow(true);
    s.setRowHeight(-1, 10);
    s.setRowHeight(1, 15);
    s.setRowHeight(2, 12);
    // The digit and interval columns wide enough for "第1数字" and "10回前" in today's fonts.
    s.setColumnWidth(-1, 8);
    s.setColumnWidth(1, drawWidth);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);

    s.setForeground({1, 1, 1, rows}, colour::Red);
    s.setBackground({1, 1, 1, rows}, colour::LightYellow);
    for (int c = 2; c <= 8; c += 2) s.setBackground({c, 3, c, rows}, colour::PaleAqua);
    s.setBorder({1, 1, kColumns, rows}, AllSides, colour::Black);
}

void writeHeadingRow(Sheet& s, int row, const IntervalHeadings& h) {
    const Block band{2, row, kColumns, row};
    s.clearBorder(band);
    if (h.outline) s.setBorder(band, Outline, colour::Black);
    s.setText(5, row, h.heading);
    s.setAlign({5, row, 5, row}, Align::Left);
}

void writeTitlesRow(Sheet& s, int row, const IntervalHeadings& h) {
    s.setText(1, row, QStringLiteral("回数"));
    for (int p = 1; p <= 4; ++p) {
        s.setText(2 * p, row, QStringLiteral("第%1数字").arg(p));
        s.setText(2 * p + 1, row, h.valueTitle);
    }
}

void headingColours(Sheet& s, int firstRow, int lastRow) {
    const Block b{2, firstRow, kColumns, lastRow};
    s.setForeground(b, colour::Black);
    s.setBackground(b, colour::LightPink);
}

}  // namespace

void layOutIntervalGrid(Sheet& s, int latestDrawNo, const IntervalHeadings& h) {
    const int rows = latestDrawNo + 4;
    setUpGrid(s, rows, drawNumberWidth(latestDrawNo, 5));

    writeHeadingRow(s, 1, h);
    writeTitlesRow(s, 2, h);
    headingColours(s, 1, 2);

    writeTitlesRow(s, rows - 1, h);
    writeHeadingRow(s, rows, h);
    headingColours(s, rows - 1, rows);

    s.setActiveCell(0, 0);
}

}  // namespace pirumoa
