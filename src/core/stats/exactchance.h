#pragma once

#include <map>
#include <vector>

namespace pirumoa {

// The number of hits of independent yes/no trials, where the trials fall into a few groups of
// equal chance (a backtest has at most ten distinct chances): the exact distribution is the
// convolution of one binomial per group. Probabilities below 1e-30 of the peak are left out,
// which changes no bound or p-value a person reads.
class HitDistribution {
public:
    HitDistribution() = default;
    // trialsByChance: chance of one trial (0 … 1) → number of such trials.
    explicit HitDistribution(const std::map<double, long long>& trialsByChance);

    // P(X = k).
    double at(long long k) const;
    // P(X ≤ k) and P(X ≥ k).
    double atMost(long long k) const;
    double atLeast(long long k) const;
    long long trials() const { return m_trials; }

    // The central 95% range: P(X < low) ≤ 2.5% and P(X > high) ≤ 2.5%, the narrowest such
    // whole numbers.
    long long low() const { return m_low; }
    long long high() const { return m_high; }

    // The two-sided p-value: twice the smaller of P(X ≤ hits) and P(X ≥ hits), at most 1.
    double twoSidedP(long long hits) const;

private:
    long long m_first = 0;        // the value of m_pmf[0]
    std::vector<double> m_pmf;    // P(X = m_first + i)
    std::vector<double> m_below;  // P(X < m_first + i), summed from the low end
    std::vector<double> m_above;  // P(X > m_first + i), summed from the high end
    long long m_trials = 0;
    long long m_low = 0, m_high = 0;
};

// What chance pays on a series of bets: each bet wins its prize with its own chance. The
// exact distribution of the sum is worked out on a grid of whole `step` yen, each prize
// rounded to it; the step is 1 yen where that grid stays small and grows with the amounts
// (a few thousand cells), so the bounds are exact to within the step times the wins.
struct PrizeBet {
    long long prize = 0;
    double chance = 0;
};
struct YenRange {
    double expected = 0;  // Σ prize × chance, exactly
    long long low = 0;    // P(sum < low) ≤ 2.5%
    long long high = 0;   // P(sum > high) ≤ 2.5%
    long long step = 1;
};
YenRange chanceYenRange(const std::vector<PrizeBet>& bets);

// Holm's step-down correction at level alpha: for each p-value whether it still counts as a
// departure once the number of p-values tested together is taken into account.
std::vector<bool> holmRejects(const std::vector<double>& pValues, double alpha = 0.05);

}  // namespace pirumoa
