#pragma once

#include <QString>
#include <QStringList>
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
int wrapDigit(int v);

// The cycle lengths behind cycle indices 0 … 3.
inline constexpr std::array<int, 4> kCycleLengths{7, 9, 11, 12};

// The prediction: the ten options, the tables read from the draw history and the four
// results. One object lives for the whole run, so the options and tables outlive the
// window that shows them.
class Prediction {
public:
    static constexpr int kMaxDrawNumber = 99999;  // the largest draw number the table holds

    Prediction() = default;

    // Options of the ten analyses; indices outside 0 … 9 (the window's pairs 10 and 11)
    // are ignored.
    const ReflectOptions& reflectOptions() const { return m_options; }
    bool reflectOption(int index) const;
    void setReflectOption(int index, bool on);
    void setReflectOptions(const ReflectOptions& options) { m_options = options; }
    int reflectCount() const;

    // The options file; see options.h for what is read and how a failure is reported.
    bool readInitFile(const QString& path = initFileName());
    QString writeInitFile(const QString& path = initFileName()) const;

    // Reads the history into drawDigits and cycleDigits, then computes. Entries the history
    // does not touch keep what an earlier scan stored.
    void scan(const DrawHistory& history);
    // One step of the scan: reads the next complete draw (draw numbers ascending) and makes it
    // the latest. After the steps over a history's first draws, compute() gives what the
    // window shows for a history that ends there; the replay of the predictions relies on it.
    void scanDraw(const DrawRecord& draw);
    // Elimination, rapid-fire and one-shot results from the tables and the options; the
    // history is not read again.
    void compute();

    // Digit at position 1 … 4 of draw no; 0 for a draw number without a complete draw.
    int drawDigits(int no, int position) const;
    bool hasCompleteDraw(int no) const;
    // Cycle index 0 … 3 (7, 9, 11, 12 draws), position 1 … 4; empty when none was found.
    QString cycleDigits(int cycle, int position) const;
    // Row 0 … 14 of the elimination rules; empty before the first computation and while
    // there is no complete draw.
    QString eliminationDigits(int row) const;

    int latestDrawNo() const { return m_latestDrawNo; }
    // The draw the elimination rows count back from.
    int baseDrawNo() const { return m_latestDrawNo - reflectCount(); }

    // Distinct digits in the order the methods find them.
    const QStringList& eliminationResult() const { return m_elimination; }
    const QStringList& rapidFireResult() const { return m_rapidFire; }
    const QStringList& oneShotResult() const { return m_oneShot; }

private:
    void collect(int window, int limit, QStringList& result) const;

    ReflectOptions m_options{};
    // Four digits per draw number, index = draw number; -1 where no complete draw is stored.
    std::vector<std::array<std::int8_t, 4>> m_drawDigits;
    std::array<std::array<QString, 4>, 4> m_cycleDigits;
    std::array<QString, kEliminationRuleCount> m_eliminationDigits;
    int m_latestDrawNo = 0;
    QStringList m_elimination;
    QStringList m_rapidFire;
    QStringList m_oneShot;
};

}  // namespace pirumoa
