#include "gui/shell/arrange.h"

#include <algorithm>
#include <optional>

namespace pirumoa {

namespace {

struct Span {
    int minimum;
    int maximum;
};

// Shares length out among the spans as evenly as their limits allow: a span that cannot take
// the even share keeps its limit, and the others share what is left. What does not divide
// evenly goes to the last spans that can take it, so the sizes fill the length exactly when
// the limits allow.
std::vector<int> share(int length, const std::vector<Span>& spans) {
    const size_t n = spans.size();
    std::vector<int> size(n, 0);
    std::vector<bool> settled(n, false);
    for (bool changed = true; changed;) {
        changed = false;
        int left = length, open = 0;
        for (size_t i = 0; i < n; ++i) {
            if (settled[i])
                left -= size[i];
            else
                ++open;
        }
        if (open == 0) break;
        const int even = std::max(0, left) / open;
        for (size_t i = 0; i < n; ++i) {
            if (settled[i]) continue;
            if (spans[i].minimum > even || spans[i].maximum < even) {
                size[i] = std::clamp(even, spans[i].minimum,
                                     std::max(spans[i].minimum, spans[i].maximum));
                settled[i] = true;
                changed = true;
            }
        }
        if (changed) continue;
        int rest = std::max(0, left) - even * open;
        for (size_t i = n; i-- > 0;) {
            if (settled[i]) continue;
            size[i] = even + (rest > 0 ? 1 : 0);
            if (rest > 0) --rest;
        }
    }
    return size;
}

int across(int length, int minimum, int maximum) {
    return std::clamp(length, minimum, std::max(minimum, maximum));
}

}  // namespace

namespace {

// The least a window takes where the windows around it do not leave it its minimum: a window
// laid out by hand takes what the largest of the others needs, in each direction; the others
// keep their minimum.
QSize crowdedMinimum(const Arrangeable& w, const std::vector<const Arrangeable*>& around) {
    if (!w.laidOutByHand()) return w.minimum;
    QSize least(0, 0);
    for (const Arrangeable* other : around)
        if (!other->laidOutByHand()) least = least.expandedTo(other->minimum);
    return least.boundedTo(w.minimum);
}

int sumOfHeights(const std::vector<QSize>& sizes) {
    int sum = 0;
    for (const QSize& s : sizes) sum += s.height();
    return sum;
}

// What each window of a column needs at the least: its minimum where all of them fit the
// height, else as crowded.
std::vector<QSize> columnMinimums(int height, const std::vector<const Arrangeable*>& column) {
    std::vector<QSize> least;
    for (const Arrangeable* w : column) least.push_back(w->minimum);
    if (sumOfHeights(least) <= height) return least;
    for (size_t i = 0; i < column.size(); ++i) least[i] = crowdedMinimum(*column[i], column);
    return least;
}

// The windows in k columns, in order from the top of the leftmost; the first columns take one
// window more where they do not divide evenly.
std::vector<std::vector<const Arrangeable*>> inColumns(const std::vector<Arrangeable>& windows,
                                                       size_t k) {
    std::vector<std::vector<const Arrangeable*>> columns(k);
    size_t next = 0;
    for (size_t c = 0; c < k; ++c) {
        const size_t count = windows.size() / k + (c < windows.size() % k ? 1 : 0);
        for (size_t i = 0; i < count; ++i) columns[c].push_back(&windows[next++]);
    }
    return columns;
}

}  // namespace

std::vector<QRect> tileOneAboveTheOther(QSize area, const std::vector<Arrangeable>& windows) {
    if (windows.empty()) return {};
    struct Try {
        std::vector<std::vector<const Arrangeable*>> columns;
        std::vector<std::vector<QSize>> least;
        std::vector<int> widths;
    };
    // The fewest columns in which every window gets what it needs at the least. Where none
    // does, the most columns whose widths still fit, and one column where not even that.
    std::optional<Try> chosen, widest;
    for (size_t k = 1; k <= windows.size() && !chosen; ++k) {
        Try t;
        t.columns = inColumns(windows, k);
        bool heightsFit = true;
        std::vector<Span> spans;
        int widthNeeded = 0;
        for (const auto& column : t.columns) {
            t.least.push_back(columnMinimums(area.height(), column));
            heightsFit = heightsFit && sumOfHeights(t.least.back()) <= area.height();
            int least = 0;
            for (const QSize& s : t.least.back()) least = std::max(least, s.width());
            spans.push_back({least, QWIDGETSIZE_MAX});
            widthNeeded += least;
        }
        if (widthNeeded > area.width() && k > 1) continue;
        t.widths = share(area.width(), spans);
        if (heightsFit)
            chosen = std::move(t);
        else
            widest = std::move(t);
    }
    if (!chosen) chosen = std::move(widest);

    std::vector<QRect> out(windows.size());
    int x = 0;
    for (size_t c = 0; c < chosen->columns.size(); ++c) {
        const auto& column = chosen->columns[c];
        std::vector<Span> spans;
        for (size_t i = 0; i < column.size(); ++i)
            spans.push_back({chosen->least[c][i].height(), column[i]->maximum.height()});
        const std::vector<int> heights = share(area.height(), spans);
        int y = 0;
        for (size_t i = 0; i < column.size(); ++i) {
            const Arrangeable& w = *column[i];
            const int width =
                across(chosen->widths[c], chosen->least[c][i].width(), w.maximum.width());
            out[size_t(column[i] - windows.data())] = QRect(x, y, width, heights[i]);
            y += heights[i];
        }
        x += chosen->widths[c];
    }
    return out;
}

std::vector<QRect> tileSideBySide(QSize area, const std::vector<Arrangeable>& windows) {
    std::vector<Span> spans;
    for (const Arrangeable& w : windows) spans.push_back({w.minimum.width(), w.maximum.width()});
    const std::vector<int> widths = share(area.width(), spans);
    std::vector<QRect> out;
    int x = 0;
    for (size_t i = 0; i < windows.size(); ++i) {
        const Arrangeable& w = windows[i];
        out.emplace_back(x, 0, widths[i],
                         across(area.height(), w.minimum.height(), w.maximum.height()));
        x += widths[i];
    }
    return out;
}

QSize openingSize(QSize area, const Arrangeable& window) {
    return window.design.boundedTo(area)
        .expandedTo(window.minimum)
        .boundedTo(window.maximum.expandedTo(window.minimum));
}

std::vector<QRect> cascadeWindows(QSize area, const std::vector<Arrangeable>& windows, int step) {
    step = std::max(step, 1);
    // Room for as many steps as there are windows after the first, but never more than a
    // third of the area: the windows stay large and the rest start again at the corner.
    const int steps = std::min<int>(std::max<int>(int(windows.size()) - 1, 0),
                                    std::min(area.width(), area.height()) / (3 * step));
    const QSize room = area - QSize(steps * step, steps * step);
    std::vector<QRect> out;
    int offset = 0;
    for (const Arrangeable& w : windows) {
        const QSize size = openingSize(room, w);
        if (offset > 0 &&
            (offset + size.width() > area.width() || offset + size.height() > area.height()))
            offset = 0;
        out.emplace_back(QPoint(offset, offset), size);
        offset += step;
    }
    return out;
}

}  // namespace pirumoa
