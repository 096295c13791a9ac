#pragma once

#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "core/sheet/colours.h"

namespace pirumoa {

enum class Align : std::uint8_t { Center = 0, Left = 1 };
enum class CellType : std::uint8_t { Static = 0, Edit = 1 };

// Sides of a cell line. Outline draws the sides of the block's border only.
enum Side : unsigned { Left = 1, Right = 2, Top = 4, Bottom = 8, AllSides = 15, Outline = 16 };

// A block of cells, 1-based and inclusive. -1 for a column or row means all of them. A block
// whose last column or row comes before its first holds no cell.
struct Block {
    int col1, row1, col2, row2;
};

// The table a window shows: the grid operations every window uses, with cells stored
// compactly (texts interned, colours as palette indices). Writes outside the grid are
// ignored; later operations overwrite earlier ones. A sheet holds at most 254 colours and
// 255 sets of cell lines, far beyond what a window uses: going past either is a fault of the
// window's code, caught by an assertion in debug builds and kept in error() otherwise.
class Sheet {
public:
    struct Cell {
        std::uint32_t text = 0;  // a text's number, see textAt(); 0 is ""
        std::uint8_t fg = 0;     // palette index; 0 black
        std::uint8_t bg = 1;     // palette index; 1 white
        std::uint8_t flags = 0;  // bit 0 left-aligned, bit 1 editable
        std::uint8_t lines = 0;  // index into the sets of lines; 0 is none
    };
    static_assert(sizeof(Cell) == 8);
    // The lines of a cell: left, right, top, bottom, each a palette index + 1, or 0 for none.
    using LineSet = std::array<std::uint8_t, 4>;

    static constexpr double kDefaultRowHeight = 10;
    static constexpr double kDefaultColumnWidth = 5;

    Sheet();

    // Grid-wide settings.
    void setSize(int columns, int rows);  // keeps cells that still fit
    int columnCount() const { return m_columns; }
    int rowCount() const { return m_rows; }
    void setFrozenRows(int n) { m_frozenRows = n < 0 ? 0 : n; }
    int frozenRows() const { return m_frozenRows; }
    void setOverflow(bool on) { m_overflow = on; }
    bool overflow() const { return m_overflow; }

    void setRowHeight(int row, double height);   // row -1: every row
    void setColumnWidth(int col, double width);  // col -1: every column
    double rowHeight(int row) const;
    double columnWidth(int col) const;
    // The rows from 1 up to this one may have heights of their own; every row below it has
    // the height of the last row. A long grid sets the heights of its heading rows only.
    int lastRowOfOwnHeight() const { return int(m_rowHeights.size()); }

    // Formatting of a block.
    void setCellType(const Block& b, CellType type);
    void setAlign(const Block& b, Align align);
    void setForeground(const Block& b, Rgb colour);
    void setBackground(const Block& b, Rgb colour);
    // Lines on the given sides (Side flags) of every cell of the block, or its outline.
    void setBorder(const Block& b, unsigned sides, Rgb colour);
    void clearBorder(const Block& b);

    // Texts.
    void setText(int col, int row, const QString& text);
    void setNumber(int col, int row, long long value);
    QString text(int col, int row) const;
    void clearText(const Block& b);  // formatting stays

    // The current cell: (0, 0) is the top-left corner cell, outside the data.
    void setActiveCell(int col, int row);
    int activeColumn() const { return m_activeCol; }
    int activeRow() const { return m_activeRow; }

    // Read access for the painters and printers; col and row must be inside the grid.
    const Cell& cell(int col, int row) const {
        return m_cells[std::size_t(row - 1) * m_columns + (col - 1)];
    }
    // The views stay valid until the sheet next changes.
    QStringView textOf(const Cell& c) const { return textAt(c.text); }
    Rgb colourOf(std::uint8_t index) const { return m_palette[index]; }
    Rgb foreground(int col, int row) const { return colourOf(cell(col, row).fg); }
    Rgb background(int col, int row) const { return colourOf(cell(col, row).bg); }
    Align align(int col, int row) const {
        return (cell(col, row).flags & 1) ? Align::Left : Align::Center;
    }
    bool editable(int col, int row) const { return cell(col, row).flags & 2; }
    // The colour of a side's line (Left, Right, Top or Bottom), or false when it has none.
    bool border(int col, int row, Side side, Rgb* colour) const;
    const LineSet& linesOf(const Cell& c) const { return m_lineSets[c.lines]; }
    // The distinct texts, numbered 0 (the empty text) to textCount() - 1.
    std::uint32_t textCount() const { return std::uint32_t(m_textStarts.size() - 1); }
    QStringView textAt(std::uint32_t id) const {
        return QStringView(m_textChars.data() + m_textStarts[id],
                           qsizetype(m_textStarts[id + 1] - m_textStarts[id]));
    }
    std::size_t bytesUsed() const;
    // Gives back what only building the sheet needs: the index that finds a text already
    // stored, and the room its tables keep for growth. A window holds its sheet for as long
    // as it is open; writing to the sheet afterwards still works (the index comes back).
    void squeeze();

    // The column (or row) half-way between first and last, as a heading centred over them
    // is placed: a half rounds to the even neighbour, so 2 and 9 give 6, 2 and 7 give 4.
    static int midway(int first, int last);

    // The narrowest whole width that shows a whole number of so many digits inside its cell.
    // The grid's unit is a little narrower than a digit of the window font: a digit takes a
    // unit and a quarter, and the cell's margins take a little less than what a unit of
    // width adds beyond its own (see SheetPainter::columnPixels).
    static double widthForDigits(int digits);

    // Why the sheet is not what its window asked for (a limit passed); empty when it is.
    const QString& error() const { return m_error; }

private:
    template <class F>
    void forBlock(const Block& b, F&& f);
    std::uint8_t paletteIndex(Rgb colour);
    std::uint8_t lineSetIndex(const LineSet& set);
    std::uint32_t intern(QStringView text);
    void growTextIndex();
    void fail(const QString& why);
    Cell& at(int col, int row) { return m_cells[std::size_t(row - 1) * m_columns + (col - 1)]; }

    int m_columns = 0;
    int m_rows = 0;
    int m_frozenRows = 0;
    bool m_overflow = false;
    int m_activeCol = 1;
    int m_activeRow = 1;
    std::vector<Cell> m_cells;
    // The heights of rows 1 … size(); the rows after them have m_restRowHeight. Kept short:
    // one float per row of a long grid would cost as much as a column of its cells.
    std::vector<float> m_rowHeights;
    float m_restRowHeight = float(kDefaultRowHeight);
    std::vector<float> m_columnWidths;
    std::vector<Rgb> m_palette;
    std::vector<LineSet> m_lineSets;
    // The texts' characters back to back: text i runs from m_textStarts[i] to
    // m_textStarts[i + 1]. A draw number in a QString of its own would cost more than the
    // cells that show it.
    std::vector<char16_t> m_textChars;
    std::vector<std::uint32_t> m_textStarts;
    // Open addressing over the texts: id + 1 per slot, 0 free; at most three quarters full.
    std::vector<std::uint32_t> m_textSlots;
    // The text of each small whole number set so far, found by the number itself: id + 1,
    // 0 while not set. Built with the index and given back with it.
    static constexpr long long kMostKnownNumber = 65535;
    std::vector<std::uint32_t> m_numberTexts;
    // The text last set and its number: a grid sets one mark in thousands of cells. Held, so
    // that its characters cannot change while they are known by their address.
    QString m_lastText;
    std::uint32_t m_lastTextId = 0;
    QString m_error;
};

}  // namespace pirumoa
