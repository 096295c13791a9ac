#include "core/prediction/methods.h"

#include <algorithm>
#include <bit>

namespace pirumoa {

// No row reads back 8 and none reads position 3; that is how the method is defined.
const std::array<EliminationRule, kEliminationRuleCount> kEliminationRules{{
    {0, 1, +1},
    {0, 2, +8},
    {1, 1, 0},
    {1, 4, -7},
    {2, 4, +8},
    {2, 2, -5},
    {3, 1, +3},
    {3, 4, +1},
    {4, 4, +4},
    {4, 1, +7},
    {5, 4, +6},
    {5, 4, -9},
    {6, 1, +4},
    {7, 2, +1},
    {9, 4, +9},
}};

DigitList DigitList::distinct(const std::int8_t* digits, int count) {
    // Every digit is written at the end of the list, and the end moves on only past a new
    // one: no branch whose outcome no processor can guess, and no stored slot read back.
    std::array<std::int8_t, 16> kept{};
    unsigned mask = 0;
    int size = 0;
    for (int i = 0; i < count; ++i) {
        const int d = digits[i];
        kept[std::size_t(std::min(size, 15))] = std::int8_t(d);
        size += (mask >> d & 1u) == 0;
        mask |= 1u << d;
    }
    // Only the slot after the last digit can hold a digit that was there already.
    kept[std::size_t(std::min(size, 15))] = 0;
    DigitList out;
    out.m_mask = std::uint16_t(mask);
    out.m_size = size;
    std::copy_n(kept.begin(), out.m_digits.size(), out.m_digits.begin());
    return out;
}

int reflectCount(const ReflectOptions& options) {
    return int(std::count(options.begin(), options.end(), true));
}

PredictionTables PredictionTables::scan(const DrawHistory& history) {
    PredictionTables tables;
    tables.m_drawDigits.reserve(std::size_t(history.latestDrawNo) + 1);
    history.forEachComplete([&](const DrawRecord& r) { tables.addDraw(r); });
    return tables;
}

void PredictionTables::addDraw(const DrawRecord& r) {
    const int n = r.no;
    if (!r.complete() || n < 1 || n <= m_latestDrawNo) return;  // nothing to read, or out of order
    if (std::size_t(n) >= m_drawDigits.size())
        m_drawDigits.resize(std::size_t(n) + 1, {-1, -1, -1, -1});
    m_drawDigits[std::size_t(n)] = r.digits;
    m_latestDrawNo = n;

    // The earlier draw that holds the digit at any position, nearest first. Only a complete
    // draw counts as an appearance: a draw number without one holds no digits, not four zeros.
    for (int p = 0; p < 4; ++p) {
        const int m = m_lastSeen[std::size_t(r.digits[std::size_t(p)])];
        if (m < 1) continue;
        const auto cycle = std::find(kCycleLengths.begin(), kCycleLengths.end(), n - m);
        if (cycle != kCycleLengths.end())
            m_cycle[std::size_t(cycle - kCycleLengths.begin())][std::size_t(p)] =
                r.digits[std::size_t(p)];
    }
    for (std::int8_t d : r.digits) m_lastSeen[std::size_t(d)] = n;
}

namespace {

// The cycle digits the two close methods may take, in their order: cycle index by cycle index,
// each up to its first empty position.
struct Candidates {
    std::array<std::int8_t, 16> digits{};
    int count = 0;
    unsigned mask = 0;                     // bit d for digit d
    std::array<std::uint8_t, 10> first{};  // where digit d first stands, for the digits in mask
};

Candidates candidatesOf(const CycleDigits& cycles) {
    Candidates out;
    for (const auto& cycle : cycles)
        for (std::int8_t c : cycle) {
            if (c < 0) break;
            // Set only where the digit is new, without a branch.
            std::uint8_t& first = out.first[std::size_t(c)];
            const unsigned fresh = (out.mask >> c & 1u) ^ 1u;
            first = std::uint8_t(first ^ ((first ^ unsigned(out.count)) & (0u - fresh)));
            out.digits[std::size_t(out.count++)] = c;
            out.mask |= 1u << c;
        }
    return out;
}

// Candidates within `window` of an elimination digit, walking the elimination rows, then the
// candidates in order. A row that repeats an earlier row's digit finds nothing new, so only
// the distinct digits are walked.
DigitList collect(const DigitList& elimination, const Candidates& candidates, int window,
                  int limit) {
    DigitList result;
    for (int e : elimination) {
        // Clamped to 0 … 9 without a branch.
        const int low = (e - window) & -int(e >= window);
        const int high = e + window - (e + window - 9) * int(e + window > 9);
        // The new digits near e, moved to the places where they first stand among the
        // candidates and taken from there in order: bit loops rather than a test per
        // candidate, whose outcome no processor can guess.
        unsigned fresh = candidates.mask & ((2u << high) - (1u << low)) & ~unsigned(result.mask());
        unsigned places = 0;
        for (; fresh; fresh &= fresh - 1)
            places |= 1u << candidates.first[std::size_t(std::countr_zero(fresh))];
        for (; places; places &= places - 1) {
            result.add(candidates.digits[std::size_t(std::countr_zero(places))]);
            if (result.size() >= limit) return result;
        }
    }
    return result;
}

}  // namespace

PredictionResult computePrediction(const PredictionTables& tables, int optionsOn) {
    PredictionResult r;
    r.cycle = tables.cycleDigits();
    r.eliminationDigits.fill(-1);
    r.baseDrawNo = tables.latestDrawNo() - optionsOn;
    // Nothing to count back from: the other results stay empty rather than show digits made
    // of nothing.
    if (tables.latestDrawNo() < 1) return r;

    // Worked out in a local and stored once: every store of a byte into the result could
    // change the tables as far as the compiler knows, which would then be read again.
    std::array<std::int8_t, kEliminationRuleCount> digits;
    for (int i = 0; i < kEliminationRuleCount; ++i) {
        const EliminationRule& rule = kEliminationRules[std::size_t(i)];
        // A draw before the first or without a complete draw reads as 0.
        const int v = tables.drawDigit(r.baseDrawNo - rule.back, rule.position) + rule.addend;
        digits[std::size_t(i)] = std::int8_t(wrapDigit(v));
    }
    r.eliminationDigits = digits;
    r.elimination = DigitList::distinct(digits.data(), kEliminationRuleCount);
    const Candidates candidates = candidatesOf(r.cycle);
    r.rapidFire = collect(r.elimination, candidates, 3, kEliminationRuleCount);
    r.oneShot = collect(r.elimination, candidates, 2, 4);
    return r;
}

PredictionResult predict(const DrawHistory& history, const ReflectOptions& options) {
    return computePrediction(PredictionTables::scan(history), reflectCount(options));
}

}  // namespace pirumoa
