#include "paint/sheetexport.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <utility>

#include "core/store/fileerror.h"
#include "paint/look.h"
#include "paint/sheetpainter.h"

namespace pirumoa {

namespace {

constexpr int kScreenDpi = 96;
// Room between the side-by-side blocks of a narrow grid, in design pixels.
constexpr int kBlockGap = 6;
// A grid a little wider than the page is printed smaller, down to this share of its size,
// rather than cut into a page of most columns and a page of the few left over.
constexpr double kSmallestZoom = 0.7;

// Body rows and columns of a grid, both inclusive, at a place on the page (design pixels).
struct PageBlock {
    int row1, row2, col1, col2;
    int x;
};

// One printed page: blocks of one grid at one zoom.
struct Page {
    std::size_t sheet;
    double zoom;
    std::vector<PageBlock> blocks;
};

// Runs of columns that fit the width, never leaving a run of one column beside a wider one
// when a column can move over.
std::vector<std::pair<int, int>> columnRuns(const SheetPainter& sp, int columns, double width) {
    auto span = [&](int a, int b) { return sp.colX(b) - sp.colX(a - 1) + 1; };
    std::vector<std::pair<int, int>> runs;
    for (int c = 1; c <= columns;) {
        int e = c;
        while (e < columns && span(c, e + 1) <= width) ++e;
        runs.push_back({c, e});
        c = e + 1;
    }
    for (std::size_t i = 1; i < runs.size(); ++i) {
        auto& [a1, b1] = runs[i - 1];
        auto& [a2, b2] = runs[i];
        while (b2 - a2 < 1 && b1 - a1 >= 2 && span(b1, b2) <= width) --b1, --a2;
    }
    return runs;
}

// Lays one grid out on pages of width x height design pixels.
void layOutSheet(const Sheet& s, const SheetPainter& sp, std::size_t index, int width, int height,
                 std::vector<Page>& pages) {
    if (s.rowCount() == 0 || s.columnCount() == 0) return;
    const int gridWidth = sp.colX(s.columnCount()) - sp.colX(0) + 1;
    // Slightly too wide: smaller, so that every page holds whole rows of the grid.
    double zoom = 1;
    if (gridWidth > width && double(width) / gridWidth >= kSmallestZoom)
        zoom = double(width) / gridWidth;
    const double w = width / zoom, h = height / zoom;
    const int frozen = std::min(s.frozenRows(), s.rowCount());
    const int band = frozen > 0 ? sp.frozenHeight() + 1 : 0;
    const auto runs = columnRuns(sp, s.columnCount(), w);

    // Chunks of body rows that fit under the repeated headings.
    std::vector<std::pair<int, int>> chunks;
    if (frozen == s.rowCount()) chunks.push_back({0, -1});  // headings only: once
    for (int r = frozen + 1; r <= s.rowCount();) {
        int e = r;
        while (e < s.rowCount() && band + sp.rowY(e + 1) - sp.rowY(r - 1) + 1 <= h) ++e;
        chunks.push_back({r, e});
        r = e + 1;
    }

    // A narrow grid prints as newspaper columns: the chunks side by side, down the first
    // block and on in the next, each block under its own headings.
    const int across =
        runs.size() == 1 ? std::max(1, int((w + kBlockGap) / (gridWidth + kBlockGap))) : 1;
    if (across > 1) {
        for (std::size_t i = 0; i < chunks.size(); i += std::size_t(across)) {
            Page page{index, zoom, {}};
            for (std::size_t k = i; k < chunks.size() && k < i + std::size_t(across); ++k)
                page.blocks.push_back({chunks[k].first, chunks[k].second, 1, s.columnCount(),
                                       int(k - i) * (gridWidth + kBlockGap)});
            pages.push_back(std::move(page));
        }
        return;
    }
    for (const auto& [r1, r2] : chunks)
        for (const auto& [c1, c2] : runs) pages.push_back({index, zoom, {{r1, r2, c1, c2, 0}}});
}

}  // namespace

QPageLayout printPageLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

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
    std::vector<Page> parts;
    std::vector<SheetPainter> painters(sheets.size());
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        painters[i].setSheet(*sheets[i], font);
        layOutSheet(*sheets[i], painters[i], i, width, body, parts);
    }

    QPainter p(&device);
    p.scale(scale, scale);
    const int pages = int(parts.size());
    for (int n = 0; n < pages; ++n) {
        if (n > 0) device.newPage();
        const Page& laid = parts[std::size_t(n)];
        SheetPainter& sp = painters[laid.sheet];
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QRect(0, 0, width, line), Qt::AlignLeft | Qt::AlignVCenter, caption);
        p.drawText(QRect(0, 0, width, line), Qt::AlignRight | Qt::AlignVCenter,
                   date.toString(QStringLiteral("yyyy年M月d日")));
        p.drawText(QRect(0, height - line, width, line), Qt::AlignCenter,
                   QStringLiteral("%1 / %2").arg(n + 1).arg(pages));

        const Sheet& s = *sheets[laid.sheet];
        const int frozen = std::min(s.frozenRows(), s.rowCount());
        const int band = frozen > 0 ? sp.frozenHeight() + 1 : 0;
        for (const PageBlock& part : laid.blocks) {
            const bool bodyRows = part.row1 >= 1 && part.row1 <= part.row2;
            const int bodyHeight = bodyRows ? sp.rowY(part.row2) - sp.rowY(part.row1 - 1) : 0;
            const QRect area(0, 0, sp.colX(part.col2) - sp.colX(part.col1 - 1) + 1,
                             band + bodyHeight);
            const int sx = sp.colX(part.col1 - 1) - 1;
            const int sy = bodyRows ? sp.rowY(part.row1 - 1) - sp.rowY(frozen) : 0;
            p.save();
            p.translate(0, line);
            p.scale(laid.zoom, laid.zoom);
            p.translate(part.x, 0);
            p.setClipRect(area);
            sp.paint(p, area, sx, sy, Qt::white);
            p.restore();
        }
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
        pdf.setPageLayout(printPageLayout());
        pdf.setTitle(caption);
        pdf.setCreator(QStringLiteral("ナンバーズ4ピルモアLite"));
        printSheets(sheets, caption, QDate::currentDate(), pdf);
    }
    return writeFileAtomically(path, buffer.data());
}

}  // namespace pirumoa
