#include "core/tickets/ticket.h"

#include <algorithm>
#include <limits>
#include <map>

#include "core/store/fileerror.h"
#include "core/tickets/ticketbook.h"

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

QString ongoingLabel() { return QStringLiteral("続けて購入中"); }

int lastDrawOf(const Ticket& t, int latestDrawNo) {
    if (t.draws == kOngoing) return latestDrawNo;
    const long long last = static_cast<long long>(t.firstDraw) + t.draws - 1;
    return int(std::clamp<long long>(last, std::numeric_limits<int>::min(),
                                     std::numeric_limits<int>::max()));
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
    if (t.draws != kOngoing && (t.draws < 1 || t.draws > kMaxDrawNo))
        return QStringLiteral("継続回数は 1～%1 か「%2」で指定してください。")
            .arg(kMaxDrawNo)
            .arg(ongoingLabel());
    if (t.draws != kOngoing && lastDrawOf(t, 0) > kMaxDrawNo)
        return QStringLiteral(
                   "第%1回から %2 回続けると、最後の回が第%3回を超えます。"
                   "開始回か継続回数を見直してください。")
            .arg(t.firstDraw)
            .arg(t.draws)
            .arg(kMaxDrawNo);
    return QString();
}

std::optional<int> parseTicketCount(const QString& text, int min, int max, const QString& what,
                                    QString& problem) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        problem = QStringLiteral("%1を入力してください。").arg(what);
        return std::nullopt;
    }
    qsizetype i = 0;
    const char16_t sign = t[0].unicode();
    const bool negative = sign == u'-' || sign == u'－' || sign == u'−';
    if (negative || sign == u'+' || sign == u'＋') i = 1;
    long long value = 0;
    bool number = i < t.size();
    for (; number && i < t.size(); ++i) {
        // Half- and full-width digits alike, as a Japanese input method may type either.
        const char16_t c = t[i].unicode();
        const int d = c >= u'0' && c <= u'9' ? c - u'0' : c >= u'０' && c <= u'９' ? c - u'０' : -1;
        if (d < 0)
            number = false;
        else  // held far beyond any range, without overflowing on a long row of digits
            value = std::min(value * 10 + d, 1LL << 40);
    }
    if (!number) {
        problem = QStringLiteral("%1「%2」が数値ではありません。").arg(what, shownField(t));
        return std::nullopt;
    }
    if (negative) value = -value;
    if (value < min || value > max) {
        problem = QStringLiteral("%1「%2」は範囲外です。%3～%4 で指定してください。")
                      .arg(what, shownField(t))
                      .arg(min)
                      .arg(max);
        return std::nullopt;
    }
    return int(value);
}

std::optional<Ticket> parseTicketInput(const TicketInput& in, QString& problem) {
    Ticket t;
    const auto digits = parseTicketNumber(in.number);
    if (!digits) {
        problem = in.number.trimmed().isEmpty()
                      ? QStringLiteral("数字を 0123 のような4桁で入力してください。")
                      : QStringLiteral("数字「%1」は 0123 のような4桁の数字で入力してください。")
                            .arg(shownField(in.number.trimmed()));
        return std::nullopt;
    }
    t.digits = *digits;
    const auto type = parseTicketType(in.type);
    if (!type) {
        problem = QStringLiteral(
                      "種類「%1」は straight、box、set（ストレート、ボックス、セット）"
                      "のどれかにしてください。")
                      .arg(shownField(in.type.trimmed()));
        return std::nullopt;
    }
    t.type = *type;
    const auto units = parseTicketCount(in.units, 1, kMaxUnits, QStringLiteral("口数"), problem);
    if (!units) return std::nullopt;
    t.units = *units;
    const auto first =
        parseTicketCount(in.firstDraw, 1, kMaxDrawNo, QStringLiteral("開始回"), problem);
    if (!first) return std::nullopt;
    t.firstDraw = *first;
    const QString draws = in.draws.trimmed(), last = in.lastDraw.trimmed();
    if (!draws.isEmpty() && !last.isEmpty()) {
        problem = QStringLiteral("継続回数と最後の回は、どちらか一方だけを指定してください。");
        return std::nullopt;
    }
    if (!last.isEmpty()) {
        const auto end = parseTicketCount(last, 1, kMaxDrawNo, QStringLiteral("最後の回"), problem);
        if (!end) return std::nullopt;
        if (*end < t.firstDraw) {
            problem = QStringLiteral("最後の回（第%1回）が開始回（第%2回）より前です。")
                          .arg(*end)
                          .arg(t.firstDraw);
            return std::nullopt;
        }
        t.draws = *end - t.firstDraw + 1;
    } else if (draws.compare(QStringLiteral("all"), Qt::CaseInsensitive) == 0 ||
               draws == ongoingLabel() || draws == QStringLiteral("今日まで")) {
        t.draws = kOngoing;
    } else {
        const auto count =
            parseTicketCount(draws, 1, kMaxDrawNo, QStringLiteral("継続回数"), problem);
        if (!count) {
            problem += QStringLiteral("次の回も続けて買うときは「%1」（all）と指定します。")
                           .arg(ongoingLabel());
            return std::nullopt;
        }
        t.draws = *count;
    }
    t.note = in.note;
    problem = ticketProblem(t);
    if (!problem.isEmpty()) return std::nullopt;
    return t;
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
    const TicketBook book(history, prizes);
    return TicketCheck{book.lines(ticket), book.totals(ticket)};
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
