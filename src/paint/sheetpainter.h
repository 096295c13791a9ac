#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QRect>
#include <QSize>
#include <QStaticText>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/sheet/sheet.h"

class QPainter;

namespace pirumoa {

// Lays a sheet out in pixels and paints any part of it: the one painter behind the grid on
// screen, its pictures, its prints and PDFs. Only the given area is painted, in passes
// (backgrounds, texts, lines) so that no neighbour paints over a line; the frozen top rows
// are a band that does not scroll; texts run over into empty neighbours.
class SheetPainter {
public:
    // The grid's own units to pixels (at 96 dpi).
    static int columnPixels(double width);
    static int rowPixels(double height);

    // Lays the sheet out; each distinct text is measured when a painted row first needs it,
    // so a window of any length costs one screen. The sheet must outlive the painter's use
    // of it, and a changed sheet is set again (which forgets every measure).
    void setSheet(const Sheet& sheet, const QFont& font);
    const Sheet& sheet() const { return *m_sheet; }

    // Edges in content pixels: column c spans colX(c - 1) … colX(c) - 1, the line between
    // two columns lying on the pixel colX(c) - 1; likewise rows.
    int colX(int c) const { return m_colX[std::size_t(c)]; }
    int rowY(int r) const {
        const std::size_t last = m_rowY.size() - 1;
        return std::size_t(r) <= last ? m_rowY[std::size_t(r)]
                                      : m_rowY[last] + (r - int(last)) * m_restRowPixels;
    }
    QSize contentSize() const { return {m_colX.back(), rowY(m_rows)}; }
    int frozenHeight() const;
    // The first row whose bottom edge lies below content y; rowCount() + 1 past the end.
    int rowAt(int y) const;
    int columnAt(int x) const;

    // The columns a cell's text covers: the cell itself, or with overflow on, the empty
    // neighbours it runs over (to the right when left-aligned, to both sides when centred).
    std::pair<int, int> textSpan(int col, int row) const;

    // Paints `area` of a target whose origin shows content point (sx, sy) for the scrolling
    // rows; the frozen rows stay at the top, unscrolled. Beyond the grid: `outside`.
    void paint(QPainter& p, const QRect& area, int sx, int sy, const QColor& outside);

private:
    // What is known of a text: its width, and once it is drawn on screen its layout. The
    // width is read from that layout where it comes first, so a text is shaped once.
    struct Shaped {
        int width = -1;  // not measured yet
        std::unique_ptr<QStaticText> text;
    };

    // The rows firstRow … lastRow shifted by (dx, dy), in three passes so that no background
    // covers a line.
    void paintRows(QPainter& p, int firstRow, int lastRow, int dx, int dy, const QRect& clip);
    // The painted rows, the columns c0 … c1 seen in the clip, and the shift.
    struct Band {
        int firstRow, lastRow, c0, c1, dx, dy;
    };
    void paintBackgrounds(QPainter& p, const Band& band);
    void paintTexts(QPainter& p, const Band& band, const QRect& clip);
    void paintLines(QPainter& p, const Band& band);
    const QStaticText& staticText(std::uint32_t id) const;
    int textWidth(std::uint32_t id) const;
    const std::vector<QGlyphRun>& glyphRuns(std::uint32_t id, const QFont& font);

    const Sheet* m_sheet = nullptr;
    QFont m_font;
    std::vector<int> m_colX{1};
    // The edges of the rows of their own height (see Sheet::lastRowOfOwnHeight); the rows
    // after them are m_restRowPixels each.
    std::vector<int> m_rowY{1};
    int m_restRowPixels = 0;
    int m_rows = 0;
    QFontMetrics m_metrics{QFont()};
    // Only the texts of the rows painted so far: a window shows one screen of a sheet
    // whose distinct texts run to tens of thousands.
    mutable std::unordered_map<std::uint32_t, Shaped> m_shaped;
    int m_textHeight = 0;
    // Paper draws its texts from glyph runs (below): there a text is only measured, where on
    // screen every text measured is drawn soon after and is laid out at once.
    bool m_onPaper = false;
    // On paper a QStaticText is laid out anew at every draw: there each distinct text keeps
    // its glyph runs instead, made on first use for the painter's font.
    std::vector<std::unique_ptr<std::vector<QGlyphRun>>> m_glyphRuns;
    QFont m_glyphFont;
};

}  // namespace pirumoa
