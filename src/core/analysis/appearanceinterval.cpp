#include <array>
#include <vector>

#include "core/analysis/analyses.h"
#include "core/analysis/intervalgrid.h"

namespace pirumoa {

namespace {

// How many draws ago each digit of a draw had last been drawn, at any position. Only complete
// draws count as earlier appearances: a draw number that is missing or has no result yet
// holds no digit, not four zeros. The draws come in ascending number, so the latest earlier
// draw holding a digit is simply the last one seen with it.
void fill(const DrawHistory& history, Sheet& s) {
    std::array<int, 10> lastDrawn{};  // 0: not drawn yet
    const QString first = QStringLiteral("初回");
    std::vector<QString> ago;  // "k回前", built once for each k met
    auto agoText = [&](int k) -> const QString& {
        if (std::size_t(k) >= ago.size()) ago.resize(std::size_t(k) + 1);
        if (ago[k].isEmpty()) ago[k] = QString::number(k) + QStringLiteral("回前");
        return ago[k];
    };

    int row = 3;
    for (const DrawRecord& r : history.rows) {
        if (r.complete()) {
            s.setNumber(1, row, r.no);
            for (int p = 0; p < 4; ++p) {
                const int d = r.digits[p];
                s.setNumber(2 * p + 2, row, d);
                s.setText(2 * p + 3, row, lastDrawn[d] ? agoText(r.no - lastDrawn[d]) : first);
            }
            // After all four: a digit repeated in the draw is not its own earlier appearance.
            for (std::int8_t d : r.digits) lastDrawn[d] = r.no;
        }
        ++row;  // an incomplete record keeps its row, empty
    }
}

}  // namespace

void fillAppearanceInterval(const DrawHistory& history, Sheet& sheet) {
    layOutIntervalGrid(sheet, history.latestDrawNo,
                       {.valueTitle = QStringLiteral("出現"),
                        .heading = QStringLiteral("    当 選 数 字     "),
                        .outline = true});
    fill(history, sheet);
}

}  // namespace pirumoa
