#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/prediction/options.h"
#include "core/store/drawhistory.h"

namespace pirumoa {

// One row of the elimination method: the digit at `position` (1 … 4) of the draw `back`
// draws before the base draw, plus `addend`.
struct EliminationRule {
    int back;
    int position;
    int addend;
};

inline constexpr int kEliminationRuleCount = 15;
extern const std::array<EliminationRule, kEliminationRuleCount> kEliminationRules;

// Folds a sum of a digit and an addend (-9 … 18) back into a digit. The fold is by nine, not
// by ten: 10 gives 1, 0 gives 9, and 0 comes only from -9.
// Without a branch: the sums fall on either side at random.
inline int wrapDigit(int v) { return v + 9 * (int(v <= 0) - int(v > 9)); }

// The cycle lengths behind cycle indices 0 … 3.
inline constexpr std::array<int, 4> kCycleLengths{7, 9, 11, 12};

// Distinct digits in the order they were found, at most ten, with a mask for the look-up.
class DigitList {
public:
    bool contains(int digit) const { return (m_mask >> digit & 1u) != 0; }
    // Appends digit unless it is there already.
    void add(int digit) {
        if (contains(digit)) return;
        m_mask |= std::uint16_t(1u << digit);
        m_digits[std::size_t(m_size++)] = std::int8_t(digit);
    }
    int size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    // The distinct digits among digits[0 … count) in the order they first stand.
    static DigitList distinct(const std::int8_t* digits, int count);
    std::uint16_t mask() const { return m_mask; }  // bit d for digit d
    int operator[](int i) const { return m_digits[std::size_t(i)]; }
    const std::int8_t* begin() const { return m_digits.data(); }
    const std::int8_t* end() const { return m_digits.data() + m_size; }
    friend bool operator==(const DigitList&, const DigitList&) = default;

private:
    std::array<std::int8_t, 10> m_digits{};
    int m_size = 0;
    std::uint16_t m_mask = 0;
};

// Cycle index 0 … 3 (7, 9, 11, 12 draws) by position 0 … 3; -1 where no digit was found.
using CycleDigits = std::array<std::array<std::int8_t, 4>, 4>;

// What the scan of a history leaves for the methods: the digits of every complete draw and
// the cycle digits. Built afresh from a history; the replay of the predictions adds one draw
// at a time instead.
class PredictionTables {
public:
    static PredictionTables scan(const DrawHistory& history);

    // Reads the next complete draw (draw numbers ascending) and makes it the latest. After
    // the steps over a history's first draws the tables are those of a history that ends
    // there.
    void addDraw(const DrawRecord& draw);

    int latestDrawNo() const { return m_latestDrawNo; }
    // Digit at position 1 … 4 of draw no; 0 for a draw number without a complete draw.
    int drawDigit(int no, int position) const {
        if (no < 1 || std::size_t(no) >= m_drawDigits.size() || position < 1 || position > 4)
            return 0;
        const std::int8_t d = m_drawDigits[std::size_t(no)][std::size_t(position - 1)];
        return d < 0 ? 0 : d;
    }
    const CycleDigits& cycleDigits() const { return m_cycle; }

private:
    // Four digits per draw number, index = draw number; -1 where no complete draw is stored.
    std::vector<std::array<std::int8_t, 4>> m_drawDigits;
    // The latest complete draw holding each digit, 0 while none does: the draw the cycle
    // search finds first.
    std::array<int, 10> m_lastSeen{};
    CycleDigits m_cycle{{{-1, -1, -1, -1}, {-1, -1, -1, -1}, {-1, -1, -1, -1}, {-1, -1, -1, -1}}};
    int m_latestDrawNo = 0;
};

// The four predictions as digits.
struct PredictionResult {
    CycleDigits cycle{};
    // The wrapped digit of each elimination row, duplicates included; -1 while there is no
    // complete draw to count back from.
    std::array<std::int8_t, kEliminationRuleCount> eliminationDigits{};
    DigitList elimination;
    DigitList rapidFire;
    DigitList oneShot;
    int baseDrawNo = 0;  // the draw the elimination rows count back from
    friend bool operator==(const PredictionResult&, const PredictionResult&) = default;
};

// The number of options that are on.
int reflectCount(const ReflectOptions& options);

// The methods over scanned tables: each option that is on moves the base draw of the
// elimination one draw back.
PredictionResult computePrediction(const PredictionTables& tables, int optionsOn);

// The whole prediction for a history and the options, computed from nothing else.
PredictionResult predict(const DrawHistory& history, const ReflectOptions& options);

}  // namespace pirumoa
