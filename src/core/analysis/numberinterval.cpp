#include <array>

#include "core/analysis/analyses.h"
#include "core/analysis/intervalgrid.h"

namespace pirumoa {

namespace {

// Each digit against the digit at the same position of the last complete draw before it.
// The first record has nothing to compare with; when that record has no result, the first
// complete draw is compared with 0, 0, 0, 0.
void fill(const DrawHistory& history, Sheet& s) {
    std::array<int, 4> previous{};
    std::array<QString, 19> stepText;  // -9 … +9: a rise carries its sign, no change is 0
    for (int step = -9; step <= 9; ++step)
        stepText[step + 9] = (step > 0 ? QStringLiteral("+") : QString()) + QString::number(step);
    int row = 3;
    for (const DrawRecord& r : history.rows) {
        if (r.complete()) {
            s.setNumber(1, row, r.no);
            for (int p = 0; p < 4; ++p) {
                const int col = 2 * p + 2;
                s.setNumber(col, row, r.digits[p]);
                if (row == 3) continue;
                const int step = r.digits[p] - previous[p];
                s.setText(col + 1, row, stepText[step + 9]);
                if (step < 0) s.setBackground({col + 1, row, col + 1, row}, colour::LightViolet);
            }
            for (int p = 0; p < 4; ++p) previous[p] = r.digits[p];
        }
        ++row;  // an incomplete record keeps its row, empty
    }
}

}  // namespace

void fillNumberInterval(const DrawHistory& history, Sheet& sheet) {
    layOutIntervalGrid(sheet, history.latestDrawNo,
                       {.valueTitle = QStringLiteral("差分"),
                        .heading = QStringLiteral("   当 選 数 字"),
                        .outline = false});
    fill(history, sheet);
}

}  // namespace pirumoa
