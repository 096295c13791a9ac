#include "core/stats/exactchance.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace pirumoa {

namespace {

constexpr double kTail = 0.025;
// Terms this far below the largest change no bound, and no p-value a person reads (they are
// shown to three places); dropping them keeps the convolutions of long rows to a few ms.
constexpr double kNegligible = 1e-30;

// Four doubles side by side (one register of 256 bits, or two of 128).
using Quad = double __attribute__((vector_size(32)));

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
    const double logQ = std::log(q), log1Q = std::log1p(-q), logNFact = std::lgamma(double(n) + 1);
    const auto term = [&](long long k) {
        const double kd = double(k);
        return std::exp(logNFact - std::lgamma(kd + 1) - std::lgamma(double(n) - kd + 1) +
                        kd * logQ + (double(n) - kd) * log1Q);
    };
    // The terms fall away on both sides of the mode: each side is worked out only as far as
    // the terms that trim() would keep, the first one below the floor included.
    const long long mode =
        std::clamp(static_cast<long long>(std::floor(double(n + 1) * q)), 0LL, n);
    const long long nearFrom = std::max(0LL, mode - 3), nearTo = std::min(n, mode + 3);
    std::vector<double> near;
    for (long long k = nearFrom; k <= nearTo; ++k) near.push_back(term(k));
    const double floor = *std::max_element(near.begin(), near.end()) * kNegligible;
    std::vector<double> below;  // nearFrom - 1, nearFrom - 2, …
    for (long long k = nearFrom - 1; k >= 0; --k) {
        below.push_back(term(k));
        if (below.back() < floor) break;
    }
    Pmf d{nearFrom - static_cast<long long>(below.size()), {}};
    d.p.reserve(below.size() + near.size() + below.size() + 16);
    d.p.assign(below.rbegin(), below.rend());
    d.p.insert(d.p.end(), near.begin(), near.end());
    for (long long k = nearTo + 1; k <= n; ++k) {
        d.p.push_back(term(k));
        if (d.p.back() < floor) break;
    }
    trim(d);
    return d;
}

// out[i + j] += a[i] · b[j] for every j: one multiplication and one addition per term, in the
// order of i, as a plain loop would do them, so the sums are the same to the last bit. Four
// terms go to a register; where the processor has 256-bit registers the clone that uses
// them runs.
#if defined(__x86_64__)
#define PIRUMOA_WIDE_CLONES [[gnu::target_clones("avx2", "default")]]
#else
#define PIRUMOA_WIDE_CLONES
#endif
PIRUMOA_WIDE_CLONES void addScaled(double* out, const double* b, std::size_t n, double a) {
    const Quad a4 = {a, a, a, a};
    std::size_t j = 0;
    for (; j + 4 <= n; j += 4) {
        Quad o, v;
        std::memcpy(&o, out + j, sizeof o);
        std::memcpy(&v, b + j, sizeof v);
        o += a4 * v;
        std::memcpy(out + j, &o, sizeof o);
    }
    for (; j < n; ++j) out[j] += a * b[j];
}

Pmf convolve(const Pmf& a, const Pmf& b) {
    Pmf out{a.first + b.first, std::vector<double>(a.p.size() + b.p.size() - 1, 0.0)};
    for (std::size_t i = 0; i < a.p.size(); ++i)
        if (a.p[i] != 0) addScaled(out.p.data() + i, b.p.data(), b.p.size(), a.p[i]);
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
            if (shift <= newTop)
                addScaled(next.data() + shift, p.data(), std::min(top, newTop - shift) + 1, pj);
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
