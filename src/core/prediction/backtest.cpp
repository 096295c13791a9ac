#include "core/prediction/backtest.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace pirumoa {

namespace {

constexpr double kTail = 0.025;

constexpr int kDigitChance = kChanceUnit / 10;
constexpr int kCycleMeasures = 3;  // position, straight, box
constexpr int kSetMeasures = 2;    // covered, digits found
constexpr int kFirstSetTally = 4 * kCycleMeasures;

// The multiset of four digits as one number: three bits of count per digit. Two rows hold
// the same digits in some order exactly when their keys are equal.
unsigned digitsKey(const std::array<int, 4>& digits) {
    unsigned key = 0;
    for (int d : digits) key += 1u << (3 * d);
    return key;
}

// How many of the six pairs of four digits are equal: 0 (all distinct), 1 (one pair), 2 (two
// pairs), 3 (three of a kind) or 6 (all four). Without a loop or a branch: a replay asks this
// for every row of every draw.
int equalPairs(const std::array<int, 4>& d) {
    return (d[0] == d[1]) + (d[0] == d[2]) + (d[0] == d[3]) + (d[1] == d[2]) + (d[1] == d[3]) +
           (d[2] == d[3]);
}

// Distinct orders of four digits: 24, 12, 6, 4 or 1.
int orders(int equalPairs) {
    static constexpr int kByEqualPairs[7] = {24, 12, 6, 4, 0, 0, 1};
    return kByEqualPairs[equalPairs];
}

int power4(int k) { return k * k * k * k; }

}  // namespace

QString methodLabel(BacktestMethod method) {
    switch (method) {
        case BacktestMethod::Cycle7:
            return QStringLiteral("7回周期法");
        case BacktestMethod::Cycle9:
            return QStringLiteral("9回周期法");
        case BacktestMethod::Cycle11:
            return QStringLiteral("11回周期法");
        case BacktestMethod::Cycle12:
            return QStringLiteral("12回周期法");
        case BacktestMethod::Elimination:
            return QStringLiteral("消去法");
        case BacktestMethod::RapidFire:
            return QStringLiteral("連発予想");
        case BacktestMethod::OneShot:
            return QStringLiteral("１発予想");
    }
    return QString();
}

QString measureLabel(BacktestMeasure measure) {
    switch (measure) {
        case BacktestMeasure::Position:
            return QStringLiteral("位置ごとの数字");
        case BacktestMeasure::Straight:
            return QStringLiteral("ストレート");
        case BacktestMeasure::Box:
            return QStringLiteral("ボックス");
        case BacktestMeasure::Covered:
            return QStringLiteral("4数字とも含む");
        case BacktestMeasure::DigitsFound:
            return QStringLiteral("含まれた数字");
    }
    return QString();
}

QString verdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::Within:
            return QStringLiteral("偶然の範囲内");
        case Verdict::More:
            return QStringLiteral("偶然より多い");
        case Verdict::Fewer:
            return QStringLiteral("偶然より少ない");
        case Verdict::Undecided:
            return QStringLiteral("判定できません");
    }
    return QString();
}

ChanceRange binomialRange(long long trials, int chance) {
    if (trials <= 0 || chance <= 0) return {0, 0, true};
    const double n = double(trials);
    if (chance >= kChanceUnit) return {n, n, true};
    const double p = double(chance) / kChanceUnit;
    const double logP = std::log(p), logQ = std::log1p(-p), logNFact = std::lgamma(n + 1);
    // Terms more than twelve standard deviations below the mean add nothing a double holds.
    const double mean = n * p, sd = std::sqrt(n * p * (1 - p));
    long long k = std::max(0LL, static_cast<long long>(std::floor(mean - 12 * sd)));
    double cdf = 0;
    double low = -1;
    for (; k <= trials; ++k) {
        const double kd = double(k);
        cdf += std::exp(logNFact - std::lgamma(kd + 1) - std::lgamma(n - kd + 1) + kd * logP +
                        (n - kd) * logQ);
        if (low < 0 && cdf > kTail) low = kd;
        if (cdf >= 1 - kTail) return {low, kd, true};
    }
    return {low < 0 ? n : low, n, true};  // only rounding keeps the sum short of 97.5%
}

const HitDistribution& BacktestTally::distribution() const {
    if (!m_distribution || m_distributionTrials != m_trials) {
        m_distributionTrials = m_trials;
        std::map<double, long long> byChance;
        for (std::size_t g = 0; g < kGroups; ++g)
            if (m_chances[g] >= 0)
                byChance[double(m_chances[g]) / kChanceUnit] += m_trialsOfChance[g];
        m_distribution = std::make_shared<const HitDistribution>(byChance);
    }
    return *m_distribution;
}

int BacktestTally::groupOf(int chance) const {
    for (std::size_t g = 0; g < kGroups; ++g)
        if (m_chances[g] == chance) return int(g);
    for (std::size_t g = 0; g < kGroups; ++g)
        if (m_chances[g] < 0) return int(g);
    // More chances than a measure can have would be a fault in the replay, not in the data.
    throw std::logic_error("too many chances in one tally");
}

void BacktestTally::claimGroup(int group, int chance) {
    if (group < 0 || std::size_t(group) >= kGroups || m_chances[std::size_t(group)] >= 0)
        throw std::logic_error("a tally's group taken by another chance");
    m_chances[std::size_t(group)] = chance;
}

ChanceRange BacktestTally::range() const {
    if (m_trials == 0) return {0, 0, true};
    const HitDistribution& d = distribution();
    return {double(d.low()), double(d.high()), true};
}

double BacktestTally::twoSidedP() const {
    return m_trials == 0 ? 1 : distribution().twoSidedP(m_hits);
}

Verdict BacktestTally::verdict() const {
    if (m_trials == 0) return Verdict::Undecided;
    const ChanceRange r = range();
    if (double(m_hits) < r.low) return Verdict::Fewer;
    if (double(m_hits) > r.high) return Verdict::More;
    return Verdict::Within;
}

Backtest::Backtest(std::shared_ptr<const DrawHistory> history, const ReflectOptions& options)
    : m_history(std::move(history)), m_options(options), m_reflectCount(reflectCount(options)) {
    for (int k = 0; k < 4; ++k)
        for (BacktestMeasure m :
             {BacktestMeasure::Position, BacktestMeasure::Straight, BacktestMeasure::Box})
            m_tallies.emplace_back(BacktestMethod(k), m);
    for (int s = 0; s < 3; ++s)
        for (BacktestMeasure m : {BacktestMeasure::Covered, BacktestMeasure::DigitsFound})
            m_tallies.emplace_back(BacktestMethod(int(BacktestMethod::Elimination) + s), m);
    m_curve.reserve(m_history->rows.size());
    m_cycleBets.reserve(m_history->rows.size());
}

bool Backtest::step(std::size_t rows) {
    const std::vector<DrawRecord>& records = m_history->rows;
    const std::size_t end = m_next + std::min(rows, records.size() - m_next);
    for (; m_next < end; ++m_next) {
        const DrawRecord& draw = records[m_next];
        if (!draw.complete()) continue;
        // The tables hold exactly the draws before this one, as a scan of a history that ends
        // here would leave them; only the computation from them is repeated.
        if (m_tables.latestDrawNo() > 0) {
            m_last = computePrediction(m_tables, m_reflectCount);
            judge(m_last, draw);
        }
        m_tables.addDraw(draw);
    }
    return done();
}

void Backtest::judge(const PredictionResult& predicted, const DrawRecord& draw) {
    std::array<int, 4> digits;
    for (int p = 0; p < 4; ++p) digits[p] = draw.digits[p];
    const unsigned drawKey = digitsKey(digits);

    for (int k = 0; k < 4; ++k) {
        std::array<int, 4> row;
        for (int p = 0; p < 4; ++p) row[p] = predicted.cycle[k][p];
        BacktestTally* tally = &m_tallies[std::size_t(k * kCycleMeasures)];
        int positions = 0, hits = 0;
        for (int p = 0; p < 4; ++p) {
            positions += row[p] >= 0;
            hits += row[p] == digits[p];  // an empty position (-1) never equals a digit
        }
        if (positions > 0) {
            tally[0].addTrialsIn(0, kDigitChance, positions, hits);
            tally[0].addPrediction();
        }
        if (positions < 4) continue;
        tally[1].addPrediction();
        tally[1].addTrialsIn(0, 1, 1, row == digits);
        const int pairs = equalPairs(row), ways = orders(pairs);
        // Four equal digits cannot be bought as a box: such a prediction is no box bet.
        if (ways == 1) {
            tally[2].addLeftOut();
            continue;
        }
        tally[2].addPrediction();
        tally[2].addTrialsIn(pairs, ways, 1, digitsKey(row) == drawKey);
    }
    m_cycleBets.push_back({draw.no, predicted.cycle});

    BacktestPoint point;
    point.drawNo = draw.no;
    const DigitList* sets[3] = {&predicted.elimination, &predicted.rapidFire, &predicted.oneShot};
    for (int s = 0; s < 3; ++s) {
        const DigitList& set = *sets[s];
        BacktestTally* tally = &m_tallies[std::size_t(kFirstSetTally + s * kSetMeasures)];
        const int k = set.size();
        if (k > 0) {
            int found = 0;
            for (int d : digits) found += set.contains(d);
            tally[0].addPrediction();
            tally[0].addTrialsIn(k - 1, power4(k), 1, found == 4);
            tally[1].addPrediction();
            tally[1].addTrialsIn(k - 1, k * kDigitChance, 4, found);
        }
        point.hits[s] = int(tally[1].hits());
        point.trials[s] = int(tally[1].trials());
        static_assert(4LL * kChanceUnit * kMaxDrawNo <= std::numeric_limits<int>::max());
        point.expected[s] = int(tally[1].expectedUnits());
    }
    m_curve.push_back(point);
}

OverallVerdict overallVerdict(const std::vector<BacktestTally>& tallies) {
    OverallVerdict out;
    std::vector<double> p;
    std::vector<std::size_t> index;
    for (std::size_t i = 0; i < tallies.size(); ++i) {
        if (tallies[i].trials() == 0) continue;
        p.push_back(tallies[i].twoSidedP());
        index.push_back(i);
    }
    out.rows = int(p.size());
    out.decided = !p.empty();
    const std::vector<bool> rejects = holmRejects(p, 0.05);
    for (std::size_t j = 0; j < rejects.size(); ++j)
        if (rejects[j]) out.departing.push_back(index[j]);
    return out;
}

QString overallText(const OverallVerdict& v, const std::vector<BacktestTally>& tallies) {
    if (!v.decided)
        return QStringLiteral("表全体の判定：判定できません（予想のあった回がありません）");
    if (v.departing.empty())
        return QStringLiteral(
                   "表全体の判定（%1行をまとめて補正）：偶然の範囲内。"
                   "どの行も、偶然と違うとはいえません")
            .arg(v.rows);
    QStringList rows;
    for (std::size_t i : v.departing)
        rows << methodLabel(tallies[i].method()) + QStringLiteral("・") +
                    measureLabel(tallies[i].measure()) + QStringLiteral("（") +
                    verdictText(tallies[i].verdict()) + QStringLiteral("）");
    return QStringLiteral("表全体の判定（%1行をまとめて補正）：偶然と違う行があります　%2")
        .arg(v.rows)
        .arg(rows.join(QStringLiteral("、")));
}

namespace {

// The average box prize of the history's draws of each shape (by equal pairs 0 … 3) where
// the prize is stored; unknown (negative) for a shape without one.
std::array<double, 4> boxPrizeByShape(const DrawHistory& history, const PrizeTable& prizes) {
    std::array<double, 4> sum{};
    std::array<long long, 4> draws{};
    for (const DrawRecord& d : history.rows) {
        if (!d.complete()) continue;
        const PrizeAmounts* prize = prizes.find(d.no);
        if (!prize || prize->box < 0) continue;
        const int pairs = equalPairs({d.digits[0], d.digits[1], d.digits[2], d.digits[3]});
        if (pairs > 3) continue;  // four equal digits: no box is paid
        sum[std::size_t(pairs)] += double(prize->box);
        ++draws[std::size_t(pairs)];
    }
    std::array<double, 4> mean;
    for (std::size_t i = 0; i < 4; ++i) mean[i] = draws[i] ? sum[i] / double(draws[i]) : -1;
    return mean;
}

}  // namespace

std::vector<YenTally> backtestYen(const Backtest& backtest, const PrizeTable& prizes) {
    std::vector<YenTally> out;
    for (int k = 0; k < 4; ++k)
        for (TicketType type : {TicketType::Straight, TicketType::Box}) {
            YenTally y;
            y.method = BacktestMethod(k);
            y.type = type;
            out.push_back(y);
        }
    const std::array<double, 4> boxByShape = boxPrizeByShape(*backtest.history(), prizes);
    std::vector<std::vector<PrizeBet>> chance(out.size());
    // What chance pays exactly: the range's grid rounds the average box prizes to whole yen.
    std::vector<double> chanceExpected(out.size(), 0.0);
    // The bets are in draw order, as the history is: one walk finds each bet's draw.
    const std::vector<DrawRecord>& draws = backtest.history()->rows;
    auto draw = draws.begin();
    for (const Backtest::CycleBet& bet : backtest.cycleBets()) {
        while (draw != draws.end() && draw->no < bet.drawNo) ++draw;
        std::array<int, 4> digits{-1, -1, -1, -1};
        if (draw != draws.end() && draw->no == bet.drawNo && draw->complete())
            digits = {draw->digits[0], draw->digits[1], draw->digits[2], draw->digits[3]};
        const bool quadDrawn = digits[0] >= 0 && equalPairs(digits) == 6;
        const PrizeAmounts* prize = prizes.find(bet.drawNo);
        for (int k = 0; k < 4; ++k) {
            const std::array<int, 4> row{bet.rows[std::size_t(k)][0], bet.rows[std::size_t(k)][1],
                                         bet.rows[std::size_t(k)][2], bet.rows[std::size_t(k)][3]};
            if (std::any_of(row.begin(), row.end(), [](int d) { return d < 0; })) continue;
            const int pairs = equalPairs(row), ways = orders(pairs);
            for (int t = 0; t < 2; ++t) {
                const std::size_t i = std::size_t(k * 2 + t);
                YenTally& y = out[i];
                const bool box = y.type == TicketType::Box;
                if (box && ways == 1) {
                    ++y.leftOut;
                    continue;
                }
                // A box on four equal digits drawn lost whatever the prizes: its amount is known.
                const long long amount = !prize ? -1 : box ? prize->box : prize->straight;
                const double chancePrize = box ? boxByShape[std::size_t(pairs)] : double(amount);
                if ((amount < 0 && !(box && quadDrawn)) || chancePrize < 0) {
                    ++y.noPrize;
                    continue;
                }
                ++y.bets;
                if (isWin(judgeTicket(y.type, row, digits))) {
                    ++y.wins;
                    y.won += amount;
                }
                const double p = double(box ? ways : 1) / kChanceUnit;
                chance[i].push_back({llround(chancePrize), p});
                chanceExpected[i] += chancePrize * p;
            }
        }
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i].chance = chanceYenRange(chance[i]);
        out[i].chance.expected = chanceExpected[i];
    }
    return out;
}

}  // namespace pirumoa
