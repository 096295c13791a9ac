#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "core/store/drawhistory.h"

namespace pirumoa {

enum class TicketType { Straight, Box, Set };

inline constexpr int kUnitPrice = 200;  // yen per unit (口) and draw
inline constexpr int kMaxUnits = 10;
// draws: bought on and on, from the first draw up to the latest stored one, and further as the
// history grows ("続けて購入中").
inline constexpr int kOngoing = 0;

// A bought ticket: one number, one type, units per draw, for a run of consecutive draws.
struct Ticket {
    long long id = 0;  // its row in the database; 0 while it is not stored
    std::array<int, 4> digits{};
    TicketType type = TicketType::Straight;
    int units = 1;
    int firstDraw = 1;
    int draws = 1;  // 1 … 32,767 with firstDraw + draws - 1 ≤ 32,767, or kOngoing
    QString note;
    friend bool operator==(const Ticket&, const Ticket&) = default;
};

// "続けて購入中"; the files' and the command line's word for it is "all".
QString ongoingLabel();
// The last draw the ticket covers when latestDrawNo is the latest stored draw; below firstDraw
// when an ongoing ticket starts after it.
int lastDrawOf(const Ticket& ticket, int latestDrawNo);

// "ストレート", "ボックス", "セット"; the command line's straight, box, set.
QString typeLabel(TicketType type);
QString typeKey(TicketType type);
// Either spelling; nullopt for anything else.
std::optional<TicketType> parseTicketType(const QString& text);
// Exactly four digits "0123" (full-width digits too); nullopt otherwise.
std::optional<std::array<int, 4>> parseTicketNumber(const QString& text);
QString numberText(const std::array<int, 4>& digits);

// Why the ticket cannot be bought as it stands, as a sentence; empty when it can.
QString ticketProblem(const Ticket& ticket);

// A whole number typed for a ticket (units, a draw, a count of draws) within min … max:
// half- or full-width digits ("１００"), blanks around them allowed. nullopt with the reason in
// problem, naming the field as what ("口数"), for an empty text, one that is not a number or a
// number out of range; a value is never cut to fit.
std::optional<int> parseTicketCount(const QString& text, int min, int max, const QString& what,
                                    QString& problem);

// A ticket as typed, every field a text: the window's form, a line of a tickets file and the
// command line's arguments all read through parseTicketInput.
struct TicketInput {
    QString number;     // "0123", full-width digits too
    QString type;       // straight, box, set or ストレート, ボックス, セット
    QString units;      // 1 … 10
    QString firstDraw;  // 1 … 32,767
    // A run is either a number of draws (1 … 32,767, or all / 続けて購入中 / 今日まで for
    // kOngoing) or the last draw it covers (lastDraw ≥ firstDraw); one of them, not both.
    QString draws;
    QString lastDraw;
    QString note;
};
// The ticket, or nullopt with the reason as a sentence in problem. The ticket that comes out
// is one that can be bought (ticketProblem is empty).
std::optional<Ticket> parseTicketInput(const TicketInput& input, QString& problem);

enum class TicketResult { Straight, Box, SetStraight, SetBox, Miss, Pending };
// "ストレート当せん" … "はずれ", "抽せん前".
QString resultLabel(TicketResult result);
inline bool isWin(TicketResult r) { return r != TicketResult::Miss && r != TicketResult::Pending; }

// How the number did against one drawn number, by the ticket's type.
TicketResult judgeTicket(TicketType type, const std::array<int, 4>& ticket,
                         const std::array<int, 4>& drawn);

// One draw that a ticket covers.
struct TicketLine {
    int drawNo = 0;
    QString date;
    std::array<int, 4> drawn{-1, -1, -1, -1};  // -1 while the draw is not decided
    TicketResult result = TicketResult::Pending;
    long long prize = 0;  // yen for all units; -1 for a win whose amount is not known
};

// Yen sums are 64-bit and saturate: a sum beyond what 64 bits hold stops at the largest amount
// (and capped says so) rather than wrapping round to a loss.
struct TicketTotals {
    int decidedDraws = 0;
    int pendingDraws = 0;
    int wins = 0;         // wins with a known prize
    int unknownWins = 0;  // wins whose prize is not stored, not in won
    long long spent = 0;  // for the decided draws
    long long won = 0;
    long long pendingCost = 0;                         // paid for draws still to come
    bool capped = false;                               // a sum stopped at the largest amount
    long long balance() const { return won - spent; }  // both are never negative
    // won ÷ spent in percent; negative when nothing was spent.
    double returnPercent() const { return spent > 0 ? 100.0 * double(won) / double(spent) : -1; }
    TicketTotals& operator+=(const TicketTotals& o);
};

struct TicketCheck {
    std::vector<TicketLine> lines;
    TicketTotals totals;
};

// The ticket against every draw it covers: stored draws with their results and prizes, the
// others 抽せん前. An ongoing ticket covers the draws from the first up to the latest stored
// one. For one ticket at a time (it reads the whole history); many go through a TicketBook.
TicketCheck checkTicket(const Ticket& ticket, const DrawHistory& history, const PrizeTable& prizes);

// The running balance of several tickets over the draws, one point per draw number that any
// ticket decided, in order.
struct BalancePoint {
    int drawNo = 0;
    long long balance = 0;
    friend bool operator==(const BalancePoint&, const BalancePoint&) = default;
};
std::vector<BalancePoint> cumulativeBalance(const std::vector<TicketCheck>& checks);

// a + b and a × b in yen, stopped at the largest or smallest 64-bit amount instead of wrapping;
// capped is set when they stop.
long long addYen(long long a, long long b, bool& capped);
long long multiplyYen(long long a, long long b, bool& capped);

// "30,000円", "-1,200円": yen with thousands separators.
QString yenText(long long yen);

}  // namespace pirumoa
