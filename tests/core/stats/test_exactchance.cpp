// The exact distribution of hits against every outcome enumerated by hand, and Holm's
// correction on a few rows.
#include <gtest/gtest.h>

#include <cmath>

#include "core/stats/exactchance.h"

using namespace pirumoa;

namespace {

TEST(HitDistribution, MatchesEveryOutcomeEnumerated) {
    const std::vector<std::map<double, long long>> cases = {
        {{0.5, 3}},
        {{0.0024, 2}, {0.0012, 3}, {0.3, 4}},
        {{0.1, 5}, {0.9, 4}, {1.0, 2}, {0.0, 3}},
        {{0.025, 12}},
    };
    for (const auto& groups : cases) {
        std::vector<double> chances;
        for (const auto& [p, n] : groups)
            for (long long i = 0; i < n; ++i) chances.push_back(p);
        const std::size_t n = chances.size();
        std::vector<double> pmf(n + 1, 0.0);
        for (unsigned mask = 0; mask < (1u << n); ++mask) {
            double p = 1;
            int hits = 0;
            for (std::size_t i = 0; i < n; ++i) {
                const bool hit = mask & (1u << i);
                p *= hit ? chances[i] : 1 - chances[i];
                hits += hit;
            }
            pmf[std::size_t(hits)] += p;
        }
        const HitDistribution d(groups);
        double below = 0;
        long long low = -1, high = -1;
        for (std::size_t k = 0; k <= n; ++k) {
            EXPECT_NEAR(d.at(static_cast<long long>(k)), pmf[k], 1e-12) << k;
            const double upTo = below + pmf[k];
            EXPECT_NEAR(d.atMost(static_cast<long long>(k)), upTo, 1e-12);
            EXPECT_NEAR(d.atLeast(static_cast<long long>(k)), 1 - below, 1e-12);
            if (low < 0 && upTo > 0.025 + 1e-12) low = static_cast<long long>(k);
            if (high < 0 && upTo >= 0.975 - 1e-12) high = static_cast<long long>(k);
            below = upTo;
        }
        EXPECT_EQ(d.low(), low);
        EXPECT_EQ(d.high(), high);
        EXPECT_EQ(d.trials(), static_cast<long long>(n));
    }
}

// Three fair coins: no head at all has 1/8, so it is as far out as three heads, 1/4 in all; one
// head is nowhere out.
TEST(HitDistribution, TwoSidedPDoublesTheSmallerTail) {
    const HitDistribution coins({{0.5, 3}});
    EXPECT_DOUBLE_EQ(coins.twoSidedP(0), 0.25);
    EXPECT_DOUBLE_EQ(coins.twoSidedP(3), 0.25);
    EXPECT_DOUBLE_EQ(coins.twoSidedP(1), 1);
}

// The sample's cycle rows are long: the tails stay exact where a person reads them.
TEST(HitDistribution, LongRowsKeepTheirTails) {
    const HitDistribution straight({{0.0001, 7000}});
    EXPECT_NEAR(straight.atLeast(2), 1 - std::exp(-0.7) * 1.7, 1e-4);  // nearly Poisson(0.7)
    // Mean 24,010 and standard deviation 122.5: the range is about two of them each side.
    const HitDistribution digits({{0.1, 30000}, {0.2, 30000}, {0.5, 30000}, {1.0, 10}});
    double total = 0, mean = 0;
    for (long long k = 23000; k <= 25000; ++k) {
        total += digits.at(k);
        mean += double(k) * digits.at(k);
    }
    EXPECT_NEAR(total, 1.0, 1e-12);
    EXPECT_NEAR(mean, 24010, 1e-6);
    EXPECT_NEAR(double(digits.low()), 24010 - 1.96 * 122.5, 2);
    EXPECT_NEAR(double(digits.high()), 24010 + 1.96 * 122.5, 2);
}

TEST(ChanceYenRange, MatchesEveryOutcomeEnumerated) {
    const std::vector<PrizeBet> bets = {{300, 0.1}, {500, 0.25}, {1200, 0.05}, {300, 0.4},
                                        {700, 0.3}, {900, 0.2},  {1500, 0.02}, {100, 0.5}};
    std::map<long long, double> pmf;
    double expected = 0;
    for (unsigned mask = 0; mask < (1u << bets.size()); ++mask) {
        double p = 1;
        long long sum = 0;
        for (std::size_t i = 0; i < bets.size(); ++i) {
            const bool hit = mask & (1u << i);
            p *= hit ? bets[i].chance : 1 - bets[i].chance;
            if (hit) sum += bets[i].prize;
        }
        pmf[sum] += p;
        expected += p * double(sum);
    }
    long long low = -1, high = -1;
    double below = 0;
    for (const auto& [sum, p] : pmf) {
        below += p;
        if (low < 0 && below > 0.025) low = sum;
        if (high < 0 && below >= 0.975) high = sum;
    }
    const YenRange r = chanceYenRange(bets);
    EXPECT_EQ(r.step, 100);  // every prize a whole hundred: still exact
    EXPECT_NEAR(r.expected, expected, 1e-9);
    EXPECT_EQ(r.low, low);
    EXPECT_EQ(r.high, high);
}

TEST(Holm, StepsDownFromTheSmallestP) {
    // 0.01 ≤ 0.05/4, 0.015 ≤ 0.05/3, 0.03 > 0.05/2: the last two stay.
    EXPECT_EQ(holmRejects({0.03, 0.01, 0.5, 0.015}), (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(holmRejects({0.02, 0.02}), (std::vector<bool>{true, true}));
    EXPECT_EQ(holmRejects({0.03, 0.03}), (std::vector<bool>{false, false}));
    EXPECT_TRUE(holmRejects({}).empty());
}

}  // namespace
