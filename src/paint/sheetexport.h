#pragma once

#include <QDate>
#include <QImage>
#include <QPageLayout>
#include <QString>
#include <vector>

#include "core/sheet/sheet.h"

class QPagedPaintDevice;

namespace pirumoa {

// The tallest picture of a whole grid that is made; a taller grid is shown in part.
inline constexpr int kLongestPicture = 16384;

// The whole grid as it looks on screen, in its designed sizes.
QImage sheetImage(const Sheet& sheet);

// The page the printer and the PDF start from: A4 portrait, 10 mm margins.
QPageLayout printPageLayout();

// Prints grids on the device's pages in their designed sizes (96 pixels an inch): each grid
// down first, its frozen rows repeated at the top of every page; a grid narrow enough side by
// side in blocks of rows (newspaper columns), one a little too wide for the page smaller, a
// wider one across pages that never leave one column alone; the caption and the date in the
// page header, "page / pages" in the footer. Returns the number of pages.
int printSheets(const std::vector<const Sheet*>& sheets, const QString& caption, const QDate& date,
                QPagedPaintDevice& device);

// The grids printed to a PDF file on A4 portrait, written atomically. Empty on success,
// otherwise why not.
QString writeSheetsPdf(const std::vector<const Sheet*>& sheets, const QString& caption,
                       const QString& path);

}  // namespace pirumoa
