#include <cstdlib>

#include "core/analysis/analyses.h"

namespace pirumoa {

namespace {

constexpr int kColumns = 10;
// The two blocks, each a draw-number column and four digit columns: consecutive pairs on the
// left, skip-one pairs on the right.
constexpr int kConsecutiveBlock = 1;
constexpr int kSkipBlock = 6;

void setUpGrid(Sheet& s, int rows, double drawWidth) {
    s.setSize(kColumns, rows);
    s.setFrozenRows(1);
    s.setRowHeight(-1, 10);
    s.setColumnWidth(-1, 5);
    s.setColumnWidth(kConsecutiveBlock, drawWidth);
    s.setColumnWidth(kSkipBlock, drawWidth);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);
    for (int c : {kConsecutiveBlock, kSkipBlock}) {
        s.setForeground({c, 1, c, rows}, colour::Red);
        s.setBackground({c, 1, c, rows}, colour::LightYellow);
    }
    s.setBorder({1, 1, kColumns, rows}, AllSides, colour::Black);
    s.setActiveCell(0, 0);
}

void writeHeading(Sheet& s, int block, const QString& heading, Rgb background) {
    const Block digits{block + 1, 1, block + 4, 1};
    s.clearBorder(digits);
    s.setBorder(digits, Outline, colour::Black);
    s.setBackground(digits, background);
    s.setText(block, 1, QStringLiteral("回数"));
    s.setOverflow(true);
    s.setText(block + 2, 1, heading);
    s.setAlign({block + 2, 1, block + 2, 1}, Align::Left);
}

// Writes the draw into the block, colours each neighbouring pair whose digits lie `step`
// apart, and greys the draw number when there is none.
void writeDraw(Sheet& s, int block, int row, const DrawRecord& r, int step, Rgb mark) {
    s.setNumber(block, row, r.no);
    for (int k = 0; k < 4; ++k) s.setNumber(block + 1 + k, row, r.digits[k]);
    int pairs = 0;
    for (int k = 0; k < 3; ++k) {
        if (std::abs(r.digits[k] - r.digits[k + 1]) != step) continue;
        ++pairs;
        s.setBackground({block + 1 + k, row, block + 2 + k, row}, mark);
    }
    if (pairs == 0) s.setBackground({block, row, block, row}, colour::LightGrey);
}

}  // namespace

void fillConsecutiveSkip(const DrawHistory& history, Sheet& sheet) {
    setUpGrid(sheet, history.latestDrawNo + 1, drawNumberWidth(history.latestDrawNo, 6));
    writeHeading(sheet, kConsecutiveBlock, QStringLiteral("連番(当選数字)"), colour::LightViolet);
    writeHeading(sheet, kSkipBlock, QStringLiteral("飛び石(当選数字)"), colour::LightPink);
    int row = 2;
    history.forEachComplete([&](const DrawRecord& r) {
        writeDraw(sheet, kConsecutiveBlock, row, r, 1, colour::PaleAqua);
        writeDraw(sheet, kSkipBlock, row, r, 2, colour::LightGreen);
        ++row;
    });
}

}  // namespace pirumoa
