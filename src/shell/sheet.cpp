#include "sheet.h"

#include <algorithm>
#include <cmath>

namespace pirumoa {

Sheet::Sheet() : m_palette{colour::Black, colour::White}, m_texts{QString()} {
    m_textIndex.insert(QString(), 0);
}

int Sheet::index(double v) {
    // std::nearbyint follows the default rounding mode, round-half-to-even.
    const double r = std::nearbyint(v);
    if (r > 1e9) return 1000000000;
    if (r < -1e9) return -1000000000;
    return int(r);
}

void Sheet::setSize(int columns, int rows) {
    columns = std::max(columns, 0);
    rows = std::max(rows, 0);
    if (columns == m_columns) {
        m_cells.resize(std::size_t(columns) * rows);
    } else {
        std::vector<Cell> cells(std::size_t(columns) * rows);
        const int keepCols = std::min(columns, m_columns);
        const int keepRows = std::min(rows, m_rows);
        for (int r = 0; r < keepRows; ++r)
            std::copy_n(m_cells.begin() + std::size_t(r) * m_columns, keepCols,
                        cells.begin() + std::size_t(r) * columns);
        m_cells = std::move(cells);
    }
    m_columns = columns;
    m_rows = rows;
    m_rowHeights.resize(rows, float(kDefaultRowHeight));
    m_columnWidths.resize(columns, float(kDefaultColumnWidth));
}

void Sheet::setRowHeight(double row, double height) {
    const int r = index(row);
    if (r == -1)
        std::fill(m_rowHeights.begin(), m_rowHeights.end(), float(height));
    else if (r >= 1 && r <= m_rows)
        m_rowHeights[r - 1] = float(height);
}

void Sheet::setColumnWidth(double col, double width) {
    const int c = index(col);
    if (c == -1)
        std::fill(m_columnWidths.begin(), m_columnWidths.end(), float(width));
    else if (c >= 1 && c <= m_columns)
        m_columnWidths[c - 1] = float(width);
}

double Sheet::rowHeight(int row) const {
    return row >= 1 && row <= m_rows ? m_rowHeights[row - 1] : kDefaultRowHeight;
}

double Sheet::columnWidth(int col) const {
    return col >= 1 && col <= m_columns ? m_columnWidths[col - 1] : kDefaultColumnWidth;
}

// Calls f(cell, col, row, c1, r1, c2, r2) for each cell of the block that lies in the grid;
// c1 … r2 are the block's own bounds (before clipping), for outlines.
template <class F>
void Sheet::forBlock(const Block& b, F&& f) {
    int c1 = index(b.col1), r1 = index(b.row1), c2 = index(b.col2), r2 = index(b.row2);
    if (c1 == -1 || c2 == -1) c1 = 1, c2 = m_columns;
    if (r1 == -1 || r2 == -1) r1 = 1, r2 = m_rows;
    if (c1 > c2) std::swap(c1, c2);
    if (r1 > r2) std::swap(r1, r2);
    const int cFrom = std::max(c1, 1), cTo = std::min(c2, m_columns);
    const int rFrom = std::max(r1, 1), rTo = std::min(r2, m_rows);
    for (int r = rFrom; r <= rTo; ++r)
        for (int c = cFrom; c <= cTo; ++c) f(at(c, r), c, r, c1, r1, c2, r2);
}

std::uint8_t Sheet::paletteIndex(Rgb colour) {
    for (std::size_t i = 0; i < m_palette.size(); ++i)
        if (m_palette[i] == colour) return std::uint8_t(i);
    if (m_palette.size() >= 254) return 0;  // far beyond what any window uses
    m_palette.push_back(colour);
    return std::uint8_t(m_palette.size() - 1);
}

std::uint32_t Sheet::intern(const QString& text) {
    auto it = m_textIndex.constFind(text);
    if (it != m_textIndex.constEnd()) return *it;
    const auto id = std::uint32_t(m_texts.size());
    m_texts.push_back(text);
    m_textIndex.insert(text, id);
    return id;
}

void Sheet::setCellType(const Block& b, CellType type) {
    forBlock(b, [&](Cell& c, auto...) {
        c.flags = (c.flags & ~2) | (type == CellType::Edit ? 2 : 0);
    });
}

void Sheet::setAlign(const Block& b, Align align) {
    forBlock(b, [&](Cell& c, auto...) {
        c.flags = (c.flags & ~1) | (align == Align::Left ? 1 : 0);
    });
}

void Sheet::setForeground(const Block& b, Rgb colour) {
    const auto i = paletteIndex(colour);
    forBlock(b, [&](Cell& c, auto...) { c.fg = i; });
}

void Sheet::setBackground(const Block& b, Rgb colour) {
    const auto i = paletteIndex(colour);
    forBlock(b, [&](Cell& c, auto...) { c.bg = i; });
}

void Sheet::setBorder(const Block& b, unsigned sides, Rgb colour) {
    const auto line = std::uint8_t(paletteIndex(colour) + 1);
    const bool outline = sides & Outline;
    forBlock(b, [&](Cell& c, int col, int row, int c1, int r1, int c2, int r2) {
        if (outline) {
            if (col == c1) c.border[0] = line;
            if (col == c2) c.border[1] = line;
            if (row == r1) c.border[2] = line;
            if (row == r2) c.border[3] = line;
        }
        for (int s = 0; s < 4; ++s)
            if (sides & (1u << s)) c.border[s] = line;
    });
}

void Sheet::clearBorder(const Block& b) {
    forBlock(b, [](Cell& c, auto...) { std::fill(std::begin(c.border), std::end(c.border), 0); });
}

bool Sheet::border(int col, int row, Side side, Rgb* colour) const {
    const int s = side == Left ? 0 : side == Right ? 1 : side == Top ? 2 : 3;
    const std::uint8_t line = cell(col, row).border[s];
    if (line == 0) return false;
    if (colour) *colour = m_palette[line - 1];
    return true;
}

void Sheet::setText(double col, double row, const QString& text) {
    const int c = index(col), r = index(row);
    if (c < 1 || c > m_columns || r < 1 || r > m_rows) return;
    at(c, r).text = intern(text);
}

void Sheet::setNumber(double col, double row, long long value) {
    setText(col, row, QString::number(value));
}

QString Sheet::text(int col, int row) const {
    if (col < 1 || col > m_columns || row < 1 || row > m_rows) return QString();
    return m_texts[cell(col, row).text];
}

void Sheet::clearText(const Block& b) {
    forBlock(b, [](Cell& c, auto...) { c.text = 0; });
}

void Sheet::setActiveCell(double col, double row) {
    m_activeCol = std::max(index(col), 0);
    m_activeRow = std::max(index(row), 0);
}

std::size_t Sheet::bytesUsed() const {
    std::size_t bytes = sizeof(*this) + m_cells.capacity() * sizeof(Cell) +
                        (m_rowHeights.capacity() + m_columnWidths.capacity()) * sizeof(float) +
                        m_palette.capacity() * sizeof(Rgb);
    for (const QString& t : m_texts) bytes += sizeof(QString) + t.capacity() * sizeof(QChar);
    bytes += std::size_t(m_textIndex.size()) * (sizeof(QString) + sizeof(std::uint32_t) + 16);
    return bytes;
}

}  // namespace pirumoa
