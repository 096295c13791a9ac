#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace pirumoa {

// One row of the draw table. A digit of -1 is a result not entered yet.
struct DrawRecord {
    int no = 0;  // 回数, 1 … 32767
    std::array<std::int8_t, 4> digits{-1, -1, -1, -1};
    QString date;  // 抽選日, may be empty

    bool complete() const {
        return digits[0] >= 0 && digits[1] >= 0 && digits[2] >= 0 && digits[3] >= 0;
    }
    friend bool operator==(const DrawRecord&, const DrawRecord&) = default;
};

constexpr int kMaxDrawNo = 32767;

// The prizes of one draw in yen for one unit (口); -1 where the amount is not known.
struct PrizeAmounts {
    long long straight = -1;
    long long box = -1;
    long long setStraight = -1;
    long long setBox = -1;
    friend bool operator==(const PrizeAmounts&, const PrizeAmounts&) = default;
};

// Prizes by draw number; a draw without an entry has no known prize. Copies share their
// table until one of them changes it: every snapshot of the history carries one.
class PrizeTable {
public:
    void set(int drawNo, const PrizeAmounts& prizes);
    void erase(int drawNo);
    const PrizeAmounts* find(int drawNo) const;
    bool empty() const { return m_count == 0; }

private:
    using Table = std::vector<std::optional<PrizeAmounts>>;
    // The table this copy may change, copied first when another copy shares it.
    Table& own();
    std::shared_ptr<Table> m_byDraw;
    int m_count = 0;
};

// The history as read at start-up, in ascending draw-number order, with the
// totals the analyses share. Nobody changes it after it is built.
struct DrawHistory {
    std::vector<DrawRecord> rows;

    // The totals are kept in int: a digit may appear more than 32,767 times in a full
    // history of 32,767 draws, and a total must never wrap.
    std::array<int, 10> digitCount{};
    int latestDrawNo = 0;
    int maxDigitCount = 0;
    // Indexed by a total 0 … maxDigitCount: the digits with that total, "2,7". Empty when
    // the history has no rows at all.
    std::vector<QString> digitsByCount;
    int countGroupRows = 0;

    // The prizes stored with the draws, where the history was read with them.
    PrizeTable prizes;

    // Builds the totals from rows exactly as the loader does.
    static DrawHistory fromRows(std::vector<DrawRecord> rows);

    // Calls f(const DrawRecord&) for each complete draw, in order.
    template <class F>
    void forEachComplete(F&& f) const {
        for (const DrawRecord& r : rows)
            if (r.complete()) f(r);
    }
};

// One state of the draw history: the draws with their dates and prizes. Nobody changes it: a
// write makes a new one.
using HistorySnapshot = std::shared_ptr<const DrawHistory>;

}  // namespace pirumoa
