#include "gui/shell/gridview.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <cmath>

#include "gui/shell/look.h"

namespace pirumoa {

namespace {
constexpr int kTextPadding = 2;  // pixels between a cell's edge and its text

}  // namespace

// A unit of column width is about one digit of the grid font, plus the cell's margins, and
// a unit of row height a little over a point: the widest analysis (92 units) then fits its
// window, and the prediction window's grids fit the room its layout gives them.
int GridView::columnPixels(double width) { return int(std::lround(width * 6.0)) + 5; }
int GridView::rowPixels(double height) { return int(std::lround(height * 1.6)); }

GridView::GridView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFont(windowFont());
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setBackgroundRole(QPalette::Base);
    layoutCells();
}

void GridView::setSheet(Sheet sheet) {
    m_sheet = std::move(sheet);
    m_currentCol = m_sheet.activeColumn();
    m_currentRow = m_sheet.activeRow();
    layoutCells();
    updateGeometry();
    viewport()->update();
}

void GridView::layoutCells() {
    const int cols = m_sheet.columnCount(), rows = m_sheet.rowCount();
    m_colX.assign(std::size_t(cols) + 1, 1);
    for (int c = 1; c <= cols; ++c)
        m_colX[c] = m_colX[c - 1] + columnPixels(m_sheet.columnWidth(c));
    m_rowY.assign(std::size_t(rows) + 1, 1);
    for (int r = 1; r <= rows; ++r) m_rowY[r] = m_rowY[r - 1] + rowPixels(m_sheet.rowHeight(r));

    // Each distinct text is measured once: the overflow of a cell needs only its width.
    const QFontMetrics fm(font());
    m_textHeight = fm.height();
    const std::uint32_t texts = m_sheet.textCount();
    m_textWidth.resize(texts);
    for (std::uint32_t i = 0; i < texts; ++i)
        m_textWidth[i] = fm.horizontalAdvance(m_sheet.textAt(i).toString());
    m_staticTexts.assign(texts, QStaticText());
    m_staticReady.assign(texts, 0);
    updateScrollBars();
}

QSize GridView::contentSize() const {
    const int f = 2 * frameWidth();
    return QSize(m_colX.back() + f, m_rowY.back() + f);
}

QSize GridView::sizeHint() const { return contentSize().boundedTo(QSize(1600, 1200)); }

QSize GridView::minimumSizeHint() const { return QSize(40, 40); }

void GridView::updateScrollBars() {
    const QSize content(m_colX.back(), m_rowY.back());
    const QSize view = maximumViewportSize();
    // Scroll bars only when needed: one bar narrows the room for the other.
    bool needH = content.width() > view.width();
    bool needV = content.height() > view.height();
    const int sbw = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (needH && !needV) needV = content.height() > view.height() - sbw;
    if (needV && !needH) needH = content.width() > view.width() - sbw;
    const int vw = view.width() - (needV ? sbw : 0);
    const int vh = view.height() - (needH ? sbw : 0);

    horizontalScrollBar()->setRange(0, std::max(0, content.width() - vw));
    horizontalScrollBar()->setPageStep(std::max(1, vw));
    horizontalScrollBar()->setSingleStep(columnPixels(Sheet::kDefaultColumnWidth));
    const int bodyView = std::max(1, vh - frozenHeight());
    verticalScrollBar()->setRange(0, std::max(0, content.height() - vh));
    verticalScrollBar()->setPageStep(bodyView);
    verticalScrollBar()->setSingleStep(rowPixels(Sheet::kDefaultRowHeight));
}

void GridView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void GridView::scrollContentsBy(int, int) { viewport()->update(); }

bool GridView::event(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) layoutCells();
    return QAbstractScrollArea::event(event);
}

int GridView::firstRowAt(int contentY) const {
    // m_rowY[r] is the bottom edge of row r.
    auto it = std::upper_bound(m_rowY.begin() + 1, m_rowY.end(), contentY);
    return int(it - m_rowY.begin());
}

QRect GridView::cellRect(int col, int row) const {
    if (col < 1 || row < 1 || col > m_sheet.columnCount() || row > m_sheet.rowCount())
        return QRect();
    const int sx = horizontalScrollBar()->value(), sy = verticalScrollBar()->value();
    const bool frozen = row <= m_sheet.frozenRows();
    const int y0 = m_rowY[row - 1] - (frozen ? 0 : sy);
    QRect r(m_colX[col - 1] - sx, y0, m_colX[col] - m_colX[col - 1], m_rowY[row] - m_rowY[row - 1]);
    if (!frozen && r.bottom() < frozenHeight()) return QRect();
    return r;
}

QPoint GridView::cellAt(const QPoint& pos) const {
    const int sx = horizontalScrollBar()->value(), sy = verticalScrollBar()->value();
    const int x = pos.x() + sx;
    const int y = pos.y() < frozenHeight() ? pos.y() : pos.y() + sy;
    auto cit = std::upper_bound(m_colX.begin() + 1, m_colX.end(), x);
    const int col = int(cit - m_colX.begin());
    const int row = firstRowAt(y);
    if (x < m_colX.front() || col > m_sheet.columnCount() || y < m_rowY.front() ||
        row > m_sheet.rowCount())
        return QPoint(0, 0);
    return QPoint(col, row);
}

void GridView::setCurrentCell(int col, int row) {
    m_currentCol = std::clamp(col, 0, m_sheet.columnCount());
    m_currentRow = std::clamp(row, 0, m_sheet.rowCount());
    if (m_currentCol >= 1 && m_currentRow >= 1) ensureVisible(m_currentCol, m_currentRow);
    viewport()->update();
}

void GridView::ensureVisible(int col, int row) {
    const int vw = viewport()->width(), vh = viewport()->height();
    QScrollBar* h = horizontalScrollBar();
    if (m_colX[col - 1] < h->value() + 1)
        h->setValue(m_colX[col - 1] - 1);
    else if (m_colX[col] > h->value() + vw)
        h->setValue(m_colX[col] - vw);
    if (row <= m_sheet.frozenRows()) return;
    QScrollBar* v = verticalScrollBar();
    const int top = m_rowY[row - 1] - 1 - frozenHeight();
    if (top < v->value())
        v->setValue(top);
    else if (m_rowY[row] > v->value() + vh)
        v->setValue(m_rowY[row] - vh);
}

void GridView::mousePressEvent(QMouseEvent* event) {
    const QPoint cell = cellAt(event->position().toPoint());
    if (cell != QPoint(0, 0)) setCurrentCell(cell.x(), cell.y());
    QAbstractScrollArea::mousePressEvent(event);
}

void GridView::keyPressEvent(QKeyEvent* event) {
    const int cols = m_sheet.columnCount(), rows = m_sheet.rowCount();
    if (cols == 0 || rows == 0) return QAbstractScrollArea::keyPressEvent(event);
    const int firstBody = std::min(m_sheet.frozenRows() + 1, rows);
    int col = std::max(m_currentCol, 1), row = std::max(m_currentRow, 1);
    const int page =
        std::max(1, verticalScrollBar()->pageStep() / rowPixels(Sheet::kDefaultRowHeight));
    const bool fromCorner = m_currentCol < 1 || m_currentRow < 1;
    switch (event->key()) {
        case Qt::Key_Left:
            col = fromCorner ? 1 : col - 1;
            break;
        case Qt::Key_Right:
            col = fromCorner ? 1 : col + 1;
            break;
        case Qt::Key_Up:
            row = fromCorner ? firstBody : row - 1;
            break;
        case Qt::Key_Down:
            row = fromCorner ? firstBody : row + 1;
            break;
        case Qt::Key_PageUp:
            row -= page;
            break;
        case Qt::Key_PageDown:
            row += page;
            break;
        case Qt::Key_Home:
            col = 1;
            if (event->modifiers() & Qt::ControlModifier) row = firstBody;
            break;
        case Qt::Key_End:
            col = cols;
            if (event->modifiers() & Qt::ControlModifier) row = rows;
            break;
        default:
            return QAbstractScrollArea::keyPressEvent(event);
    }
    setCurrentCell(std::clamp(col, 1, cols), std::clamp(row, 1, rows));
}

const QStaticText& GridView::staticText(std::uint32_t id) {
    if (!m_staticReady[id]) {
        m_staticTexts[id].setText(m_sheet.textAt(id).toString());
        m_staticTexts[id].setTextFormat(Qt::PlainText);
        m_staticTexts[id].prepare(QTransform(), font());
        m_staticReady[id] = 1;
    }
    return m_staticTexts[id];
}

std::pair<int, int> GridView::textSpan(int col, int row) const {
    const int cols = m_sheet.columnCount();
    const Sheet::Cell& cell = m_sheet.cell(col, row);
    int a = col, b = col;
    if (!m_sheet.overflow() || cell.text == 0) return {a, b};
    const int need = m_textWidth[cell.text] + 2 * kTextPadding;
    auto width = [&] { return m_colX[b] - m_colX[a - 1]; };
    auto empty = [&](int c) { return m_sheet.cell(c, row).text == 0; };
    if (cell.flags & 1) {
        while (width() < need && b < cols && empty(b + 1)) ++b;
        return {a, b};
    }
    for (bool grew = true; width() < need && grew;) {
        grew = false;
        if (b < cols && empty(b + 1)) ++b, grew = true;
        if (width() < need && a > 1 && empty(a - 1)) --a, grew = true;
    }
    return {a, b};
}

void GridView::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    paintArea(p, event->rect());
}

void GridView::paintArea(QPainter& p, const QRect& area) {
    // Beyond the last column and row the grid shows the window's grey, as a sheet does.
    p.fillRect(area, palette().window());
    const int rows = m_sheet.rowCount();
    if (rows == 0 || m_sheet.columnCount() == 0) return;
    p.setFont(font());
    const int sy = verticalScrollBar()->value();
    const int band = m_sheet.frozenRows() > 0 ? frozenHeight() + 1 : 0;

    // Body first, clipped below the frozen band; then the band on top of it.
    const QRect bodyClip = area.intersected(QRect(0, band, viewport()->width(), INT_MAX / 2));
    if (!bodyClip.isEmpty()) {
        const int first = std::max(m_sheet.frozenRows() + 1, firstRowAt(bodyClip.top() + sy));
        const int last = std::min(rows, firstRowAt(bodyClip.bottom() + sy));
        if (first <= last) paintRows(p, first, last, -sy, bodyClip);
    }
    if (band > 0) {
        const QRect bandClip = area.intersected(QRect(0, 0, viewport()->width(), band));
        if (!bandClip.isEmpty())
            paintRows(p, 1, std::min(rows, m_sheet.frozenRows() + 1), 0, bandClip);
    }

    if (m_currentCol >= 1 && m_currentRow >= 1 && hasFocus()) {
        const QRect r = cellRect(m_currentCol, m_currentRow);
        if (!r.isEmpty()) {
            p.setClipRect(area);
            p.setPen(QPen(palette().highlight().color(), 2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(0, 0, -2, -2));
        }
    }
}

void GridView::paintRows(QPainter& p, int firstRow, int lastRow, int dy, const QRect& clip) {
    const int cols = m_sheet.columnCount();
    const int sx = horizontalScrollBar()->value();
    const int dx = -sx;
    p.setClipRect(clip);

    // Visible columns for backgrounds and lines; texts look at whole rows, since a text to
    // the left of the view may run over into it.
    const int c0 = std::max(
        1,
        int(std::upper_bound(m_colX.begin() + 1, m_colX.end(), clip.left() + sx) - m_colX.begin()));
    const int c1 =
        std::min(cols, int(std::upper_bound(m_colX.begin() + 1, m_colX.end(), clip.right() + sx) -
                           m_colX.begin()));

    auto left = [&](int c) { return m_colX[c - 1] - 1 + dx; };
    auto top = [&](int r) { return m_rowY[r - 1] - 1 + dy; };

    // Pass 1: backgrounds, one rectangle per run of equal colour.
    for (int r = firstRow; r <= lastRow; ++r) {
        const int y0 = top(r), y1 = (r == m_sheet.rowCount() ? m_rowY[r] : m_rowY[r] - 1) + dy;
        int c = c0;
        while (c <= c1) {
            const std::uint8_t bg = m_sheet.cell(c, r).bg;
            int e = c;
            while (e + 1 <= c1 && m_sheet.cell(e + 1, r).bg == bg) ++e;
            const int x1 = (e == cols ? m_colX[e] : m_colX[e] - 1) + dx;
            p.fillRect(QRect(QPoint(left(c), y0), QPoint(x1 - 1, y1 - 1)),
                       toColor(m_sheet.colourOf(bg)));
            c = e + 1;
        }
    }

    // Pass 2: texts, with overflow into empty neighbours.
    std::uint8_t pen = 255;
    for (int r = firstRow; r <= lastRow; ++r) {
        const int y0 = m_rowY[r - 1] + dy, h = m_rowY[r] - m_rowY[r - 1] - 1;
        for (int c = 1; c <= cols; ++c) {
            const Sheet::Cell& cell = m_sheet.cell(c, r);
            if (cell.text == 0) continue;
            const bool leftAligned = cell.flags & 1;
            const auto [a, b] = textSpan(c, r);
            const int x0 = m_colX[a - 1] + dx, w = m_colX[b] - m_colX[a - 1] - 1;
            if (x0 + w < clip.left() || x0 > clip.right()) continue;
            const int tw = m_textWidth[cell.text];
            const int tx = leftAligned ? x0 + kTextPadding : x0 + (w - tw) / 2;
            const int ty = y0 + (h - m_textHeight) / 2;
            if (cell.fg != pen) {
                pen = cell.fg;
                p.setPen(toColor(m_sheet.colourOf(pen)));
            }
            const bool fits = tw + kTextPadding <= w;
            if (!fits) p.setClipRect(QRect(x0, y0, w, h).intersected(clip));
            p.drawStaticText(tx, ty, staticText(cell.text));
            if (!fits) p.setClipRect(clip);
        }
    }

    // Pass 3: lines, gathered per colour. A line lies on the pixel between two cells, so
    // the right line of one cell and the left line of the next are the same line.
    std::vector<std::pair<std::uint8_t, QLine>> lines;
    const int lastLineRow = std::min(lastRow + 1, m_sheet.rowCount());
    for (int r = std::max(1, firstRow - 1); r <= lastLineRow; ++r) {
        const bool above = r < firstRow;  // the previous row's bottom line only
        const bool below = r > lastRow;   // the next row's top line only
        const int y0 = top(r), y1 = m_rowY[r] - 1 + dy;
        for (int c = c0; c <= c1; ++c) {
            const Sheet::Cell& cell = m_sheet.cell(c, r);
            if (!cell.lines) continue;
            const Sheet::LineSet& ln = m_sheet.linesOf(cell);
            const int x0 = left(c), x1 = m_colX[c] - 1 + dx;
            if (above) {
                if (ln[3]) lines.push_back({ln[3], QLine(x0, y1, x1, y1)});
                continue;
            }
            if (ln[2]) lines.push_back({ln[2], QLine(x0, y0, x1, y0)});
            if (below) continue;
            if (ln[0]) lines.push_back({ln[0], QLine(x0, y0, x0, y1)});
            if (ln[1]) lines.push_back({ln[1], QLine(x1, y0, x1, y1)});
            if (ln[3]) lines.push_back({ln[3], QLine(x0, y1, x1, y1)});
        }
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<QLine> batch;
    for (std::size_t i = 0; i < lines.size();) {
        const std::uint8_t colour = lines[i].first;
        batch.clear();
        for (; i < lines.size() && lines[i].first == colour; ++i) batch.push_back(lines[i].second);
        p.setPen(QPen(toColor(m_sheet.colourOf(colour - 1)), 0));
        p.drawLines(batch.data(), int(batch.size()));
    }
    p.setClipping(false);
}

}  // namespace pirumoa
