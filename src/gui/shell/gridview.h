#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QStaticText>
#include <algorithm>
#include <vector>

#include "core/sheet/sheet.h"

namespace pirumoa {

// Shows a sheet: frozen top rows that do not scroll, texts that run over into empty
// neighbours, lines per side in their colour, scroll bars only when needed. Paints only the
// visible cells, in passes (backgrounds, texts, lines) so that no neighbour paints over a line.
class GridView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);

    void setSheet(Sheet sheet);
    const Sheet& sheet() const { return m_sheet; }

    // The grid's own units to pixels.
    static int columnPixels(double width);
    static int rowPixels(double height);

    // The size that shows every cell without scrolling, frame included.
    QSize contentSize() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Where a cell lies in viewport pixels (given the scroll position); empty when hidden.
    QRect cellRect(int col, int row) const;
    // The cell under a viewport point, or (0, 0).
    QPoint cellAt(const QPoint& pos) const;

    int currentColumn() const { return m_currentCol; }
    int currentRow() const { return m_currentRow; }
    void setCurrentCell(int col, int row);

    // The columns a cell's text covers: the cell itself, or with overflow on, the empty
    // neighbours it runs over (to the right when left-aligned, to both sides when centred).
    std::pair<int, int> textSpan(int col, int row) const;

    // Paints the part `area` of the viewport; public for the paint benchmark.
    void paintArea(QPainter& p, const QRect& area);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool event(QEvent* event) override;

private:
    void layoutCells();
    void updateScrollBars();
    void ensureVisible(int col, int row);
    int frozenHeight() const {
        return m_rowY[std::min<std::size_t>(m_sheet.frozenRows(), m_rowY.size() - 1)] - m_rowY[0];
    }
    int firstRowAt(int contentY) const;  // first row whose bottom is below contentY
    const QStaticText& staticText(std::uint32_t id);
    void paintRows(QPainter& p, int firstRow, int lastRow, int dy, const QRect& clip);

    Sheet m_sheet;
    std::vector<int> m_colX;       // m_colX[c - 1] = left edge of column c; one more at the end
    std::vector<int> m_rowY;       // likewise for rows
    std::vector<int> m_textWidth;  // per interned text
    std::vector<QStaticText> m_staticTexts;  // per interned text, made on first paint
    std::vector<unsigned char> m_staticReady;
    int m_textHeight = 0;
    int m_currentCol = 0;
    int m_currentRow = 0;
};

}  // namespace pirumoa
