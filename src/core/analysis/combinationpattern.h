#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "core/sheet/sheet.h"
#include "core/store/drawhistory.h"

namespace pirumoa {

// The two combination-pattern windows share one layout: a draw per row, its four digits
// tinted by which side of a split each falls on, the count of each side and a pattern
// letter. Only the split and its headings differ.

struct PatternSplit {
    QString countedHeading;      // column 6
    QString restHeading;         // column 7
    bool (*counted)(int digit);  // the side that is counted in column 6 and tinted
    bool letterByCounted;        // the letter follows column 6's count, else column 7's
    double countWidth = 5;       // columns 6 and 7: wide enough for their headings
};

// What the windows compute for one draw: how many of its digits are on the counted side and
// how many are not, the count the letter follows, and the letter ("A" for 0 … "D" for 3,
// none for 4).
struct PatternProfile {
    int counted = 0;
    int rest = 0;
    int letterCount = 0;
    QString pattern;
};

PatternProfile profileOf(const std::array<std::int8_t, 4>& digits, const PatternSplit& split);

void fillCombinationPattern(const DrawHistory& history, Sheet& sheet, const PatternSplit& split);

}  // namespace pirumoa
