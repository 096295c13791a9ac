#include "paint/sheetpainter.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

#include "paint/look.h"

namespace pirumoa {

namespace {
constexpr int kTextPadding = 2;  // pixels between a cell's edge and its text
// A line width no text reaches: a cell's text is never wrapped.
constexpr qreal kUnboundedWidth = 1e6;

// A straight line of one pixel's width: along x at y = at from x = from to to (both
// included), or when vertical along y at x = at.
struct LineRun {
    bool vertical;
    int at, from, to;
};

// The lines of one paint, gathered colour by colour. Each edge of the grid is walked along its
// length, so the runs of one colour on one edge arrive in order and a run that touches or
// overlaps the last one is merged into it as it comes: no sort (which cost a print more than
// its texts did).
class LineRuns {
public:
    void add(std::uint8_t colour, bool vertical, int at, int from, int to) {
        if (colour == 0) return;
        std::vector<LineRun>& runs = m_byColour[colour];
        // A pen of width 0 covers both end points: a run that starts on or right after the
        // last one's end continues it.
        if (!runs.empty()) {
            LineRun& last = runs.back();
            if (last.vertical == vertical && last.at == at && from >= last.from &&
                from <= last.to + 1) {
                last.to = std::max(last.to, to);
                return;
            }
        }
        runs.push_back({vertical, at, from, to});
    }

    // Draws each colour once, in ascending order: where two colours cross, the later shows.
    template <class ColourOf>
    void draw(QPainter& p, ColourOf&& colourOf) const {
        std::vector<QLine> batch;
        for (std::size_t colour = 1; colour < m_byColour.size(); ++colour) {
            const std::vector<LineRun>& runs = m_byColour[colour];
            if (runs.empty()) continue;
            batch.clear();
            batch.reserve(runs.size());
            for (const LineRun& run : runs)
                batch.push_back(run.vertical ? QLine(run.at, run.from, run.at, run.to)
                                             : QLine(run.from, run.at, run.to, run.at));
            p.setPen(QPen(colourOf(std::uint8_t(colour)), 0));
            p.drawLines(batch.data(), int(batch.size()));
        }
    }

private:
    std::array<std::vector<LineRun>, 256> m_byColour;
};

// The texts of one paint on paper, drawn as few glyph runs: each text joins the run before it
// while colour and font stay the same. A PDF then holds one text object per run where it held
// one per cell, nothing is laid out again for each cell, and the texts keep their order, in
// which a viewer selects and copies them.
class PaperTexts {
public:
    PaperTexts(QPainter& p, const Sheet& sheet) : m_painter(p), m_sheet(sheet) {}

    void add(std::uint8_t colour, const std::vector<QGlyphRun>& runs, QPointF at) {
        for (const QGlyphRun& run : runs) {
            if (colour != m_colour || run.rawFont() != m_font) {
                flush();
                m_colour = colour;
                m_font = run.rawFont();
            }
            m_glyphs.append(run.glyphIndexes());
            for (const QPointF& position : run.positions()) m_positions.append(position + at);
        }
    }

    // Draws what has been gathered; the painter's pen is then the run's colour.
    void flush() {
        if (m_glyphs.isEmpty()) return;
        QGlyphRun run;
        run.setRawFont(m_font);
        run.setGlyphIndexes(m_glyphs);
        run.setPositions(m_positions);
        m_painter.setPen(toColor(m_sheet.colourOf(m_colour)));
        m_painter.drawGlyphRun(QPointF(0, 0), run);
        m_glyphs.clear();
        m_positions.clear();
    }

private:
    QPainter& m_painter;
    const Sheet& m_sheet;
    std::uint8_t m_colour = 0;
    QRawFont m_font;
    QList<quint32> m_glyphs;
    QList<QPointF> m_positions;
};

}  // namespace

// A unit of column width is about one digit of the grid font, plus the cell's margins, and
// a unit of row height a little over a point: the widest analysis (92 units) then fits its
// window, and the prediction window's grids fit the room its layout gives them. A digit of
// the window font is 7.5 pixels, a unit and a quarter: Sheet::widthForDigits counts on it.
int SheetPainter::columnPixels(double width) { return int(std::lround(width * 6.0)) + 5; }
int SheetPainter::rowPixels(double height) { return int(std::lround(height * 1.6)); }

void SheetPainter::setSheet(const Sheet& sheet, const QFont& font) {
    m_sheet = &sheet;
    m_font = font;
    const int cols = sheet.columnCount(), rows = sheet.rowCount();
    m_colX.assign(std::size_t(cols) + 1, 1);
    for (int c = 1; c <= cols; ++c) m_colX[c] = m_colX[c - 1] + columnPixels(sheet.columnWidth(c));
    // Only the heading rows of a long grid have heights of their own: the edges of the
    // rows below them are worked out when asked.
    m_rows = rows;
    const int own = std::min(sheet.lastRowOfOwnHeight(), rows);
    m_rowY.assign(std::size_t(own) + 1, 1);
    for (int r = 1; r <= own; ++r) m_rowY[r] = m_rowY[r - 1] + rowPixels(sheet.rowHeight(r));
    m_restRowPixels = rows > own ? rowPixels(sheet.rowHeight(rows)) : 0;

    // Measuring every text here cost most of opening a long window; a text is measured
    // when the rows that show it are first painted (or printed) instead.
    m_metrics = QFontMetrics(font);
    m_textHeight = m_metrics.height();
    m_shaped.clear();
    m_glyphRuns.clear();
}

int SheetPainter::textWidth(std::uint32_t id) const {
    // On screen a text measured is drawn soon after: laid out now, it is shaped only once.
    if (!m_onPaper) staticText(id);
    int& w = m_shaped[id].width;
    // The font's own advance of the whole text: a text is not its characters' widths added
    // up ("10" is narrower than two digits).
    if (w < 0) w = m_metrics.horizontalAdvance(m_sheet->textAt(id).toString());
    return w;
}

int SheetPainter::frozenHeight() const {
    if (!m_sheet) return 0;
    return rowY(std::min(m_sheet->frozenRows(), m_rows)) - rowY(0);
}

int SheetPainter::rowAt(int y) const {
    const int own = int(m_rowY.size()) - 1;
    if (own >= m_rows || y < m_rowY.back())
        return int(std::upper_bound(m_rowY.begin() + 1, m_rowY.end(), y) - m_rowY.begin());
    // Rows of one height below: the first whose bottom edge lies below y.
    if (m_restRowPixels <= 0) return m_rows + 1;
    return std::min(m_rows + 1, own + 1 + (y - m_rowY.back()) / m_restRowPixels);
}

int SheetPainter::columnAt(int x) const {
    return int(std::upper_bound(m_colX.begin() + 1, m_colX.end(), x) - m_colX.begin());
}

const QStaticText& SheetPainter::staticText(std::uint32_t id) const {
    Shaped& shaped = m_shaped[id];
    if (!shaped.text) {
        const QString text = m_sheet->textAt(id).toString();
        shaped.text = std::make_unique<QStaticText>(text);
        shaped.text->setTextFormat(Qt::PlainText);
        shaped.text->prepare(QTransform(), m_font);
        // A one-line layout is exactly as wide as the font's advance of the whole text,
        // fractions summed before rounding; a text of several lines is measured apart.
        const bool oneLine = std::none_of(text.begin(), text.end(), [](QChar c) {
            return c == u'\n' || c == u'\r' || c == QChar::LineSeparator ||
                   c == QChar::ParagraphSeparator;
        });
        if (shaped.width < 0)
            shaped.width =
                oneLine ? qRound(shaped.text->size().width()) : m_metrics.horizontalAdvance(text);
    }
    return *shaped.text;
}

// Laid out as a QStaticText lays itself out when it is drawn on paper, so the glyphs land
// where they always did; kept until the sheet or the font changes.
const std::vector<QGlyphRun>& SheetPainter::glyphRuns(std::uint32_t id, const QFont& font) {
    if (font != m_glyphFont || m_glyphRuns.size() != m_sheet->textCount()) {
        m_glyphRuns.clear();
        m_glyphRuns.resize(m_sheet->textCount());
        m_glyphFont = font;
    }
    std::unique_ptr<std::vector<QGlyphRun>>& runs = m_glyphRuns[id];
    if (!runs) {
        QTextLayout layout(m_sheet->textAt(id).toString(), font);
        layout.setCacheEnabled(true);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLeadingIncluded(true);
        line.setLineWidth(kUnboundedWidth);
        line.setPosition(QPointF(0, 0));
        layout.endLayout();
        runs = std::make_unique<std::vector<QGlyphRun>>();
        for (const QGlyphRun& run : layout.glyphRuns()) runs->push_back(run);
    }
    return *runs;
}

std::pair<int, int> SheetPainter::textSpan(int col, int row) const {
    const Sheet& sheet = *m_sheet;
    const int cols = sheet.columnCount();
    const Sheet::Cell& cell = sheet.cell(col, row);
    int a = col, b = col;
    if (!sheet.overflow() || cell.text == 0) return {a, b};
    const int need = textWidth(cell.text) + 2 * kTextPadding;
    auto width = [&] { return m_colX[b] - m_colX[a - 1]; };
    auto empty = [&](int c) { return sheet.cell(c, row).text == 0; };
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

void SheetPainter::paint(QPainter& p, const QRect& area, int sx, int sy, const QColor& outside) {
    m_onPaper = p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Pdf;
    p.fillRect(area, outside);
    if (!m_sheet) return;
    const int rows = m_sheet->rowCount();
    if (rows == 0 || m_sheet->columnCount() == 0) return;
    p.setFont(m_font);
    const int frozen = m_sheet->frozenRows();
    const int band = frozen > 0 ? frozenHeight() + 1 : 0;

    // Body first, clipped below the frozen band; then the band on top of it.
    const QRect bodyClip = area.intersected(QRect(area.left(), band, area.width(), INT_MAX / 2));
    if (!bodyClip.isEmpty()) {
        const int first = std::max(frozen + 1, rowAt(bodyClip.top() + sy));
        const int last = std::min(rows, rowAt(bodyClip.bottom() + sy));
        if (first <= last) paintRows(p, first, last, -sx, -sy, bodyClip);
    }
    if (band > 0) {
        const QRect bandClip = area.intersected(QRect(area.left(), 0, area.width(), band));
        if (!bandClip.isEmpty()) paintRows(p, 1, std::min(rows, frozen + 1), -sx, 0, bandClip);
    }
    p.setClipping(false);
}

void SheetPainter::paintRows(QPainter& p, int firstRow, int lastRow, int dx, int dy,
                             const QRect& clip) {
    const int cols = m_sheet->columnCount();
    p.setClipRect(clip);

    // Visible columns for backgrounds and lines; texts look at whole rows, since a text to
    // the left of the view may run over into it.
    const int c0 = std::max(1, columnAt(clip.left() - dx));
    const int c1 = std::min(cols, columnAt(clip.right() - dx));
    const Band band{firstRow, lastRow, c0, c1, dx, dy};
    paintBackgrounds(p, band);
    paintTexts(p, band, clip);
    paintLines(p, band);
}

// Pass 1: backgrounds, one rectangle per run of equal colour, continued down the rows
// while the run below has the same extent and colour: a striped grid is a few
// rectangles, not one per row (on paper, each one is a drawing command).
void SheetPainter::paintBackgrounds(QPainter& p, const Band& band) {
    const Sheet& sheet = *m_sheet;
    const int cols = sheet.columnCount();
    const auto [firstRow, lastRow, c0, c1, dx, dy] = band;
    auto left = [&](int c) { return m_colX[c - 1] - 1 + dx; };
    auto top = [&](int r) { return rowY(r - 1) - 1 + dy; };
    struct Fill {
        int x0, x1;
        std::uint8_t bg;
        QRect rect;
    };
    std::vector<Fill> open, next, done;
    for (int r = firstRow; r <= lastRow; ++r) {
        const int y0 = top(r), y1 = (r == sheet.rowCount() ? rowY(r) : rowY(r) - 1) + dy;
        next.clear();
        std::size_t k = 0;
        int c = c0;
        while (c <= c1) {
            const std::uint8_t bg = sheet.cell(c, r).bg;
            int e = c;
            while (e + 1 <= c1 && sheet.cell(e + 1, r).bg == bg) ++e;
            const int x0 = left(c), x1 = (e == cols ? m_colX[e] : m_colX[e] - 1) + dx;
            while (k < open.size() && open[k].x0 < x0) done.push_back(open[k++]);
            if (k < open.size() && open[k].x0 == x0 && open[k].x1 == x1 && open[k].bg == bg) {
                next.push_back(open[k++]);
                next.back().rect.setBottom(y1 - 1);
            } else {
                next.push_back({x0, x1, bg, QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1))});
            }
            c = e + 1;
        }
        done.insert(done.end(), open.begin() + std::ptrdiff_t(k), open.end());
        std::swap(open, next);
    }
    done.insert(done.end(), open.begin(), open.end());
    std::stable_sort(done.begin(), done.end(),
                     [](const Fill& a, const Fill& b) { return a.bg < b.bg; });
    for (const Fill& f : done) p.fillRect(f.rect, toColor(sheet.colourOf(f.bg)));
}

// Pass 2: texts, with overflow into empty neighbours.
void SheetPainter::paintTexts(QPainter& p, const Band& band, const QRect& clip) {
    const Sheet& sheet = *m_sheet;
    const int cols = sheet.columnCount();
    const auto [firstRow, lastRow, c0, c1, dx, dy] = band;
    std::uint8_t pen = 255;
    PaperTexts paper(p, sheet);
    const bool onPaper = m_onPaper;
    for (int r = firstRow; r <= lastRow; ++r) {
        const int y0 = rowY(r - 1) + dy, h = rowY(r) - rowY(r - 1) - 1;
        for (int c = 1; c <= cols; ++c) {
            const Sheet::Cell& cell = sheet.cell(c, r);
            if (cell.text == 0) continue;
            const bool leftAligned = cell.flags & 1;
            const auto [a, b] = textSpan(c, r);
            const int x0 = m_colX[a - 1] + dx, w = m_colX[b] - m_colX[a - 1] - 1;
            if (x0 + w < clip.left() || x0 > clip.right()) continue;
            const int tw = textWidth(cell.text);
            const int tx = leftAligned ? x0 + kTextPadding : x0 + (w - tw) / 2;
            const int ty = y0 + (h - m_textHeight) / 2;
            const bool fits = tw + kTextPadding <= w;
            if (onPaper) {
                if (fits) {
                    paper.add(cell.fg, glyphRuns(cell.text, p.font()), QPointF(tx, ty));
                    continue;
                }
                // A text cut at its cell's edge is drawn on its own, in its place in the
                // order; the pen is then whatever the last run left.
                paper.flush();
                pen = 255;
            }
            if (cell.fg != pen) {
                pen = cell.fg;
                p.setPen(toColor(sheet.colourOf(pen)));
            }
            if (!fits) p.setClipRect(QRect(x0, y0, w, h).intersected(clip));
            p.drawStaticText(tx, ty, staticText(cell.text));
            if (!fits) p.setClipRect(clip);
        }
    }
    paper.flush();
}

// Pass 3: lines. A line lies on the pixel between two cells, so the right line of one
// cell and the left line of the next are the same line: every edge is walked once, with
// the sides of the cells on both of its sides, and equal segments that touch become one
// line. Horizontal edges first, top to bottom, then vertical ones, left to right.
void SheetPainter::paintLines(QPainter& p, const Band& band) {
    const Sheet& sheet = *m_sheet;
    const auto [firstRow, lastRow, c0, c1, dx, dy] = band;
    auto left = [&](int c) { return m_colX[c - 1] - 1 + dx; };
    auto top = [&](int r) { return rowY(r - 1) - 1 + dy; };
    LineRuns lines;
    const int rows = sheet.rowCount();
    for (int k = std::max(0, firstRow - 1); k <= lastRow; ++k) {
        // The edge below row k: the bottom lines of row k (the row above the painted ones
        // included) and the top lines of row k + 1 (the row below them included).
        const int y = rowY(k) - 1 + dy;
        for (int c = c0; c <= c1; ++c) {
            const int x0 = left(c), x1 = m_colX[c] - 1 + dx;
            if (k >= 1) {
                const Sheet::Cell& cell = sheet.cell(c, k);
                if (cell.lines) lines.add(sheet.linesOf(cell)[3], false, y, x0, x1);
            }
            if (k + 1 <= rows) {
                const Sheet::Cell& cell = sheet.cell(c, k + 1);
                if (cell.lines) lines.add(sheet.linesOf(cell)[2], false, y, x0, x1);
            }
        }
    }
    for (int k = c0 - 1; k <= c1; ++k) {
        // The edge right of column k: the right lines of column k and the left lines of
        // column k + 1, of the painted rows only.
        const int x = m_colX[k] - 1 + dx;
        for (int r = firstRow; r <= lastRow; ++r) {
            const int y0 = top(r), y1 = rowY(r) - 1 + dy;
            if (k >= c0) {
                const Sheet::Cell& cell = sheet.cell(k, r);
                if (cell.lines) lines.add(sheet.linesOf(cell)[1], true, x, y0, y1);
            }
            if (k + 1 <= c1) {
                const Sheet::Cell& cell = sheet.cell(k + 1, r);
                if (cell.lines) lines.add(sheet.linesOf(cell)[0], true, x, y0, y1);
            }
        }
    }
    lines.draw(p, [&](std::uint8_t colour) { return toColor(sheet.colourOf(colour - 1)); });
}

}  // namespace pirumoa
