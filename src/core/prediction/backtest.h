#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>
#include <memory>
#include <vector>

#include "core/prediction/methods.h"
#include "core/sheet/sheet.h"
#include "core/store/drawhistory.h"

namespace pirumoa {

enum class BacktestMethod { Cycle7, Cycle9, Cycle11, Cycle12, Elimination, RapidFire, OneShot };
enum class BacktestMeasure {
    Position,     // cycle rows: each filled position against the draw's digit there
    Straight,     // full cycle rows: all four in order
    Box,          // full cycle rows: the same four digits in any order
    Covered,      // digit sets: every digit of the draw is in the set
    DigitsFound,  // digit sets: the draw's positions whose digit is in the set
};
enum class Verdict { Within, More, Fewer };

QString methodLabel(BacktestMethod method);
QString measureLabel(BacktestMeasure measure);
// "偶然の範囲内", "偶然より多い", "偶然より少ない".
QString verdictText(Verdict verdict);

// Chances are whole ten-thousandths: every number equally likely, the four positions
// independent, so a digit is 1,000 and a straight 1.
inline constexpr int kChanceUnit = 10000;

// The central 95% range of the hits that chance gives: at most 2.5% below low and at most
// 2.5% above high. Exact binomial quantiles while every trial had the same chance, else the
// normal approximation of the sum of the trials.
struct ChanceRange {
    double low = 0;
    double high = 0;
    bool exact = true;
};
ChanceRange binomialRange(long long trials, int chance);

// One method by one measure: its hits beside what chance gives. Each prediction is one or
// more yes/no trials (a position, a straight, a covered draw); expected hits and variance
// are kept as exact whole numbers of the chance units.
class BacktestTally {
public:
    BacktestTally(BacktestMethod method, BacktestMeasure measure)
        : m_method(method), m_measure(measure) {}

    void addPrediction() { ++m_predictions; }
    // One trial with the given chance (0 … kChanceUnit) that hit or not. A replay makes
    // about forty a draw, so it is inline.
    void addTrial(int chance, bool hit) {
        ++m_trials;
        if (hit) ++m_hits;
        m_expected += chance;
        m_variance += static_cast<long long>(chance) * (kChanceUnit - chance);
        if (m_sameChance == -1)
            m_sameChance = chance;
        else if (m_sameChance != chance)
            m_sameChance = -2;
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

private:
    BacktestMethod m_method;
    BacktestMeasure m_measure;
    long long m_predictions = 0;
    long long m_trials = 0;
    long long m_hits = 0;
    long long m_expected = 0;  // in chance units
    long long m_variance = 0;  // in chance units squared
    int m_sameChance = -1;     // the chance every trial had so far; -2 once they differ
};

// The cumulative digits-found counts of the three digit-set methods after one predicted draw,
// for the chart.
struct BacktestPoint {
    int drawNo = 0;
    std::array<long long, 3> hits{}, trials{}, expected{};  // expected in chance units
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
    PredictionResult m_last;
};

// The table as the window shows it: one row per tally under a heading row.
void fillBacktestSheet(const Backtest& backtest, Sheet& sheet);

// The table for the command-line tool: a heading line, then per tally method, measure,
// predictions, hits, expected (six decimals), ratio, low and high of the 95% range, verdict,
// separated by TAB. JSON carries the same and the options.
QByteArray backtestToTsv(const Backtest& backtest);
QByteArray backtestToJson(const Backtest& backtest);

}  // namespace pirumoa
