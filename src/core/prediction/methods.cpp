#include "core/prediction/methods.h"

#include <algorithm>

namespace pirumoa {

// No row reads back 8 and none reads position 3; that is how the method is defined.
const std::array<EliminationRule, kEliminationRuleCount> kEliminationRules{{
    {0, 1, +1},
    {0, 2, +8},
    {1, 1, 0},
    {1, 4, -7},
    {2, 4, +8},
    {2, 2, -5},
    {3, 1, +3},
    {3, 4, +1},
    {4, 4, +4},
    {4, 1, +7},
    {5, 4, +6},
    {5, 4, -9},
    {6, 1, +4},
    {7, 2, +1},
    {9, 4, +9},
}};

int wrapDigit(int v) {
    if (v > 9) return v - 9;
    if (v <= 0) return v + 9;
    return v;
}

bool Prediction::reflectOption(int index) const {
    return index >= 0 && index < kReflectOptionCount && m_options[index];
}

void Prediction::setReflectOption(int index, bool on) {
    if (index >= 0 && index < kReflectOptionCount) m_options[index] = on;
}

int Prediction::reflectCount() const {
    return int(std::count(m_options.begin(), m_options.end(), true));
}

bool Prediction::readInitFile(const QString& path) {
    return pirumoa::readInitFile(m_options, path);
}

QString Prediction::writeInitFile(const QString& path) const {
    return pirumoa::writeInitFile(m_options, path);
}

bool Prediction::hasCompleteDraw(int no) const {
    return no >= 1 && std::size_t(no) < m_drawDigits.size() && m_drawDigits[no][0] >= 0;
}

int Prediction::drawDigits(int no, int position) const {
    if (!hasCompleteDraw(no) || position < 1 || position > 4) return 0;
    return m_drawDigits[no][position - 1];
}

QString Prediction::cycleDigits(int cycle, int position) const {
    if (cycle < 0 || cycle > 3 || position < 1 || position > 4) return QString();
    return m_cycleDigits[cycle][position - 1];
}

QString Prediction::eliminationDigits(int row) const {
    if (row < 0 || row >= kEliminationRuleCount) return QString();
    return m_eliminationDigits[row];
}

void Prediction::scan(const DrawHistory& history) {
    history.forEachComplete([&](const DrawRecord& r) { scanDraw(r); });
    m_latestDrawNo = history.latestDrawNo;
    compute();
}

void Prediction::scanDraw(const DrawRecord& r) {
    const int n = r.no;
    if (!r.complete() || n < 1 || n > kMaxDrawNumber) return;  // nothing to read, or no room
    if (std::size_t(n) >= m_drawDigits.size()) m_drawDigits.resize(n + 1, {-1, -1, -1, -1});
    m_drawDigits[n] = r.digits;
    m_latestDrawNo = n;

    for (int p = 0; p < 4; ++p) {
        const std::int8_t d = r.digits[p];
        // Only a complete draw counts as an earlier appearance: a draw number without one
        // holds no digits, not four zeros.
        int m = n - 1;
        for (; m >= 1; --m) {
            const auto& earlier = m_drawDigits[m];
            if (earlier[0] >= 0 && std::find(earlier.begin(), earlier.end(), d) != earlier.end())
                break;
        }
        if (m < 1) continue;
        const auto cycle = std::find(kCycleLengths.begin(), kCycleLengths.end(), n - m);
        if (cycle != kCycleLengths.end())
            m_cycleDigits[cycle - kCycleLengths.begin()][p] = QString::number(d);
    }
}

void Prediction::compute() {
    m_eliminationDigits.fill(QString());
    m_elimination.clear();
    m_rapidFire.clear();
    m_oneShot.clear();
    // Nothing to count back from: all results stay empty rather than show digits made of
    // nothing.
    if (m_latestDrawNo < 1) return;

    const int base = baseDrawNo();
    for (int i = 0; i < kEliminationRuleCount; ++i) {
        const EliminationRule& rule = kEliminationRules[i];
        // A draw before the first, after the table or without a complete draw reads as 0.
        const int v = drawDigits(base - rule.back, rule.position) + rule.addend;
        m_eliminationDigits[i] = QString::number(wrapDigit(v));
        if (!m_elimination.contains(m_eliminationDigits[i]))
            m_elimination << m_eliminationDigits[i];
    }
    collect(3, kEliminationRuleCount, m_rapidFire);
    collect(2, 4, m_oneShot);
}

// Cycle digits within `window` of an elimination digit, walking the elimination rows, then
// the cycle indices, then the positions; an empty cycle digit ends its cycle index.
void Prediction::collect(int window, int limit, QStringList& result) const {
    for (const QString& elimination : m_eliminationDigits) {
        const int e = elimination.toInt();
        for (const auto& cycle : m_cycleDigits) {
            for (const QString& digit : cycle) {
                if (digit.isEmpty()) break;
                const int c = digit.toInt();
                if (c - window <= e && e <= c + window && !result.contains(digit)) {
                    result << digit;
                    if (result.size() >= limit) return;
                }
            }
        }
    }
}

}  // namespace pirumoa
