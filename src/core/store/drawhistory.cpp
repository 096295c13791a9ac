#include "core/store/drawhistory.h"

namespace pirumoa {

void PrizeTable::set(int drawNo, const PrizeAmounts& prizes) {
    if (drawNo < 1 || drawNo > kMaxDrawNo) return;
    if (m_byDraw.size() <= std::size_t(drawNo)) m_byDraw.resize(std::size_t(drawNo) + 1);
    if (!m_byDraw[std::size_t(drawNo)]) ++m_count;
    m_byDraw[std::size_t(drawNo)] = prizes;
}

void PrizeTable::erase(int drawNo) {
    if (drawNo < 1 || std::size_t(drawNo) >= m_byDraw.size() || !m_byDraw[std::size_t(drawNo)])
        return;
    m_byDraw[std::size_t(drawNo)].reset();
    --m_count;
}

const PrizeAmounts* PrizeTable::find(int drawNo) const {
    if (drawNo < 0 || std::size_t(drawNo) >= m_byDraw.size() || !m_byDraw[std::size_t(drawNo)])
        return nullptr;
    return &*m_byDraw[std::size_t(drawNo)];
}

DrawHistory DrawHistory::fromRows(std::vector<DrawRecord> rows) {
    DrawHistory h;
    h.rows = std::move(rows);
    if (h.rows.empty()) return h;  // no rows: every total stays 0, no groups

    for (const DrawRecord& r : h.rows) {
        if (!r.complete()) continue;
        for (std::int8_t d : r.digits) ++h.digitCount[d];
        h.latestDrawNo = r.no;
    }

    h.maxDigitCount = 0;
    h.countGroupRows = 1;
    h.digitsByCount.assign(1, QString());
    for (int d = 0; d <= 9; ++d) {
        const int c = h.digitCount[d];
        if (c > h.maxDigitCount) {
            h.maxDigitCount = c;
            h.digitsByCount.resize(c + 1);
        }
        QString& entry = h.digitsByCount[c];
        if (entry.isEmpty()) {
            entry = QString::number(d);
            ++h.countGroupRows;
        } else {
            entry += QLatin1Char(',') + QString::number(d);
        }
    }
    return h;
}

}  // namespace pirumoa
