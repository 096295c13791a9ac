#pragma once

#include <QAbstractScrollArea>
#include <utility>

#include "core/sheet/sheet.h"
#include "paint/sheetpainter.h"

class QMenu;

namespace pirumoa {

// Shows a sheet: frozen top rows that do not scroll, texts that run over into empty
// neighbours, lines per side in their colour, scroll bars only when needed (the painting is
// SheetPainter's). The user selects cells (click, drag, Shift+click, Shift+arrows, a click on
// the grid's left or top edge for a whole row or column, Ctrl+A) and copies them (Ctrl+C) as
// text and as a coloured table; the right-click menu also saves the grid as CSV or PNG and
// prints it.
class GridView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);

    void setSheet(Sheet sheet);
    const Sheet& sheet() const { return m_sheet; }

    // The grid's own units to pixels.
    static int columnPixels(double width) { return SheetPainter::columnPixels(width); }
    static int rowPixels(double height) { return SheetPainter::rowPixels(height); }

    // The size that shows every cell without scrolling, frame included.
    QSize contentSize() const;
    // How much wider than now the grid must be to show every column beside a vertical
    // scroll bar.
    int missingWidth() const;
    QSize sizeHint() const override;
    // Room for the frozen rows and three rows under them, beside a horizontal scroll bar: a
    // grid shows no less, so that a window made small still shows data.
    QSize minimumSizeHint() const override;

    // Where a cell lies in viewport pixels (given the scroll position); empty when hidden.
    QRect cellRect(int col, int row) const;
    // The cell under a viewport point, or (0, 0).
    QPoint cellAt(const QPoint& pos) const;

    // Keeps the last rows (the latest draws) in view, through resizes, until the user scrolls
    // or moves elsewhere.
    void showLastRows();
    bool showsLastRows() const { return m_followEnd; }

    int currentColumn() const { return m_currentCol; }
    int currentRow() const { return m_currentRow; }
    void setCurrentCell(int col, int row);

    // The selected block: from the anchor to the current cell; empty (all zero) when the
    // current cell is the corner.
    Block selection() const;
    void selectAll();
    // The selection to the clipboard, as tab-separated text and as an HTML table.
    void copy();
    // The caption that names the grid on prints and in file names: the window's title.
    QString caption() const;
    // What copies and prints of the grid say they show, besides the window's title (the
    // prediction names the draw it is for); empty for nothing more. The copied text starts
    // with it on a line of its own.
    void setSubject(const QString& subject) { m_subject = subject; }
    const QString& subject() const { return m_subject; }
    // The title on the printed pages: the caption, and the subject after it.
    QString printTitle() const;

    // The columns a cell's text covers (see SheetPainter::textSpan).
    std::pair<int, int> textSpan(int col, int row) const { return m_painter.textSpan(col, row); }

    // Paints the part `area` of the viewport; public for the paint benchmark.
    void paintArea(QPainter& p, const QRect& area);

    // The right-click menu: コピー, CSV, picture, print, print preview.
    QMenu* contextMenu();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool event(QEvent* event) override;

private:
    void layoutCells();
    void updateScrollBars();
    void ensureVisible(int col, int row);
    // Moves the current cell; with extend the anchor stays, else it follows.
    void moveTo(int col, int row, bool extend);
    void saveCsv();
    void saveImage();
    void print(bool preview);

    Sheet m_sheet;
    SheetPainter m_painter;
    int m_currentCol = 0;
    int m_currentRow = 0;
    int m_anchorCol = 0;
    int m_anchorRow = 0;
    // A whole row or column selected from the grid's edge: the block reaches across.
    bool m_wholeRows = false;
    bool m_wholeColumns = false;
    QMenu* m_menu = nullptr;
    bool m_followEnd = false;
    bool m_settingRanges = false;  // range changes move the bars, the user did not
    QString m_subject;
};

}  // namespace pirumoa
