#pragma once

#include <QString>
#include <memory>
#include <utility>
#include <vector>

#include "core/store/drawhistory.h"
#include "core/tickets/ticket.h"

namespace pirumoa {

// The draws of one history indexed for checking tickets: for each number the draws it was
// drawn in, in order, and the same for each set of digits in any order. A ticket's totals over
// its run then cost a binary search and its wins, whatever the length of the run, and nothing
// is kept per ticket and draw. Built once per snapshot (a few milliseconds at 32,767 draws,
// under a megabyte); nobody changes it afterwards, so it may be shared between threads.
class TicketBook {
public:
    // The prizes are the snapshot's own (history->prizes).
    explicit TicketBook(HistorySnapshot history);
    // A copy of history with prizes in place of its own.
    TicketBook(const DrawHistory& history, const PrizeTable& prizes);

    const HistorySnapshot& history() const { return m_history; }
    int latestDrawNo() const { return m_history->latestDrawNo; }

    // The draws first … last that the ticket covers now; last < first when it covers none.
    std::pair<int, int> span(const Ticket& ticket) const;
    // As checkTicket(ticket, …).totals.
    TicketTotals totals(const Ticket& ticket) const;
    // One draw of the ticket, as checkTicket lists it; for the rows a view shows.
    TicketLine line(const Ticket& ticket, int drawNo) const;
    // Every draw the ticket covers, as checkTicket(ticket, …).lines.
    std::vector<TicketLine> lines(const Ticket& ticket) const;
    // The running balance of the tickets, as cumulativeBalance of their checks.
    std::vector<BalancePoint> balance(const std::vector<Ticket>& tickets) const;

    // The wins of all tickets on the draws fromDraw … the latest stored one.
    struct RecentWins {
        int fromDraw = 0, toDraw = 0;
        int wins = 0;         // with a known prize
        int unknownWins = 0;  // whose prize is not stored
        long long yen = 0;
    };
    RecentWins recentWins(const std::vector<Ticket>& tickets, int fromDraw) const;

private:
    // The decided draws among first … last with the ticket's number (straight) or its digits
    // in any order (box), in order.
    std::pair<const int*, const int*> matches(const Ticket& ticket, bool box, int first,
                                              int last) const;
    // Calls f(drawNo, result) for each win of the ticket on the draws first … last, in order.
    template <class F>
    void forEachWin(const Ticket& ticket, int first, int last, F&& f) const;
    int decidedBetween(int first, int last) const;

    HistorySnapshot m_history;
    // By draw number 0 … kMaxDrawNo: the row of the draw in m_history->rows, -1 when none.
    std::vector<int> m_rowOf;
    // By draw number: how many decided draws there are up to and including it.
    std::vector<int> m_decidedUpTo;
    // The decided draws grouped by number 0000 … 9999 (straight) and by the number of their
    // digits sorted (box), each group in draw order: m_straight[m_straightStart[n] …
    // m_straightStart[n + 1]).
    std::vector<int> m_straightStart, m_straight;
    std::vector<int> m_boxStart, m_box;
};

// "第7050～7054回：当せん 1件 177,300円"; "（うち 1件は当せん金が未登録）" after it for wins of
// unknown amount; a plain sentence when there is no win or no draw.
QString recentWinsText(const TicketBook::RecentWins& wins);

}  // namespace pirumoa
