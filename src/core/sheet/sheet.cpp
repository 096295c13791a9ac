#include "core/sheet/sheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace pirumoa {

namespace {

// FNV-1a over the UTF-16 units, folded: the sheet's texts are short (digits, marks, a few
// words), for which this costs a fraction of Qt's general hash.
std::size_t textHash(QStringView text) {
    std::uint64_t h = 14695981039346656037ull;
    for (const QChar c : text) h = (h ^ c.unicode()) * 1099511628211ull;
    return std::size_t(h ^ (h >> 29));
}

}  // namespace

Sheet::Sheet()
    : m_palette{colour::Black, colour::White}, m_lineSets{LineSet{}}, m_textStarts{0, 0} {
    growTextIndex();
}

int Sheet::midway(int first, int last) {
    const long long sum = static_cast<long long>(first) + last;
    const long long half = sum >= 0 ? sum / 2 : -((-sum + 1) / 2);  // rounded down
    if (sum % 2 == 0) return int(half);
    return int(half % 2 == 0 ? half : half + 1);
}

double Sheet::widthForDigits(int digits) { return std::ceil(1.25 * digits - 1.0 / 6); }

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
    // Rows added get the default height; the rows kept keep theirs.
    if (rows > m_rows && m_restRowHeight != float(kDefaultRowHeight)) {
        m_rowHeights.resize(std::size_t(m_rows), m_restRowHeight);
        m_restRowHeight = float(kDefaultRowHeight);
    }
    if (std::size_t(rows) < m_rowHeights.size()) m_rowHeights.resize(std::size_t(rows));
    m_columns = columns;
    m_rows = rows;
    m_columnWidths.resize(columns, float(kDefaultColumnWidth));
}

void Sheet::setRowHeight(int r, double height) {
    if (r == -1) {
        m_rowHeights.clear();
        m_restRowHeight = float(height);
    } else if (r >= 1 && r <= m_rows) {
        if (std::size_t(r) > m_rowHeights.size()) {
            if (float(height) == m_restRowHeight) return;
            m_rowHeights.resize(std::size_t(r), m_restRowHeight);
        }
        m_rowHeights[std::size_t(r - 1)] = float(height);
    }
}

void Sheet::setColumnWidth(int c, double width) {
    if (c == -1)
        std::fill(m_columnWidths.begin(), m_columnWidths.end(), float(width));
    else if (c >= 1 && c <= m_columns)
        m_columnWidths[c - 1] = float(width);
}

double Sheet::rowHeight(int row) const {
    if (row < 1 || row > m_rows) return kDefaultRowHeight;
    return std::size_t(row) <= m_rowHeights.size() ? m_rowHeights[std::size_t(row - 1)]
                                                   : m_restRowHeight;
}

double Sheet::columnWidth(int col) const {
    return col >= 1 && col <= m_columns ? m_columnWidths[col - 1] : kDefaultColumnWidth;
}

// Calls f(cell, col, row, c1, r1, c2, r2) for each cell of the block that lies in the grid;
// c1 … r2 are the block's own bounds (before clipping), for outlines.
template <class F>
void Sheet::forBlock(const Block& b, F&& f) {
    int c1 = b.col1, r1 = b.row1, c2 = b.col2, r2 = b.row2;
    if (c1 == -1 || c2 == -1) c1 = 1, c2 = m_columns;
    if (r1 == -1 || r2 == -1) r1 = 1, r2 = m_rows;
    // A block that ends before it starts ("rows 3 to the last" in a grid of two) is empty.
    if (c1 > c2 || r1 > r2) return;
    const int cFrom = std::max(c1, 1), cTo = std::min(c2, m_columns);
    const int rFrom = std::max(r1, 1), rTo = std::min(r2, m_rows);
    for (int r = rFrom; r <= rTo; ++r)
        for (int c = cFrom; c <= cTo; ++c) f(at(c, r), c, r, c1, r1, c2, r2);
}

std::uint8_t Sheet::paletteIndex(Rgb colour) {
    for (std::size_t i = 0; i < m_palette.size(); ++i)
        if (m_palette[i] == colour) return std::uint8_t(i);
    if (m_palette.size() >= 254) {
        fail(QStringLiteral("more than 254 colours"));
        return 0;
    }
    m_palette.push_back(colour);
    return std::uint8_t(m_palette.size() - 1);
}

void Sheet::growTextIndex() {
    // At most half full afterwards, whether it grows or comes back after squeeze().
    std::size_t size = std::max<std::size_t>(64, m_textSlots.size() * 2);
    while (size < std::size_t(textCount()) * 2) size *= 2;
    std::vector<std::uint32_t> table(size, 0);
    const std::size_t mask = table.size() - 1;
    for (std::uint32_t id = 0; id < textCount(); ++id) {
        std::size_t i = textHash(textAt(id)) & mask;
        while (table[i]) i = (i + 1) & mask;
        table[i] = id + 1;
    }
    m_textSlots = std::move(table);
}

std::uint32_t Sheet::intern(QStringView text) {
    if (m_textSlots.empty()) growTextIndex();
    const std::size_t mask = m_textSlots.size() - 1;
    std::size_t i = textHash(text) & mask;
    for (; m_textSlots[i]; i = (i + 1) & mask)
        if (textAt(m_textSlots[i] - 1) == text) return m_textSlots[i] - 1;
    const std::uint32_t id = textCount();
    m_textChars.insert(m_textChars.end(), text.utf16(), text.utf16() + text.size());
    m_textStarts.push_back(std::uint32_t(m_textChars.size()));
    m_textSlots[i] = id + 1;
    if (std::size_t(textCount()) * 4 > m_textSlots.size() * 3) growTextIndex();
    return id;
}

std::uint8_t Sheet::lineSetIndex(const LineSet& set) {
    for (std::size_t i = 0; i < m_lineSets.size(); ++i)
        if (m_lineSets[i] == set) return std::uint8_t(i);
    if (m_lineSets.size() >= 255) {
        fail(QStringLiteral("more than 255 sets of cell lines"));
        return 0;
    }
    m_lineSets.push_back(set);
    return std::uint8_t(m_lineSets.size() - 1);
}

void Sheet::setCellType(const Block& b, CellType type) {
    forBlock(
        b, [&](Cell& c, auto...) { c.flags = (c.flags & ~2) | (type == CellType::Edit ? 2 : 0); });
}

void Sheet::setAlign(const Block& b, Align align) {
    forBlock(b,
             [&](Cell& c, auto...) { c.flags = (c.flags & ~1) | (align == Align::Left ? 1 : 0); });
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
    // A cell's new lines depend only on its old set and on which sides change, so each pair
    // is worked out once per call. Each cell is visited once, so its old set is one that was
    // there before the call. Many calls set the lines of a single cell: the table is sized to
    // the sets there are and kept on the stack where it fits.
    const std::size_t pairs = m_lineSets.size() * 16;
    std::array<std::int16_t, 16 * 32> onStack;
    std::vector<std::int16_t> onHeap;
    if (pairs > onStack.size()) onHeap.resize(pairs);
    std::int16_t* const memo = pairs > onStack.size() ? onHeap.data() : onStack.data();
    std::fill_n(memo, pairs, std::int16_t(-1));
    forBlock(b, [&](Cell& c, int col, int row, int c1, int r1, int c2, int r2) {
        unsigned mask = sides & AllSides;
        if (outline)
            mask |= (col == c1 ? unsigned(Left) : 0u) | (col == c2 ? unsigned(Right) : 0u) |
                    (row == r1 ? unsigned(Top) : 0u) | (row == r2 ? unsigned(Bottom) : 0u);
        if (!mask) return;
        std::int16_t& known = memo[std::size_t(c.lines) * 16 + mask];  // c.lines < pairs / 16
        if (known < 0) {
            LineSet set = m_lineSets[c.lines];
            for (int s = 0; s < 4; ++s)
                if (mask & (1u << s)) set[s] = line;
            known = lineSetIndex(set);
        }
        c.lines = std::uint8_t(known);
    });
}

void Sheet::clearBorder(const Block& b) {
    forBlock(b, [](Cell& c, auto...) { c.lines = 0; });
}

bool Sheet::border(int col, int row, Side side, Rgb* colour) const {
    const int s = side == Left ? 0 : side == Right ? 1 : side == Top ? 2 : 3;
    const std::uint8_t line = linesOf(cell(col, row))[s];
    if (line == 0) return false;
    if (colour) *colour = m_palette[line - 1];
    return true;
}

void Sheet::setText(int c, int r, const QString& text) {
    if (c < 1 || c > m_columns || r < 1 || r > m_rows) return;
    // The same string as last time (the same characters, shared): no lookup.
    if (text.constData() != m_lastText.constData() || text.size() != m_lastText.size()) {
        m_lastTextId = intern(text);
        m_lastText = text;
    }
    at(c, r).text = m_lastTextId;
}

void Sheet::setNumber(int col, int row, long long value) {
    if (col < 1 || col > m_columns || row < 1 || row > m_rows) return;
    // A long grid sets a number in most of its cells, mostly draw numbers and counts: a small
    // one's text is looked up by the number, the digits made and hashed only the first time.
    std::uint32_t* known = nullptr;
    if (value >= 0 && value <= kMostKnownNumber) {
        const auto n = std::size_t(value);
        if (n >= m_numberTexts.size())
            m_numberTexts.resize(std::min<std::size_t>(std::max(n + 1, m_numberTexts.size() * 2),
                                                       kMostKnownNumber + 1));
        known = &m_numberTexts[n];
        if (*known) {
            at(col, row).text = *known - 1;
            return;
        }
    }
    // The digits as QString::number writes them, without a string of their own.
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    char16_t text[24];
    std::copy(digits, end, text);
    const std::uint32_t id = intern(QStringView(text, end - digits));
    if (known) *known = id + 1;
    at(col, row).text = id;
}

QString Sheet::text(int col, int row) const {
    if (col < 1 || col > m_columns || row < 1 || row > m_rows) return QString();
    return textOf(cell(col, row)).toString();
}

void Sheet::clearText(const Block& b) {
    forBlock(b, [](Cell& c, auto...) { c.text = 0; });
}

void Sheet::setActiveCell(int col, int row) {
    m_activeCol = std::max(col, 0);
    m_activeRow = std::max(row, 0);
}

void Sheet::fail(const QString& why) {
    Q_ASSERT_X(false, "Sheet", qPrintable(why));
    if (m_error.isEmpty()) m_error = QStringLiteral("The sheet holds %1.").arg(why);
}

std::size_t Sheet::bytesUsed() const {
    std::size_t bytes =
        sizeof(*this) + m_cells.capacity() * sizeof(Cell) +
        (m_rowHeights.capacity() + m_columnWidths.capacity()) * sizeof(float) +
        m_palette.capacity() * sizeof(Rgb) + m_lineSets.capacity() * sizeof(LineSet) +
        m_textSlots.capacity() * sizeof(std::uint32_t) + m_textChars.capacity() * sizeof(char16_t) +
        (m_textStarts.capacity() + m_numberTexts.capacity()) * sizeof(std::uint32_t);
    return bytes;
}

void Sheet::squeeze() {
    m_cells.shrink_to_fit();
    m_rowHeights.shrink_to_fit();
    m_columnWidths.shrink_to_fit();
    m_palette.shrink_to_fit();
    m_lineSets.shrink_to_fit();
    m_textChars.shrink_to_fit();
    m_textStarts.shrink_to_fit();
    std::vector<std::uint32_t>().swap(m_textSlots);
    std::vector<std::uint32_t>().swap(m_numberTexts);
}

}  // namespace pirumoa
