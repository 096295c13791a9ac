#include "gui/shell/gridview.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <algorithm>

#include "core/sheet/sheetformat.h"
#include "core/store/fileerror.h"
#include "gui/shell/prompt.h"
#include "paint/look.h"
#include "paint/sheetexport.h"

namespace pirumoa {

namespace {

// How close to the grid's left or top edge a click selects a whole row or column.
constexpr int kEdge = 4;
// The data rows a grid shows at the least, under its frozen rows.
constexpr int kLeastDataRows = 3;

}  // namespace

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
    m_sheet.squeeze();
    m_currentCol = m_anchorCol = m_sheet.activeColumn();
    m_currentRow = m_anchorRow = m_sheet.activeRow();
    m_wholeRows = m_wholeColumns = false;
    layoutCells();
    updateGeometry();
    viewport()->update();
}

void GridView::layoutCells() {
    m_painter.setSheet(m_sheet, font());
    updateScrollBars();
}

QSize GridView::contentSize() const {
    const int f = 2 * frameWidth();
    return m_painter.contentSize() + QSize(f, f);
}

int GridView::missingWidth() const {
    return std::max(
        0, contentSize().width() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) - width());
}

QSize GridView::sizeHint() const { return contentSize().boundedTo(QSize(1600, 1200)); }

QSize GridView::minimumSizeHint() const {
    int height = m_painter.rowY(0) + m_painter.frozenHeight();
    const int frozen = m_sheet.frozenRows();
    for (int r = frozen + 1; r <= frozen + kLeastDataRows; ++r)
        height += r <= m_sheet.rowCount() ? m_painter.rowY(r) - m_painter.rowY(r - 1)
                                          : rowPixels(Sheet::kDefaultRowHeight);
    height += 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return QSize(40, height);
}

void GridView::updateScrollBars() {
    const QScopedValueRollback adjusting(m_settingRanges, true);
    const QSize content = m_painter.contentSize();
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
    const int bodyView = std::max(1, vh - m_painter.frozenHeight());
    verticalScrollBar()->setRange(0, std::max(0, content.height() - vh));
    verticalScrollBar()->setPageStep(bodyView);
    verticalScrollBar()->setSingleStep(rowPixels(Sheet::kDefaultRowHeight));
    if (m_followEnd) verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void GridView::showLastRows() {
    m_followEnd = true;
    updateScrollBars();
}

void GridView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void GridView::scrollContentsBy(int, int) {
    if (!m_settingRanges && verticalScrollBar()->value() != verticalScrollBar()->maximum())
        m_followEnd = false;
    viewport()->update();
}

bool GridView::event(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) layoutCells();
    return QAbstractScrollArea::event(event);
}

QRect GridView::cellRect(int col, int row) const {
    if (col < 1 || row < 1 || col > m_sheet.columnCount() || row > m_sheet.rowCount())
        return QRect();
    const int sx = horizontalScrollBar()->value(), sy = verticalScrollBar()->value();
    const bool frozen = row <= m_sheet.frozenRows();
    const int y0 = m_painter.rowY(row - 1) - (frozen ? 0 : sy);
    QRect r(m_painter.colX(col - 1) - sx, y0, m_painter.colX(col) - m_painter.colX(col - 1),
            m_painter.rowY(row) - m_painter.rowY(row - 1));
    if (!frozen && r.bottom() < m_painter.frozenHeight()) return QRect();
    return r;
}

QPoint GridView::cellAt(const QPoint& pos) const {
    const int sx = horizontalScrollBar()->value(), sy = verticalScrollBar()->value();
    const int x = pos.x() + sx;
    const int y = pos.y() < m_painter.frozenHeight() ? pos.y() : pos.y() + sy;
    const int col = m_painter.columnAt(x);
    const int row = m_painter.rowAt(y);
    if (x < m_painter.colX(0) || col > m_sheet.columnCount() || y < m_painter.rowY(0) ||
        row > m_sheet.rowCount())
        return QPoint(0, 0);
    return QPoint(col, row);
}

void GridView::setCurrentCell(int col, int row) { moveTo(col, row, false); }

void GridView::moveTo(int col, int row, bool extend) {
    m_currentCol = std::clamp(col, 0, m_sheet.columnCount());
    m_currentRow = std::clamp(row, 0, m_sheet.rowCount());
    if (!extend) {
        m_anchorCol = m_currentCol;
        m_anchorRow = m_currentRow;
        m_wholeRows = m_wholeColumns = false;
    }
    if (m_currentCol >= 1 && m_currentRow >= 1) ensureVisible(m_currentCol, m_currentRow);
    viewport()->update();
}

Block GridView::selection() const {
    if (m_currentCol < 1 || m_currentRow < 1 || m_anchorCol < 1 || m_anchorRow < 1)
        return Block{0, 0, 0, 0};
    Block b{std::min(m_anchorCol, m_currentCol), std::min(m_anchorRow, m_currentRow),
            std::max(m_anchorCol, m_currentCol), std::max(m_anchorRow, m_currentRow)};
    if (m_wholeRows) b.col1 = 1, b.col2 = m_sheet.columnCount();
    if (m_wholeColumns) b.row1 = 1, b.row2 = m_sheet.rowCount();
    return b;
}

void GridView::selectAll() {
    if (m_sheet.columnCount() == 0 || m_sheet.rowCount() == 0) return;
    m_anchorCol = m_anchorRow = 1;
    m_currentCol = m_sheet.columnCount();
    m_currentRow = m_sheet.rowCount();
    m_wholeRows = m_wholeColumns = false;
    viewport()->update();
}

void GridView::copy() {
    const Block b = selection();
    if (b.col1 < 1) return;
    auto* mime = new QMimeData;
    // Kept as the UTF-8 the clipboard serves: a whole long grid is tens of megabytes, and
    // a QString of it would be made only to be turned back into bytes.
    QByteArray tsv = blockToTsv(m_sheet, b);
    QByteArray html = blockToHtml(m_sheet, b);
    if (!m_subject.isEmpty()) {
        tsv.prepend(m_subject.toUtf8() + '\n');
        const QByteArray body = "<body>";
        const qsizetype at = html.indexOf(body);
        if (at >= 0)
            html.insert(at + body.size(), "<p>" + m_subject.toHtmlEscaped().toUtf8() + "</p>\n");
    }
    mime->setData(QStringLiteral("text/plain"), tsv);
    mime->setData(QStringLiteral("text/html"), html);
    QGuiApplication::clipboard()->setMimeData(mime);
}

QString GridView::caption() const {
    for (const QWidget* w = this; w; w = w->parentWidget())
        if (!w->windowTitle().isEmpty()) return w->windowTitle();
    return QString();
}

QString GridView::printTitle() const {
    if (m_subject.isEmpty()) return caption();
    return caption() + QStringLiteral("　") + m_subject;
}

void GridView::ensureVisible(int col, int row) {
    const int vw = viewport()->width(), vh = viewport()->height();
    QScrollBar* h = horizontalScrollBar();
    if (m_painter.colX(col - 1) < h->value() + 1)
        h->setValue(m_painter.colX(col - 1) - 1);
    else if (m_painter.colX(col) > h->value() + vw)
        h->setValue(m_painter.colX(col) - vw);
    if (row <= m_sheet.frozenRows()) return;
    QScrollBar* v = verticalScrollBar();
    const int top = m_painter.rowY(row - 1) - 1 - m_painter.frozenHeight();
    if (top < v->value())
        v->setValue(top);
    else if (m_painter.rowY(row) > v->value() + vh)
        v->setValue(m_painter.rowY(row) - vh);
}

void GridView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    const QPoint pos = event->position().toPoint();
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    // The grid's left edge stands for the rows, its top edge for the columns.
    const int sx = horizontalScrollBar()->value();
    const bool rowEdge = pos.x() + sx < m_painter.colX(0) + kEdge;
    const bool columnEdge = pos.y() < m_painter.rowY(0) + kEdge;
    const QPoint cell = cellAt(
        QPoint(std::max(pos.x(), m_painter.colX(0) - sx), std::max(pos.y(), m_painter.rowY(0))));
    if (cell == QPoint(0, 0)) return QAbstractScrollArea::mousePressEvent(event);
    moveTo(cell.x(), cell.y(), extend);
    if (!extend) {
        m_wholeRows = rowEdge && !columnEdge;
        m_wholeColumns = columnEdge && !rowEdge;
    }
    viewport()->update();
}

void GridView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return QAbstractScrollArea::mouseMoveEvent(event);
    const QPoint cell = cellAt(event->position().toPoint());
    if (cell != QPoint(0, 0)) moveTo(cell.x(), cell.y(), true);
}

void GridView::keyPressEvent(QKeyEvent* event) {
    const int cols = m_sheet.columnCount(), rows = m_sheet.rowCount();
    if (cols == 0 || rows == 0) return QAbstractScrollArea::keyPressEvent(event);
    if (event->matches(QKeySequence::SelectAll)) return selectAll();
    if (event->matches(QKeySequence::Copy)) return copy();
    const bool extend = event->modifiers() & Qt::ShiftModifier;
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
    moveTo(std::clamp(col, 1, cols), std::clamp(row, 1, rows), extend && !fromCorner);
}

void GridView::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    paintArea(p, event->rect());
}

void GridView::paintArea(QPainter& p, const QRect& area) {
    // Beyond the last column and row the grid shows the window's grey, as a sheet does.
    // The painter stops short of a cell whose first pixel is the area's last one, and that
    // pixel kept the grey: a seam in a repainted strip between cells without a line. One
    // pixel more takes that cell in; the clip keeps what lies beyond.
    m_painter.paint(p, area.adjusted(0, 0, 1, 1), horizontalScrollBar()->value(),
                    verticalScrollBar()->value(), palette().window().color());
    if (m_sheet.rowCount() == 0 || m_sheet.columnCount() == 0) return;
    p.setClipRect(area);

    // The selection over the cells' own colours, translucent so they still show.
    const Block b = selection();
    if (b.col1 >= 1 && (b.col1 != b.col2 || b.row1 != b.row2)) {
        QColor tint = palette().highlight().color();
        tint.setAlpha(70);
        const int frozen = m_sheet.frozenRows();
        // The band and the body scroll differently: each part of the block on its own.
        auto span = [&](int r1, int r2) {
            if (r1 > r2) return QRect();
            const int sx = horizontalScrollBar()->value(), sy = verticalScrollBar()->value();
            const bool band = r2 <= frozen;
            QRect r(
                QPoint(m_painter.colX(b.col1 - 1) - sx, m_painter.rowY(r1 - 1) - (band ? 0 : sy)),
                QPoint(m_painter.colX(b.col2) - 1 - sx, m_painter.rowY(r2) - 1 - (band ? 0 : sy)));
            if (!band) r.setTop(std::max(r.top(), m_painter.frozenHeight() + 1));
            return r;
        };
        for (const QRect& r :
             {span(b.row1, std::min(b.row2, frozen)), span(std::max(b.row1, frozen + 1), b.row2)})
            if (r.isValid()) p.fillRect(r, tint);
    }
    if (m_currentCol >= 1 && m_currentRow >= 1 && hasFocus()) {
        const QRect r = cellRect(m_currentCol, m_currentRow);
        if (!r.isEmpty()) {
            p.setPen(QPen(palette().highlight().color(), 2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(0, 0, -2, -2));
        }
    }
    p.setClipping(false);
}

QMenu* GridView::contextMenu() {
    if (m_menu) return m_menu;
    m_menu = new QMenu(this);
    auto add = [&](const QString& text, const char* name, auto slot) {
        QAction* a = m_menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add(QStringLiteral("コピー(&C)"), "actCopy", [this] { copy(); });
    m_menu->addSeparator();
    add(QStringLiteral("CSVファイルに保存(&S)..."), "actSaveCsv", [this] { saveCsv(); });
    add(QStringLiteral("画像として保存(&I)..."), "actSaveImage", [this] { saveImage(); });
    m_menu->addSeparator();
    add(QStringLiteral("印刷(&P)..."), "actPrint", [this] { print(false); });
    add(QStringLiteral("印刷プレビュー(&V)..."), "actPrintPreview", [this] { print(true); });
    return m_menu;
}

void GridView::contextMenuEvent(QContextMenuEvent* event) {
    // A click outside the selection selects the cell under it first, as spreadsheets do.
    const QPoint cell = cellAt(event->pos());
    const Block b = selection();
    if (cell != QPoint(0, 0) && (b.col1 < 1 || cell.x() < b.col1 || cell.x() > b.col2 ||
                                 cell.y() < b.row1 || cell.y() > b.row2))
        moveTo(cell.x(), cell.y(), false);
    contextMenu()->popup(event->globalPos());
}

namespace {

QString suggested(const QString& caption, const QString& suffix) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(folder).filePath((caption.isEmpty() ? QStringLiteral("grid") : caption) + suffix);
}

}  // namespace

void GridView::saveCsv() {
    const QString path =
        Prompt::saveFileName(this, QStringLiteral("CSVファイルに保存"),
                             suggested(caption(), ".csv"), QStringLiteral("CSV ファイル (*.csv)"));
    if (path.isEmpty()) return;
    const QString error = writeFileAtomically(path, sheetsToCsv({&m_sheet}));
    if (!error.isEmpty())
        Prompt::refuse(this, QStringLiteral("CSVファイル「%1」を保存できませんでした。%2")
                                 .arg(shownName(QDir::toNativeSeparators(path)), error));
}

void GridView::saveImage() {
    const QString path =
        Prompt::saveFileName(this, QStringLiteral("画像として保存"), suggested(caption(), ".png"),
                             QStringLiteral("PNG 画像 (*.png)"));
    if (path.isEmpty()) return;
    const bool whole = m_painter.contentSize().height() <= kLongestPicture;
    QImage image;
    if (whole) {
        image = sheetImage(m_sheet);
    } else {
        image = QImage(viewport()->size(), QImage::Format_RGB32);
        QPainter p(&image);
        m_painter.paint(p, image.rect().adjusted(0, 0, 1, 1), horizontalScrollBar()->value(),
                        verticalScrollBar()->value(), palette().window().color());
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QString error = writeFileAtomically(path, bytes);
    if (!error.isEmpty()) {
        Prompt::refuse(this, QStringLiteral("画像「%1」を保存できませんでした。%2")
                                 .arg(shownName(QDir::toNativeSeparators(path)), error));
        return;
    }
    if (!whole)
        Prompt::inform(this, QStringLiteral("表が大きすぎて一枚の画像にできないため、"
                                            "表示されている部分だけを保存しました。"));
}

void GridView::print(bool preview) {
    QPrinter printer(QPrinter::HighResolution);
    // The same page as the command-line tool's PDF, so both print the same pages.
    printer.setPageLayout(printPageLayout());
    const QString title = printTitle();
    printer.setDocName(title);
    const auto paint = [this, title](QPrinter* device) {
        printSheets({&m_sheet}, title, QDate::currentDate(), *device);
    };
    if (preview) {
        QPrintPreviewDialog dialog(&printer, this);
        dialog.setWindowTitle(QStringLiteral("印刷プレビュー"));
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this, paint);
        dialog.exec();
        return;
    }
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) paint(&printer);
}

}  // namespace pirumoa
