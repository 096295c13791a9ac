#include "paint/sheetexport.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "core/store/fileerror.h"
#include "paint/look.h"
#include "paint/sheetpainter.h"

namespace pirumoa {

namespace {

constexpr int kScreenDpi = 96;

// One page's share of a grid: body rows and columns, both inclusive.
struct PagePart {
    const Sheet* sheet;
    int row1, row2, col1, col2;
};

}  // namespace

QImage sheetImage(const Sheet& sheet) {
    SheetPainter painter;
    painter.setSheet(sheet, windowFont());
    const QSize size = painter.contentSize().boundedTo(QSize(32767, kLongestPicture));
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    painter.paint(p, image.rect(), 0, 0, Qt::white);
    return image;
}

int printSheets(const std::vector<const Sheet*>& sheets, const QString& caption, const QDate& date,
                QPagedPaintDevice& device) {
    const QRect page = device.pageLayout().paintRectPixels(device.logicalDpiX());
    // Design pixels to device pixels: the grid keeps its on-screen size on paper.
    const double scale = double(device.logicalDpiX()) / kScreenDpi;
    const int width = int(page.width() / scale), height = int(page.height() / scale);
    // The font in screen pixels: on a device of another resolution a size in points would
    // grow with the device while the cells keep their screen size.
    QFont font = windowFont();
    font.setPixelSize(qRound(font.pointSizeF() * kScreenDpi / 72.0));
    const int line = QFontMetrics(font).height() + 6;
    const int body = std::max(1, height - 2 * line);

    // Cut every grid into pages first: the footer names the number of pages.
    std::vector<PagePart> parts;
    std::vector<SheetPainter> painters(sheets.size());
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const Sheet& s = *sheets[i];
        SheetPainter& sp = painters[i];
        sp.setSheet(s, font);
        if (s.rowCount() == 0 || s.columnCount() == 0) continue;
        const int frozen = std::min(s.frozenRows(), s.rowCount());
        const int band = frozen > 0 ? sp.frozenHeight() + 1 : 0;
        std::vector<std::pair<int, int>> columnRuns;
        for (int c = 1; c <= s.columnCount();) {
            int e = c;
            while (e < s.columnCount() && sp.colX(e + 1) - sp.colX(c - 1) + 1 <= width) ++e;
            columnRuns.push_back({c, e});
            c = e + 1;
        }
        if (frozen == s.rowCount())  // headings only: one page of them
            for (const auto& [c1, c2] : columnRuns) parts.push_back({&s, 0, -1, c1, c2});
        for (int r = frozen + 1; r <= s.rowCount();) {
            int e = r;
            while (e < s.rowCount() && band + sp.rowY(e + 1) - sp.rowY(r - 1) + 1 <= body) ++e;
            for (const auto& [c1, c2] : columnRuns) parts.push_back({&s, r, e, c1, c2});
            r = e + 1;
        }
    }

    QPainter p(&device);
    p.scale(scale, scale);
    const int pages = int(parts.size());
    for (int n = 0; n < pages; ++n) {
        if (n > 0) device.newPage();
        const PagePart& part = parts[std::size_t(n)];
        SheetPainter& sp = painters[std::size_t(
            std::find(sheets.begin(), sheets.end(), part.sheet) - sheets.begin())];
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QRect(0, 0, width, line), Qt::AlignLeft | Qt::AlignVCenter, caption);
        p.drawText(QRect(0, 0, width, line), Qt::AlignRight | Qt::AlignVCenter,
                   date.toString(QStringLiteral("yyyy年M月d日")));
        p.drawText(QRect(0, height - line, width, line), Qt::AlignCenter,
                   QStringLiteral("%1 / %2").arg(n + 1).arg(pages));

        const Sheet& s = *part.sheet;
        const int frozen = std::min(s.frozenRows(), s.rowCount());
        const int band = frozen > 0 ? sp.frozenHeight() + 1 : 0;
        const bool bodyRows = part.row1 >= 1 && part.row1 <= part.row2;
        const int bodyHeight = bodyRows ? sp.rowY(part.row2) - sp.rowY(part.row1 - 1) : 0;
        const QRect area(0, 0, sp.colX(part.col2) - sp.colX(part.col1 - 1) + 1, band + bodyHeight);
        const int sx = sp.colX(part.col1 - 1) - 1;
        const int sy = bodyRows ? sp.rowY(part.row1 - 1) - sp.rowY(frozen) : 0;
        p.save();
        p.translate(0, line);
        p.setClipRect(area);
        sp.paint(p, area, sx, sy, Qt::white);
        p.restore();
    }
    return pages;
}

QString writeSheetsPdf(const std::vector<const Sheet*>& sheets, const QString& caption,
                       const QString& path) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(300);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        pdf.setTitle(caption);
        pdf.setCreator(QStringLiteral("ナンバーズ4ピルモアLite"));
        printSheets(sheets, caption, QDate::currentDate(), pdf);
    }
    return writeFileAtomically(path, buffer.data());
}

}  // namespace pirumoa
