#pragma once

#include <QString>

#include "core/sheet/sheet.h"

namespace pirumoa {

// The grid the two interval windows share: draw number, then each digit beside its value,
// between a heading block at the top and its mirror at the bottom. Data rows run from row 3
// to row latestDrawNo + 2.
struct IntervalHeadings {
    QString valueTitle;  // over the value beside each digit
    QString heading;     // across the heading row, from column 5
    bool outline;        // one box around the heading row's columns 2 to 9
};

void layOutIntervalGrid(Sheet& sheet, int latestDrawNo, const IntervalHeadings& headings);

}  // namespace pirumoa
