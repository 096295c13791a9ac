#include "core/analysis/analyses.h"
#include "core/analysis/combinationpattern.h"

namespace pirumoa {

using namespace Qt::Literals::StringLiterals;

namespace {

bool isLow(int d) { return d <= 4; }

const PatternSplit& lowHigh() {
    static const PatternSplit split{.countedHeading = u"低数字"_s,
                                    .restHeading = u"高数字"_s,
                                    .counted = isLow,
                                    .letterByCounted = true,
                                    // Three characters do not fit the usual width.
                                    .countWidth = 6.5};
    return split;
}

}  // namespace

void fillLowHighPattern(const DrawHistory& history, Sheet& sheet) {
    fillCombinationPattern(history, sheet, lowHigh());
}

}  // namespace pirumoa
