#include "core/stats/exactchance.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace pirumoa {

namespace {

constexpr double kTail = 0.025;
// Terms this far below the largest change no bound, and no p-value a person reads (they are
// shown to three places); dropping them keeps the convolutions of long rows to a few ms.
constexpr double kNegligible = 1e-30;

struct Pmf {
    long long first = 0;
    std::vector<double> p;
};

// Drops the ends that carry nothing.
void trim(Pmf& d) {
    if (d.p.empty()) return;
    const double peak = *std::max_element(d.p.begin(), d.p.end());
    const double floor = peak * kNegligible;
    std::size_t a = 0, b = d.p.size();
    while (a + 1 < b && d.p[a] < floor) ++a;
    while (b - 1 > a && d.p[b - 1] < floor) --b;
    d.first += static_cast<long long>(a);
    d.p = std::vector<double>(d.p.begin() + static_cast<std::ptrdiff_t>(a),
                              d.p.begin() + static_cast<std::ptrdiff_t>(b));
}

Pmf binomial(long long n, double q) {
    if (n <= 0 || q <= 0) return {0, {1.0}};
    if (q >= 1) return {n, {1.0}};
    // Beyond 40 standard deviations (and a margin for the skew of rare chances) every term is
    // far below kNegligible of the peak.
    const double mean = double(n) * q, sd = std::sqrt(double(n) * q * (1 - q));
    const long long from = std::max(0LL, static_cast<long long>(std::floor(mean - 40 * sd - 2)));
    const long long to = std::min(n, static_cast<long long>(std::ceil(mean + 40 * sd + 40)));
    const double logQ = std::log(q), log1Q = std::log1p(-q), logNFact = std::lgamma(double(n) + 1);
    Pmf d{from, std::vector<double>(std::size_t(to - from + 1))};
    for (long long k = from; k <= to; ++k) {
        const double kd = double(k);
        d.p[std::size_t(k - from)] =
            std::exp(logNFact - std::lgamma(kd + 1) - std::lgamma(double(n) - kd + 1) + kd * logQ +
                     (double(n) - kd) * log1Q);
    }
    trim(d);
    return d;
}

Pmf convolve(const Pmf& a, const Pmf& b) {
    Pmf out{a.first + b.first, std::vector<double>(a.p.size() + b.p.size() - 1, 0.0)};
    for (std::size_t i = 0; i < a.p.size(); ++i) {
        if (a.p[i] == 0) continue;
        for (std::size_t j = 0; j < b.p.size(); ++j) out.p[i + j] += a.p[i] * b.p[j];
    }
    trim(out);
    return out;
}

}  // namespace

HitDistribution::HitDistribution(const std::map<double, long long>& trialsByChance) {
    Pmf d{0, {1.0}};
    for (const auto& [chance, n] : trialsByChance) {
        if (n <= 0) continue;
        m_trials += n;
        d = convolve(d, binomial(n, chance));
    }
    // Rounding leaves the sum a hair off one; the tails are read relative to the whole.
    const double total = std::accumulate(d.p.begin(), d.p.end(), 0.0);
    for (double& v : d.p) v /= total;
    m_first = d.first;
    m_pmf = std::move(d.p);
    const std::size_t n = m_pmf.size();
    m_below.assign(n, 0.0);
    m_above.assign(n, 0.0);
    for (std::size_t i = 1; i < n; ++i) m_below[i] = m_below[i - 1] + m_pmf[i - 1];
    for (std::size_t i = n - 1; i-- > 0;) m_above[i] = m_above[i + 1] + m_pmf[i + 1];
    // The low bound: the smallest k with P(X < k + 1) > 2.5%, that is P(X ≤ k) > 2.5%.
    m_low = m_first + static_cast<long long>(n) - 1;
    for (std::size_t i = 0; i < n; ++i)
        if (m_below[i] + m_pmf[i] > kTail) {
            m_low = m_first + static_cast<long long>(i);
            break;
        }
    m_high = m_first;
    for (std::size_t i = n; i-- > 0;)
        if (m_above[i] + m_pmf[i] > kTail) {
            m_high = m_first + static_cast<long long>(i);
            break;
        }
}

double HitDistribution::at(long long k) const {
    if (k < m_first || k >= m_first + static_cast<long long>(m_pmf.size())) return 0;
    return m_pmf[std::size_t(k - m_first)];
}

double HitDistribution::atMost(long long k) const {
    if (m_pmf.empty() || k < m_first) return 0;
    if (k >= m_first + static_cast<long long>(m_pmf.size()) - 1) return 1;
    const std::size_t i = std::size_t(k - m_first);
    return std::min(1.0, m_below[i] + m_pmf[i]);
}

double HitDistribution::atLeast(long long k) const {
    if (m_pmf.empty()) return k <= 0 ? 1 : 0;
    if (k <= m_first) return 1;
    if (k >= m_first + static_cast<long long>(m_pmf.size())) return 0;
    const std::size_t i = std::size_t(k - m_first);
    return std::min(1.0, m_above[i] + m_pmf[i]);
}

double HitDistribution::twoSidedP(long long hits) const {
    return std::min(1.0, 2 * std::min(atLeast(hits), atMost(hits)));
}

YenRange chanceYenRange(const std::vector<PrizeBet>& bets) {
    YenRange out;
    long long maxPrize = 0;
    std::map<double, long long> byChance;
    for (const PrizeBet& b : bets) {
        out.expected += double(b.prize) * b.chance;
        maxPrize = std::max(maxPrize, b.prize);
        byChance[b.chance] += 1;
    }
    if (bets.empty() || maxPrize <= 0) return out;
    // The most wins that carry any weight: beyond the count distribution's reach nothing is
    // left to add.
    const HitDistribution wins(byChance);
    long long most = wins.trials();
    while (most > 0 && wins.atLeast(most) < 1e-15) --most;
    constexpr long long kCells = 6000;
    const long long reach = most * maxPrize;
    // The prizes' common divisor keeps the grid exact (real prizes are whole hundreds of yen);
    // where that grid would be too fine, a coarser power of ten.
    long long common = 0;
    for (const PrizeBet& b : bets) common = std::gcd(common, b.prize);
    out.step = std::max(1LL, common);
    for (long long step = 10; reach / out.step > kCells; step *= 10)
        out.step = std::max(out.step, step);
    const std::size_t cells = std::size_t(reach / out.step) + 1;
    // Bets of the same size on the grid and the same chance are one binomial: a few hundred
    // groups rather than thousands of bets, each spread over its few likely win counts.
    std::map<std::pair<std::size_t, double>, long long> groups;
    for (const PrizeBet& b : bets) {
        const std::size_t w = std::size_t((b.prize + out.step / 2) / out.step);
        if (b.chance > 0 && w > 0) ++groups[{w, b.chance}];
    }
    std::vector<double> p(cells, 0.0), next(cells, 0.0);
    p[0] = 1;
    std::size_t top = 0;  // the highest cell with weight so far
    for (const auto& [key, n] : groups) {
        const auto [w, chance] = key;
        const HitDistribution k({{chance, n}});
        long long lastK = k.trials();
        while (lastK > 0 && k.at(lastK) == 0) --lastK;
        const std::size_t newTop = std::min(cells - 1, top + w * std::size_t(lastK));
        std::fill(next.begin(), next.begin() + static_cast<std::ptrdiff_t>(newTop + 1), 0.0);
        for (long long j = 0; j <= lastK; ++j) {
            const double pj = k.at(j);
            if (pj == 0) continue;
            const std::size_t shift = w * std::size_t(j);
            for (std::size_t c = 0; c <= top && c + shift <= newTop; ++c)
                next[c + shift] += p[c] * pj;
        }
        top = newTop;
        std::swap(p, next);
    }
    double below = 0;
    bool lowFound = false;
    for (std::size_t c = 0; c <= top; ++c) {
        below += p[c];
        if (!lowFound && below > kTail) {
            out.low = static_cast<long long>(c) * out.step;
            lowFound = true;
        }
        if (below >= 1 - kTail) {
            out.high = static_cast<long long>(c) * out.step;
            break;
        }
        out.high = static_cast<long long>(c) * out.step;
    }
    return out;
}

std::vector<bool> holmRejects(const std::vector<double>& pValues, double alpha) {
    const std::size_t m = pValues.size();
    std::vector<std::size_t> order(m);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return pValues[a] < pValues[b]; });
    std::vector<bool> rejects(m, false);
    for (std::size_t rank = 0; rank < m; ++rank) {
        const std::size_t i = order[rank];
        if (pValues[i] > alpha / double(m - rank)) break;  // this and every larger one stay
        rejects[i] = true;
    }
    return rejects;
}

}  // namespace pirumoa
