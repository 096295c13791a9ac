#include "core/prediction/predictionsheets.h"

namespace pirumoa {

namespace {

constexpr int kColumns = 5;
constexpr int kDigitsPerRow = 4;
constexpr Block kAll{-1, -1, -1, -1};
const Rgb kLine = colour::Black;

// Column 1 of the rapid-fire grid is one label box from row 2 down, however many rows the
// grid has.
void formatRapidFireRow(Sheet& s, int row) {
    s.setRowHeight(row, 10);
    s.setCellType({1, row, kColumns, row}, CellType::Static);
    s.setAlign({1, row, kColumns, row}, Align::Center);
    s.setBorder({2, row, kColumns, row}, AllSides, kLine);
    s.clearBorder({1, row, 1, row});
}

// Digits in reading order from column 2 of row 2, four to a row.
void writeDigits(Sheet& s, const DigitList& digits) {
    for (int i = 0; i < digits.size(); ++i)
        s.setText(2 + i % kDigitsPerRow, 2 + i / kDigitsPerRow, QString::number(digits[i]));
}

}  // namespace

void layoutPredictionGrid(int grid, Sheet& s) {
    s = Sheet();
    const int rows = kPredictionGridRows[grid];
    s.setSize(kColumns, rows);
    s.setOverflow(true);  // the heading runs over columns 3 to 5
    s.setColumnWidth(-1, 5);
    s.setColumnWidth(1, 8);
    s.setRowHeight(-1, 10);
    s.setCellType(kAll, CellType::Static);
    s.setAlign(kAll, Align::Center);

    if (grid == 0) {
        s.setBorder(kAll, Top | Bottom, kLine);
        s.setBorder({1, -1, 1, -1}, Right, kLine);
    } else {
        s.setBorder(kAll, AllSides, kLine);
    }
    // The heading and the labels beside several digit rows each read as one cell.
    s.clearBorder({2, 1, kColumns, 1});
    if (grid == 1) s.clearBorder({1, 2, 1, 4});
    if (grid == 2) s.clearBorder({1, 2, 1, 3});

    switch (grid) {
        case 0:
            s.setText(1, 2, QStringLiteral(" 7回周期法"));
            s.setText(1, 3, QStringLiteral(" 9回周期法"));
            s.setText(1, 4, QStringLiteral("11回周期法"));
            s.setText(1, 5, QStringLiteral("12回周期法"));
            break;
        case 1:
            s.setText(1, 3, QStringLiteral("消去法"));
            break;
        case 2:
            s.setText(1, 2, QStringLiteral("連発予想"));
            break;
        case 3:
            s.setText(1, 2, QStringLiteral("１発予想"));
            break;
    }

    s.setText(2, 1, QStringLiteral("             予 想 数 字                   "));
    s.setAlign({2, 1, 2, 1}, Align::Left);
    s.setForeground({1, 1, kColumns, 1}, colour::Blue);
    s.setBackground({1, 1, kColumns, 1}, colour::LightPink);
    s.setActiveCell(0, 0);
}

void layoutPredictionGrids(PredictionSheets& sheets) {
    for (int k = 0; k < kPredictionGridCount; ++k) layoutPredictionGrid(k, sheets[k]);
}

PredictionSheets predictionSheets(const PredictionResult& prediction) {
    PredictionSheets sheets;
    layoutPredictionGrids(sheets);

    for (int k = 0; k < 4; ++k)
        for (int p = 0; p < 4; ++p) {
            const int d = prediction.cycle[std::size_t(k)][std::size_t(p)];
            if (d >= 0) sheets[0].setText(p + 2, k + 2, QString::number(d));
        }

    writeDigits(sheets[1], prediction.elimination);

    // Two rows hold eight digits; a ninth and tenth get a row of their own rather than
    // being lost.
    Sheet& rapid = sheets[2];
    const int rows = 1 + (prediction.rapidFire.size() + kDigitsPerRow - 1) / kDigitsPerRow;
    if (rows > rapid.rowCount()) {
        const int before = rapid.rowCount();
        rapid.setSize(kColumns, rows);
        for (int r = before + 1; r <= rows; ++r) formatRapidFireRow(rapid, r);
    }
    writeDigits(rapid, prediction.rapidFire);

    writeDigits(sheets[3], prediction.oneShot);
    return sheets;
}

}  // namespace pirumoa
