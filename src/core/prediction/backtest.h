#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <vector>

#include "core/prediction/methods.h"
#include "core/stats/exactchance.h"
#include "core/store/drawhistory.h"
#include "core/tickets/ticket.h"

namespace pirumoa {

enum class BacktestMethod { Cycle7, Cycle9, Cycle11, Cycle12, Elimination, RapidFire, OneShot };
enum class BacktestMeasure {
    Position,     // cycle rows: each filled position against the draw's digit there
    Straight,     // full cycle rows: all four in order
    Box,          // full cycle rows: the same four digits in any order
    Covered,      // digit sets: every digit of the draw is in the set
    DigitsFound,  // digit sets: the draw's positions whose digit is in the set
};
enum class Verdict { Within, More, Fewer, Undecided };

QString methodLabel(BacktestMethod method);
QString measureLabel(BacktestMeasure measure);
// "偶然の範囲内", "偶然より多い", "偶然より少ない", "判定できません" (nothing predicted).
QString verdictText(Verdict verdict);

// Chances are whole ten-thousandths: every number equally likely, the four positions
// independent, so a digit is 1,000 and a straight 1.
inline constexpr int kChanceUnit = 10000;

// The central 95% range of the hits that chance gives: at most 2.5% below low and at most
// 2.5% above high, from the exact distribution of the hits.
struct ChanceRange {
    double low = 0;
    double high = 0;
    bool exact = true;
};
ChanceRange binomialRange(long long trials, int chance);

// One method by one measure: its hits beside what chance gives. Each prediction is one or
// more yes/no trials (a position, a straight, a covered draw); expected hits are kept as exact
// whole numbers of the chance units, and the trials by their chance, which gives the exact
// distribution of the hits (a row has at most ten distinct chances).
class BacktestTally {
public:
    BacktestTally(BacktestMethod method, BacktestMeasure measure)
        : m_method(method), m_measure(measure) {}

    void addPrediction() { ++m_predictions; }
    // One trial with the given chance (0 … kChanceUnit) that hit or not. A replay makes
    // about forty a draw, so it is inline.
    void addTrial(int chance, bool hit) { addTrials(chance, 1, hit ? 1 : 0); }
    // Several trials of one chance, hits of them hit.
    void addTrials(int chance, int trials, int hits) {
        addTrialsIn(groupOf(chance), chance, trials, hits);
    }
    // The same for a caller that numbers this tally's chances itself: `group` (0 … 15) always
    // comes with the same chance. The replay does, about ten times a draw: no search.
    void addTrialsIn(int group, int chance, int trials, int hits) {
        m_trials += trials;
        m_hits += hits;
        m_expected += static_cast<long long>(chance) * trials;
        if (m_chances[std::size_t(group)] != chance) claimGroup(group, chance);
        m_trialsOfChance[std::size_t(group)] += trials;
    }

    BacktestMethod method() const { return m_method; }
    BacktestMeasure measure() const { return m_measure; }
    // Draws for which the method predicted something this measure can judge.
    long long predictions() const { return m_predictions; }
    long long trials() const { return m_trials; }
    long long hits() const { return m_hits; }
    double expected() const { return double(m_expected) / kChanceUnit; }
    long long expectedUnits() const { return m_expected; }
    // Hits and chance per trial; 0 without trials.
    double hitRate() const { return m_trials ? double(m_hits) / double(m_trials) : 0; }
    double chanceRate() const { return m_trials ? expected() / double(m_trials) : 0; }
    // Hits ÷ expected; negative when nothing was expected.
    double ratio() const { return m_expected ? double(m_hits) / expected() : -1; }
    ChanceRange range() const;
    Verdict verdict() const;
    // The exact two-sided p-value: twice the smaller tail at the hits, at most 1; 1 without
    // trials. Two-sided like the range and the correction over all rows, which works on it.
    double twoSidedP() const;
    // Chance expects fewer than five hits: a ratio of so few says little, the p-value more.
    bool fewExpected() const { return m_expected < 5LL * kChanceUnit; }

    // Predictions that could not be counted as this bet (a box of four equal digits).
    void addLeftOut() { ++m_leftOut; }
    long long leftOut() const { return m_leftOut; }

private:
    BacktestMethod m_method;
    BacktestMeasure m_measure;
    long long m_predictions = 0;
    long long m_trials = 0;
    long long m_hits = 0;
    long long m_expected = 0;  // in chance units
    long long m_leftOut = 0;
    // The trials by their chance, in up to sixteen groups (a method's measure has at most ten
    // chances: a set of one to ten digits); a group without trials has the chance -1.
    static constexpr std::size_t kGroups = 16;
    std::array<int, kGroups> m_chances = [] {
        std::array<int, kGroups> none;
        none.fill(-1);
        return none;
    }();
    std::array<long long, kGroups> m_trialsOfChance{};
    int groupOf(int chance) const;
    void claimGroup(int group, int chance);
    // Worked out when first asked and again after more trials (a trial only ever adds, so
    // the count tells whether it is still the one of these trials).
    mutable std::shared_ptr<const HitDistribution> m_distribution;
    mutable long long m_distributionTrials = -1;
    const HitDistribution& distribution() const;
};

// Whether anything in the table departs from chance, with Holm's correction for the number of
// rows tested together: the rows that still depart (indices into the tallies), or undecided
// when no row had a prediction.
struct OverallVerdict {
    bool decided = false;
    int rows = 0;  // rows tested
    std::vector<std::size_t> departing;
};
OverallVerdict overallVerdict(const std::vector<BacktestTally>& tallies);
// The line the window and the tools show.
QString overallText(const OverallVerdict& verdict, const std::vector<BacktestTally>& tallies);

// The four cycle rows bet as tickets, one unit each draw: a straight and a box of the predicted
// number, paid at each draw's stored prize, beside what chance pays on the same bets.
//
// Chance is a ticket of the same shape chosen at random. A straight wins 1 in 10,000 and is
// paid the draw's straight prize. A box wins only on a draw of its own shape (its orders in
// 10,000), so what chance would have been paid is the box prize of draws of that shape, not
// the prize of the draw at hand, whose shape is usually another: the average box prize of
// the history's draws of the ticket's shape. A box on a draw of four equal digits lost, as a
// ticket does.
struct YenTally {
    BacktestMethod method = BacktestMethod::Cycle7;
    TicketType type = TicketType::Straight;
    long long bets = 0;  // draws the row bet on whose outcome in yen is known
    long long wins = 0;
    long long won = 0;  // yen
    // Bets left out because their amount is unknown: the draw's prize is not stored (for a
    // box, on a draw it could have won), or no draw of the ticket's shape has a box prize.
    long long noPrize = 0;
    long long leftOut = 0;  // box predictions of four equal digits, which cannot be bought
    YenRange chance;        // expected and 95% range of what chance pays on the same bets
    long long cost() const { return bets * kUnitPrice; }
    // won ÷ cost in percent; negative without bets.
    double returnPercent() const { return bets ? 100.0 * double(won) / double(cost()) : -1; }
    double chanceReturnPercent() const {
        return bets ? 100.0 * chance.expected / double(cost()) : -1;
    }
};

// The cumulative digits-found counts of the three digit-set methods after one predicted draw,
// for the chart.
struct BacktestPoint {
    int drawNo = 0;
    // Four trials a draw at most, each of a chance of at most kChanceUnit: over 32,767 draws
    // even the expected hits in chance units (at most 1.4 · 10⁹) fit an int, which keeps the
    // chart's points small.
    std::array<int, 3> hits{}, trials{}, expected{};  // expected in chance units
};

// Replays the prediction window over a history: for every complete draw with a complete draw
// before it, the window's prediction for the history that ends just before that draw, set
// beside its digits. The tables advance one draw at a time, so the whole replay costs about
// one scan. The replay keeps its own snapshot of the history.
class Backtest {
public:
    Backtest(std::shared_ptr<const DrawHistory> history, const ReflectOptions& options);

    // Replays up to `rows` more records of the history; true once every record is done.
    bool step(std::size_t rows);
    void run() { step(m_history->rows.size()); }
    bool done() const { return m_next >= m_history->rows.size(); }
    // Records replayed so far, out of recordCount().
    std::size_t recordsDone() const { return m_next; }
    std::size_t recordCount() const { return m_history->rows.size(); }
    const std::shared_ptr<const DrawHistory>& history() const { return m_history; }

    const ReflectOptions& options() const { return m_options; }
    // One line per method and measure: the four cycle rows by position, straight and box,
    // then the three digit sets by covered and digits found.
    const std::vector<BacktestTally>& tallies() const { return m_tallies; }
    const std::vector<BacktestPoint>& curve() const { return m_curve; }
    // The draws predicted so far, and the last of them with what was predicted for it.
    long long predictedDraws() const { return static_cast<long long>(m_curve.size()); }
    int lastPredictedDrawNo() const { return m_curve.empty() ? 0 : m_curve.back().drawNo; }
    const PredictionResult& lastPrediction() const { return m_last; }
    // Each predicted draw with its four cycle rows, for what they would have paid.
    struct CycleBet {
        int drawNo = 0;
        CycleDigits rows{};
    };
    const std::vector<CycleBet>& cycleBets() const { return m_cycleBets; }

private:
    // Sets one prediction beside the draw it was made for.
    void judge(const PredictionResult& predicted, const DrawRecord& draw);

    std::shared_ptr<const DrawHistory> m_history;
    ReflectOptions m_options;
    int m_reflectCount = 0;
    PredictionTables m_tables;  // the draws before the next one
    std::size_t m_next = 0;
    std::vector<BacktestTally> m_tallies;
    std::vector<BacktestPoint> m_curve;
    std::vector<CycleBet> m_cycleBets;
    PredictionResult m_last;
};

// The eight bet rows of a finished replay at the stored prizes.
std::vector<YenTally> backtestYen(const Backtest& backtest, const PrizeTable& prizes);

}  // namespace pirumoa
