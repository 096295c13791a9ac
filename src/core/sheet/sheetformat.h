#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "core/sheet/bytesink.h"
#include "core/sheet/sheet.h"

namespace pirumoa {

// The command-line tool's views of a window's grids.
// TSV: one line a row, the texts of columns 1 … C joined by TAB; several grids each after
// a line "## grid K".
QByteArray sheetsToTsv(const std::vector<const Sheet*>& sheets);
// JSON: {"window":…,"grids":[{rows, columns, frozenRows, rowHeights, columnWidths, cells}]},
// a cell listed when anything differs from a fresh sheet's cell.
QByteArray sheetsToJson(const QString& window, const std::vector<const Sheet*>& sheets);
// The same, written as they are made.
void writeSheetsTsv(const std::vector<const Sheet*>& sheets, ByteSink& out);
void writeSheetsJson(const QString& window, const std::vector<const Sheet*>& sheets, ByteSink& out);

QString rgbName(Rgb colour);  // "#RRGGBB"

// What a spreadsheet takes from a grid. CSV: the whole grid, UTF-8 with a byte-order mark,
// CR LF, every text as shown, quoted where it holds a comma, a quote or a line end (and
// several grids one after the other, an empty line between); a heading centred over cells
// joined into one stands in the first of them, as in a merged cell. TSV and HTML: one block, for
// the clipboard; the HTML keeps each cell's text and background colours and alignment.
QByteArray sheetsToCsv(const std::vector<const Sheet*>& sheets);
void writeSheetsCsv(const std::vector<const Sheet*>& sheets, ByteSink& out);
QByteArray blockToTsv(const Sheet& sheet, const Block& block);
QByteArray blockToHtml(const Sheet& sheet, const Block& block);

}  // namespace pirumoa
