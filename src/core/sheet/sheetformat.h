#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "core/sheet/sheet.h"

namespace pirumoa {

// The command-line tool's views of a window's grids.
// TSV: one line a row, the texts of columns 1 … C joined by TAB; several grids each after
// a line "## grid K".
QByteArray sheetsToTsv(const std::vector<const Sheet*>& sheets);
// JSON: {"window":…,"grids":[{rows, columns, frozenRows, rowHeights, columnWidths, cells}]},
// a cell listed when anything differs from a fresh sheet's cell.
QByteArray sheetsToJson(const QString& window, const std::vector<const Sheet*>& sheets);

QString rgbName(Rgb colour);  // "#RRGGBB"

}  // namespace pirumoa
