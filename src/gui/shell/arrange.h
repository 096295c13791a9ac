#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

namespace pirumoa {

// What arranging needs to know of one window.
struct Arrangeable {
    // Smaller would leave it useless: a grid window's frozen rows and three data rows. A
    // window laid out by hand (the prediction) has its design size here.
    QSize minimum;
    QSize design;                                             // the size it was laid out for
    QSize maximum = QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);  // a fixed border: minimum == maximum

    // Laid out by hand: it keeps its design size where the others still get their minimum,
    // and otherwise takes no more than they do at the least (it scrolls).
    bool laidOutByHand() const {
        return !design.isEmpty() && minimum == design && minimum != maximum;
    }
};

// The arrangement commands as pure functions: where each window goes in an area of the given
// size, in the order given. A window larger than its share of the area scrolls its grid; only
// the minimum (or a fixed size) may push a window out of the area.

// One above the other, each as wide as the area, the height shared out, so that every window
// gets at least its minimum: a window laid out by hand gives up its design height for that.
// Where even that does not fit, the windows go into the fewest columns in which it does, each
// column one above the other, filled in order from the left.
std::vector<QRect> tileOneAboveTheOther(QSize area, const std::vector<Arrangeable>& windows);
// Side by side, each as high as the area, the width shared out.
std::vector<QRect> tileSideBySide(QSize area, const std::vector<Arrangeable>& windows);
// Each a step lower and further right than the one before at its design size, as far as the
// area leaves room for the steps; the next window starts again at the top-left corner where it
// would leave the area.
std::vector<QRect> cascadeWindows(QSize area, const std::vector<Arrangeable>& windows, int step);

// The size a window opens at: its design size, no larger than the area (its grid scrolls), no
// smaller than its minimum.
QSize openingSize(QSize area, const Arrangeable& window);

}  // namespace pirumoa
