#include "core/tickets/ticketimport.h"

#include <map>
#include <tuple>

#include "core/store/fileerror.h"
#include "core/store/labels.h"

namespace pirumoa {

namespace {

using Whole = std::tuple<std::array<int, 4>, int, int, int, int, QString>;
using Likeness = std::tuple<std::array<int, 4>, int, int>;

Whole wholeOf(const Ticket& t) {
    return {t.digits, int(t.type), t.units, t.firstDraw, t.draws, t.note};
}

Likeness likenessOf(const Ticket& t) { return {t.digits, int(t.type), t.firstDraw}; }

}  // namespace

TicketImportPlan planTicketImport(const std::vector<Ticket>& stored,
                                  const std::vector<Ticket>& incoming) {
    std::map<Whole, int> unmatched;  // stored tickets not yet matched, by everything they hold
    std::map<Likeness, std::vector<const Ticket*>> alike;
    for (const Ticket& t : stored) {
        ++unmatched[wholeOf(t)];
        alike[likenessOf(t)].push_back(&t);
    }
    TicketImportPlan plan;
    for (const Ticket& t : incoming) {
        const auto same = unmatched.find(wholeOf(t));
        if (same != unmatched.end() && same->second > 0) {
            --same->second;
            plan.identical.push_back(t);
            continue;
        }
        plan.toAdd.push_back(t);
        plan.toAdd.back().id = 0;
        // Similar: a stored ticket that differs in its units, draws or note. A second copy of a
        // stored ticket whose match is taken already is new, as two slips bought alike are.
        const Ticket* similar = nullptr;
        if (const auto like = alike.find(likenessOf(t)); like != alike.end())
            for (const Ticket* s : like->second)
                if (wholeOf(*s) != wholeOf(t)) {
                    similar = s;
                    break;
                }
        if (similar)
            plan.similar.push_back({t, *similar});
        else
            ++plan.newCount;
    }
    return plan;
}

QString ticketText(const Ticket& t) {
    QString text =
        QStringLiteral("%1 %2 %3から %4 %5口")
            .arg(numberText(t.digits), typeLabel(t.type), drawLabel(t.firstDraw),
                 t.draws == kOngoing ? ongoingLabel() : QStringLiteral("%1回").arg(t.draws))
            .arg(t.units);
    if (!t.note.isEmpty()) text += QStringLiteral("「%1」").arg(shownField(t.note));
    return text;
}

QString ticketImportSummary(const TicketImportPlan& plan, int similarLimit) {
    QString text = QStringLiteral(
                       "新しい購入数字 %1 件、登録済みと同じ購入数字 %2 件（取り込みません）、"
                       "よく似た購入数字 %3 件\n")
                       .arg(plan.newCount)
                       .arg(plan.identical.size())
                       .arg(plan.similar.size());
    if (!plan.similar.empty())
        text += QStringLiteral(
            "よく似た購入数字（数字・種類・開始回が登録済みのものと同じで、"
            "口数・継続回数・メモが違います。取り込むと別の購入数字として"
            "追加されます）：\n");
    int shown = 0;
    for (const SimilarTicket& s : plan.similar) {
        if (shown++ == similarLimit) {
            text +=
                QStringLiteral("ほか %1 件\n").arg(plan.similar.size() - std::size_t(similarLimit));
            break;
        }
        text += QStringLiteral("  %1 ← 登録済み：%2\n")
                    .arg(ticketText(s.incoming), ticketText(s.stored));
    }
    return text;
}

}  // namespace pirumoa
