#include "core/store/drawhistory.h"

namespace pirumoa {

DrawHistory DrawHistory::fromRows(std::vector<DrawRecord> rows) {
    DrawHistory h;
    h.rows = std::move(rows);
    if (h.rows.empty()) return h;  // no rows: every total stays 0, no groups

    for (const DrawRecord& r : h.rows) {
        if (!r.complete()) continue;
        for (std::int8_t d : r.digits) ++h.DigitCount[d];
        h.LatestDrawNo = r.no;
    }

    h.MaxDigitCount = 0;
    h.CountGroupRows = 1;
    h.DigitsByCount.assign(1, QString());
    for (int d = 0; d <= 9; ++d) {
        const int c = h.DigitCount[d];
        if (c > h.MaxDigitCount) {
            h.MaxDigitCount = c;
            h.DigitsByCount.resize(c + 1);
        }
        QString& entry = h.DigitsByCount[c];
        if (entry.isEmpty()) {
            entry = QString::number(d);
            ++h.CountGroupRows;
        } else {
            entry += QLatin1Char(',') + QString::number(d);
        }
    }
    return h;
}

}  // namespace pirumoa
