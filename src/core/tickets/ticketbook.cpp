#include "core/tickets/ticketbook.h"

#include <algorithm>
#include <cstdint>

#include "core/store/labels.h"

namespace pirumoa {

namespace {

constexpr std::size_t kKeys = 10000;  // the numbers 0000 … 9999

int straightKey(const std::array<int, 4>& d) {
    return ((d[0] * 10 + d[1]) * 10 + d[2]) * 10 + d[3];
}

int boxKey(std::array<int, 4> d) {
    std::sort(d.begin(), d.end());
    return straightKey(d);
}

std::array<int, 4> digitsOf(const DrawRecord& r) {
    return {r.digits[0], r.digits[1], r.digits[2], r.digits[3]};
}

long long prizeFor(TicketResult result, const PrizeAmounts* p) {
    if (!p) return -1;
    switch (result) {
        case TicketResult::Straight:
            return p->straight;
        case TicketResult::Box:
            return p->box;
        case TicketResult::SetStraight:
            return p->setStraight;
        case TicketResult::SetBox:
            return p->setBox;
        default:
            return 0;
    }
}

}  // namespace

TicketBook::TicketBook(HistorySnapshot history)
    : m_history(history ? std::move(history) : std::make_shared<const DrawHistory>()),
      m_rowOf(std::size_t(kMaxDrawNo) + 1, -1),
      m_decidedUpTo(std::size_t(kMaxDrawNo) + 1, 0),
      m_straightStart(kKeys + 1, 0),
      m_boxStart(kKeys + 1, 0) {
    // A counting sort by key: count, turn the counts into starts, then place each draw in
    // draw order, so that each group comes out sorted.
    const std::vector<DrawRecord>& rows = m_history->rows;
    std::vector<std::pair<std::int16_t, std::int16_t>> keys(rows.size(), {-1, -1});
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const DrawRecord& r = rows[i];
        if (r.no < 1 || r.no > kMaxDrawNo) continue;
        m_rowOf[std::size_t(r.no)] = int(i);
        if (!r.complete()) continue;
        m_decidedUpTo[std::size_t(r.no)] = 1;
        keys[i] = {std::int16_t(straightKey(digitsOf(r))), std::int16_t(boxKey(digitsOf(r)))};
        ++m_straightStart[std::size_t(keys[i].first) + 1];
        ++m_boxStart[std::size_t(keys[i].second) + 1];
    }
    for (std::size_t no = 1; no < m_decidedUpTo.size(); ++no)
        m_decidedUpTo[no] += m_decidedUpTo[no - 1];
    for (std::size_t k = 0; k < kKeys; ++k) {
        m_straightStart[k + 1] += m_straightStart[k];
        m_boxStart[k + 1] += m_boxStart[k];
    }
    m_straight.resize(std::size_t(m_straightStart[kKeys]));
    m_box.resize(std::size_t(m_boxStart[kKeys]));
    std::vector<int> straightAt(m_straightStart.begin(), m_straightStart.end() - 1);
    std::vector<int> boxAt(m_boxStart.begin(), m_boxStart.end() - 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (keys[i].first < 0) continue;
        m_straight[std::size_t(straightAt[std::size_t(keys[i].first)]++)] = rows[i].no;
        m_box[std::size_t(boxAt[std::size_t(keys[i].second)]++)] = rows[i].no;
    }
}

TicketBook::TicketBook(const DrawHistory& history, const PrizeTable& prizes)
    : TicketBook([&] {
          auto copy = std::make_shared<DrawHistory>(history);
          copy->prizes = prizes;
          return HistorySnapshot(std::move(copy));
      }()) {}

std::pair<int, int> TicketBook::span(const Ticket& t) const {
    return {std::max(1, t.firstDraw), std::min(lastDrawOf(t, latestDrawNo()), kMaxDrawNo)};
}

int TicketBook::decidedBetween(int first, int last) const {
    if (last < first) return 0;
    return m_decidedUpTo[std::size_t(last)] - m_decidedUpTo[std::size_t(first - 1)];
}

std::pair<const int*, const int*> TicketBook::matches(const Ticket& t, bool box, int first,
                                                      int last) const {
    const std::vector<int>& starts = box ? m_boxStart : m_straightStart;
    const std::vector<int>& draws = box ? m_box : m_straight;
    const int key = box ? boxKey(t.digits) : straightKey(t.digits);
    const int* begin = draws.data() + starts[std::size_t(key)];
    const int* end = draws.data() + starts[std::size_t(key) + 1];
    return {std::lower_bound(begin, end, first), std::upper_bound(begin, end, last)};
}

template <class F>
void TicketBook::forEachWin(const Ticket& t, int first, int last, F&& f) const {
    if (last < first) return;
    for (int d : t.digits)
        if (d < 0 || d > 9) return;
    const bool box = t.type != TicketType::Straight;
    const auto [begin, end] = matches(t, box, first, last);
    for (const int* no = begin; no != end; ++no) {
        TicketResult result = TicketResult::Straight;
        if (t.type == TicketType::Box) {
            result = TicketResult::Box;
        } else if (t.type == TicketType::Set) {
            const DrawRecord& r = m_history->rows[std::size_t(m_rowOf[std::size_t(*no)])];
            result = digitsOf(r) == t.digits ? TicketResult::SetStraight : TicketResult::SetBox;
        }
        f(*no, result);
    }
}

TicketTotals TicketBook::totals(const Ticket& t) const {
    TicketTotals out;
    const auto [first, last] = span(t);
    if (last < first) return out;
    const long long cost = static_cast<long long>(t.units) * kUnitPrice;
    out.decidedDraws = decidedBetween(first, last);
    out.pendingDraws = last - first + 1 - out.decidedDraws;
    out.spent = multiplyYen(out.decidedDraws, cost, out.capped);
    out.pendingCost = multiplyYen(out.pendingDraws, cost, out.capped);
    forEachWin(t, first, last, [&](int no, TicketResult result) {
        const long long one = prizeFor(result, m_history->prizes.find(no));
        if (one < 0) {
            out.unknownWins += 1;
            return;
        }
        out.wins += 1;
        out.won = addYen(out.won, multiplyYen(one, t.units, out.capped), out.capped);
    });
    return out;
}

TicketLine TicketBook::line(const Ticket& t, int no) const {
    TicketLine line;
    line.drawNo = no;
    const int row = no >= 1 && no <= kMaxDrawNo ? m_rowOf[std::size_t(no)] : -1;
    if (row < 0) return line;
    const DrawRecord& r = m_history->rows[std::size_t(row)];
    line.date = r.date;
    if (!r.complete()) return line;
    line.drawn = digitsOf(r);
    line.result = judgeTicket(t.type, t.digits, line.drawn);
    if (isWin(line.result)) {
        const long long one = prizeFor(line.result, m_history->prizes.find(no));
        bool capped = false;
        line.prize = one < 0 ? -1 : multiplyYen(one, t.units, capped);
    }
    return line;
}

std::vector<TicketLine> TicketBook::lines(const Ticket& t) const {
    std::vector<TicketLine> out;
    const auto [first, last] = span(t);
    if (last < first) return out;
    out.reserve(std::size_t(last - first + 1));
    for (int no = first; no <= last; ++no) out.push_back(line(t, no));
    return out;
}

std::vector<BalancePoint> TicketBook::balance(const std::vector<Ticket>& tickets) const {
    // Per draw: the cost of the tickets that cover it (a difference array over the draw
    // numbers) and the prizes won on it.
    const std::size_t size = std::size_t(kMaxDrawNo) + 2;
    std::vector<long long> costChange(size, 0);
    std::vector<int> coverChange(size, 0);
    std::vector<long long> won(size, 0);
    bool capped = false;
    int end = 0;
    for (const Ticket& t : tickets) {
        const auto [first, last] = span(t);
        if (last < first) continue;
        const long long cost = static_cast<long long>(t.units) * kUnitPrice;
        costChange[std::size_t(first)] += cost;
        costChange[std::size_t(last) + 1] -= cost;
        coverChange[std::size_t(first)] += 1;
        coverChange[std::size_t(last) + 1] -= 1;
        end = std::max(end, last);
        forEachWin(t, first, last, [&](int no, TicketResult result) {
            const long long one = prizeFor(result, m_history->prizes.find(no));
            if (one > 0)
                won[std::size_t(no)] =
                    addYen(won[std::size_t(no)], multiplyYen(one, t.units, capped), capped);
        });
    }
    std::vector<BalancePoint> out;
    long long cost = 0, balance = 0;
    int covering = 0;
    for (int no = 1; no <= end; ++no) {
        cost += costChange[std::size_t(no)];
        covering += coverChange[std::size_t(no)];
        if (covering == 0 || decidedBetween(no, no) == 0) continue;
        balance = addYen(balance, addYen(-cost, won[std::size_t(no)], capped), capped);
        out.push_back({no, balance});
    }
    return out;
}

TicketBook::RecentWins TicketBook::recentWins(const std::vector<Ticket>& tickets,
                                              int fromDraw) const {
    RecentWins out;
    out.fromDraw = std::max(1, fromDraw);
    out.toDraw = latestDrawNo();
    bool capped = false;
    for (const Ticket& t : tickets) {
        const auto [first, last] = span(t);
        forEachWin(t, std::max(first, out.fromDraw), std::min(last, out.toDraw),
                   [&](int no, TicketResult result) {
                       const long long one = prizeFor(result, m_history->prizes.find(no));
                       if (one < 0) {
                           out.unknownWins += 1;
                       } else {
                           out.wins += 1;
                           out.yen = addYen(out.yen, multiplyYen(one, t.units, capped), capped);
                       }
                   });
    }
    return out;
}

QString recentWinsText(const TicketBook::RecentWins& w) {
    if (w.toDraw < 1) return QStringLiteral("抽せん結果はまだありません。");
    if (w.fromDraw > w.toDraw)
        return QStringLiteral("%1より後の抽せん結果はまだありません。").arg(drawLabel(w.toDraw));
    const QString draws = w.fromDraw == w.toDraw
                              ? drawLabel(w.toDraw)
                              : QStringLiteral("第%1～%2回").arg(w.fromDraw).arg(w.toDraw);
    const int all = w.wins + w.unknownWins;
    if (all == 0) return QStringLiteral("%1：当せんはありません").arg(draws);
    QString text = QStringLiteral("%1：当せん %2件").arg(draws).arg(all);
    if (w.wins > 0) text += QLatin1Char(' ') + yenText(w.yen);
    if (w.unknownWins == all)
        text += QStringLiteral("（当せん金は未登録）");
    else if (w.unknownWins > 0)
        text += QStringLiteral("（うち %1件は当せん金が未登録）").arg(w.unknownWins);
    return text;
}

}  // namespace pirumoa
