#include "core/tickets/ticket.h"

#include <algorithm>
#include <limits>
#include <map>

namespace pirumoa {

QString typeLabel(TicketType type) {
    switch (type) {
        case TicketType::Straight:
            return QStringLiteral("ストレート");
        case TicketType::Box:
            return QStringLiteral("ボックス");
        case TicketType::Set:
            return QStringLiteral("セット");
    }
    return QString();
}

QString typeKey(TicketType type) {
    switch (type) {
        case TicketType::Straight:
            return QStringLiteral("straight");
        case TicketType::Box:
            return QStringLiteral("box");
        case TicketType::Set:
            return QStringLiteral("set");
    }
    return QString();
}

std::optional<TicketType> parseTicketType(const QString& text) {
    const QString t = text.trimmed();
    for (TicketType type : {TicketType::Straight, TicketType::Box, TicketType::Set})
        if (t.compare(typeKey(type), Qt::CaseInsensitive) == 0 || t == typeLabel(type)) return type;
    return std::nullopt;
}

std::optional<std::array<int, 4>> parseTicketNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() != 4) return std::nullopt;
    std::array<int, 4> digits{};
    for (int i = 0; i < 4; ++i) {
        const int v = t[i].digitValue();  // full-width digits as typed by a Japanese IME too
        if (v < 0 || v > 9) return std::nullopt;
        digits[std::size_t(i)] = v;
    }
    return digits;
}

QString numberText(const std::array<int, 4>& digits) {
    QString s;
    for (int d : digits) s += d < 0 ? QLatin1Char('-') : QChar(u'0' + d);
    return s;
}

QString ticketProblem(const Ticket& t) {
    for (int d : t.digits)
        if (d < 0 || d > 9) return QStringLiteral("数字は4桁（各桁 0～9）で入力してください。");
    const bool quad =
        std::all_of(t.digits.begin(), t.digits.end(), [&](int d) { return d == t.digits[0]; });
    if (quad && t.type != TicketType::Straight)
        return QStringLiteral(
                   "4つとも同じ数字（%"
                   "1）はボックスやセットでは買えません（並べ替えが1通りしかないため）。"
                   "ストレートで登録してください。")
            .arg(numberText(t.digits));
    if (t.units < 1 || t.units > kMaxUnits)
        return QStringLiteral("口数は 1～%1 で指定してください。").arg(kMaxUnits);
    if (t.firstDraw < 1 || t.firstDraw > kMaxDrawNo)
        return QStringLiteral("開始回は 1～%1 で指定してください。").arg(kMaxDrawNo);
    if (t.draws != kUntilToday && (t.draws < 1 || t.draws > kMaxConsecutiveDraws))
        return QStringLiteral("継続回数は 1～%1 か「今日まで」で指定してください。")
            .arg(kMaxConsecutiveDraws);
    if (t.draws != kUntilToday && t.firstDraw + t.draws - 1 > kMaxDrawNo)
        return QStringLiteral("最後の回が %1 を超えます。").arg(kMaxDrawNo);
    return QString();
}

QString resultLabel(TicketResult result) {
    switch (result) {
        case TicketResult::Straight:
            return QStringLiteral("ストレート当せん");
        case TicketResult::Box:
            return QStringLiteral("ボックス当せん");
        case TicketResult::SetStraight:
            return QStringLiteral("セット(ストレート)当せん");
        case TicketResult::SetBox:
            return QStringLiteral("セット(ボックス)当せん");
        case TicketResult::Miss:
            return QStringLiteral("はずれ");
        case TicketResult::Pending:
            return QStringLiteral("抽せん前");
    }
    return QString();
}

TicketResult judgeTicket(TicketType type, const std::array<int, 4>& ticket,
                         const std::array<int, 4>& drawn) {
    const bool straight = ticket == drawn;
    std::array<int, 4> a = ticket, b = drawn;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    const bool box = a == b;
    switch (type) {
        case TicketType::Straight:
            return straight ? TicketResult::Straight : TicketResult::Miss;
        case TicketType::Box:
            return box ? TicketResult::Box : TicketResult::Miss;
        case TicketType::Set:
            return straight ? TicketResult::SetStraight
                   : box    ? TicketResult::SetBox
                            : TicketResult::Miss;
    }
    return TicketResult::Miss;
}

namespace {

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

const DrawRecord* findDraw(const DrawHistory& history, int no) {
    const auto it = std::lower_bound(history.rows.begin(), history.rows.end(), no,
                                     [](const DrawRecord& r, int n) { return r.no < n; });
    return it != history.rows.end() && it->no == no ? &*it : nullptr;
}

}  // namespace

long long addYen(long long a, long long b, bool& capped) {
    long long sum = 0;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    capped = true;
    return b > 0 ? std::numeric_limits<long long>::max() : std::numeric_limits<long long>::min();
}

long long multiplyYen(long long a, long long b, bool& capped) {
    long long product = 0;
    if (!__builtin_mul_overflow(a, b, &product)) return product;
    capped = true;
    return (a < 0) != (b < 0) ? std::numeric_limits<long long>::min()
                              : std::numeric_limits<long long>::max();
}

TicketTotals& TicketTotals::operator+=(const TicketTotals& o) {
    decidedDraws += o.decidedDraws;
    pendingDraws += o.pendingDraws;
    wins += o.wins;
    unknownWins += o.unknownWins;
    capped = capped || o.capped;
    spent = addYen(spent, o.spent, capped);
    won = addYen(won, o.won, capped);
    pendingCost = addYen(pendingCost, o.pendingCost, capped);
    return *this;
}

TicketCheck checkTicket(const Ticket& ticket, const DrawHistory& history,
                        const PrizeTable& prizes) {
    TicketCheck out;
    const int last =
        ticket.draws == kUntilToday ? history.latestDrawNo : ticket.firstDraw + ticket.draws - 1;
    const long long cost = static_cast<long long>(ticket.units) * kUnitPrice;
    for (int no = std::max(1, ticket.firstDraw); no <= std::min(last, kMaxDrawNo); ++no) {
        TicketLine line;
        line.drawNo = no;
        const DrawRecord* draw = findDraw(history, no);
        if (draw) line.date = draw->date;
        if (!draw || !draw->complete()) {
            out.totals.pendingDraws += 1;
            out.totals.pendingCost = addYen(out.totals.pendingCost, cost, out.totals.capped);
            out.lines.push_back(line);
            continue;
        }
        for (int p = 0; p < 4; ++p) line.drawn[std::size_t(p)] = draw->digits[std::size_t(p)];
        line.result = judgeTicket(ticket.type, ticket.digits, line.drawn);
        out.totals.decidedDraws += 1;
        out.totals.spent = addYen(out.totals.spent, cost, out.totals.capped);
        if (isWin(line.result)) {
            const long long one = prizeFor(line.result, prizes.find(no));
            if (one < 0) {
                line.prize = -1;
                out.totals.unknownWins += 1;
            } else {
                line.prize = multiplyYen(one, ticket.units, out.totals.capped);
                out.totals.wins += 1;
                out.totals.won = addYen(out.totals.won, line.prize, out.totals.capped);
            }
        }
        out.lines.push_back(line);
    }
    return out;
}

std::vector<BalancePoint> cumulativeBalance(const std::vector<TicketCheck>& checks) {
    bool capped = false;
    std::map<int, long long> change;
    for (const TicketCheck& c : checks)
        for (const TicketLine& l : c.lines) {
            if (l.result == TicketResult::Pending) continue;
            // The cost of a draw is the same for every line of a ticket: spent ÷ decided.
            const long long cost =
                c.totals.decidedDraws ? c.totals.spent / c.totals.decidedDraws : 0;
            long long& at = change[l.drawNo];
            at = addYen(at, (l.prize > 0 ? l.prize : 0) - cost, capped);
        }
    std::vector<BalancePoint> out;
    long long balance = 0;
    for (const auto& [no, delta] : change) {
        balance = addYen(balance, delta, capped);
        out.push_back({no, balance});
    }
    return out;
}

QString yenText(long long yen) {
    // The magnitude unsigned: the smallest amount has no positive counterpart.
    const unsigned long long magnitude = yen < 0 ? 0ULL - static_cast<unsigned long long>(yen)
                                                 : static_cast<unsigned long long>(yen);
    QString digits = QString::number(magnitude);
    for (int i = int(digits.size()) - 3; i > 0; i -= 3) digits.insert(i, QLatin1Char(','));
    return (yen < 0 ? QStringLiteral("-") : QString()) + digits + QStringLiteral("円");
}

}  // namespace pirumoa
