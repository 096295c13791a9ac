#include "core/store/drawhistory.h"

namespace pirumoa {

PrizeTable::Table& PrizeTable::own() {
    if (!m_byDraw)
        m_byDraw = std::make_shared<Table>();
    else if (m_byDraw.use_count() > 1)
        m_byDraw = std::make_shared<Table>(*m_byDraw);
    return *m_byDraw;
}

void PrizeTable::set(int drawNo, const PrizeAmounts& prizes) {
    if (drawNo < 1 || drawNo > kMaxDrawNo) return;
    const PrizeAmounts* now = find(drawNo);
    if (now && *now == prizes) return;
    Table& table = own();
    if (table.size() <= std::size_t(drawNo)) table.resize(std::size_t(drawNo) + 1);
    if (!table[std::size_t(drawNo)]) ++m_count;
    table[std::size_t(drawNo)] = prizes;
}

void PrizeTable::erase(int drawNo) {
    if (!find(drawNo)) return;
    own()[std::size_t(drawNo)].reset();
    --m_count;
}

const PrizeAmounts* PrizeTable::find(int drawNo) const {
    if (!m_byDraw || drawNo < 0 || std::size_t(drawNo) >= m_byDraw->size() ||
        !(*m_byDraw)[std::size_t(drawNo)])
        return nullptr;
    return &*(*m_byDraw)[std::size_t(drawNo)];
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
