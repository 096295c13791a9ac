#include "gui/shell/arrange.h"

#include <algorithm>

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

std::vector<QRect> tileOneAboveTheOther(QSize area, const std::vector<Arrangeable>& windows) {
    std::vector<Span> spans;
    for (const Arrangeable& w : windows) spans.push_back({w.minimum.height(), w.maximum.height()});
    const std::vector<int> heights = share(area.height(), spans);
    std::vector<QRect> out;
    int y = 0;
    for (size_t i = 0; i < windows.size(); ++i) {
        const Arrangeable& w = windows[i];
        out.emplace_back(0, y, across(area.width(), w.minimum.width(), w.maximum.width()),
                         heights[i]);
        y += heights[i];
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
