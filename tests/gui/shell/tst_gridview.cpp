// Paints small hand-made sheets offscreen and reads the pixels back. Expected places come
// from cellRect(); a seam is the two pixels where two cells meet, one of which carries the
// line between them.
#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QtTest>
#include <functional>

#include "core/sheet/colours.h"
#include "gui/shell/gridview.h"
#include "gui/shell/mainwindow.h"
#include "widgetsupport.h"

using namespace pirumoa;

namespace {

QImage paint(GridView& view) {
    return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

Rgb at(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFFu; }

// A cell without the pixels it shares with its neighbours.
QRect inner(const QRect& r) { return r.adjusted(1, 1, -1, -1); }

// The pixels of `area` (within the image) for which `test` holds.
int countWhere(const QImage& img, const QRect& area, const std::function<bool(Rgb)>& test) {
    int n = 0;
    const QRect a = area.intersected(img.rect());
    for (int y = a.top(); y <= a.bottom(); ++y)
        for (int x = a.left(); x <= a.right(); ++x) n += test(at(img, x, y));
    return n;
}
int countOther(const QImage& img, const QRect& area, Rgb colour) {
    return countWhere(img, area, [&](Rgb p) { return p != colour; });
}
// Red text, antialiased onto a pale background.
int countRed(const QImage& img, const QRect& area) {
    return countWhere(img, area, [](Rgb p) {
        const int r = int(p >> 16) & 255, g = int(p >> 8) & 255, b = int(p) & 255;
        return r - std::max(g, b) > 80;
    });
}

// The places along one side of a cell where neither pixel of the seam has the colour.
int seamGaps(const QImage& img, const QRect& cell, Qt::Edge edge, Rgb colour) {
    int gaps = 0;
    if (edge == Qt::LeftEdge || edge == Qt::RightEdge) {
        const int x = edge == Qt::LeftEdge ? cell.left() - 1 : cell.right();
        for (int y = cell.top(); y < cell.bottom(); ++y)
            gaps += at(img, x, y) != colour && at(img, x + 1, y) != colour;
    } else {
        const int y = edge == Qt::TopEdge ? cell.top() - 1 : cell.bottom();
        for (int x = cell.left(); x < cell.right(); ++x)
            gaps += at(img, x, y) != colour && at(img, x, y + 1) != colour;
    }
    return gaps;
}

// Columns 1 to `columns` of one row. Assigned, not braced: the row converts to the
// block's index type without narrowing.
Block wholeRow(int row, int columns) {
    Block b{};
    b.col1 = 1;
    b.col2 = columns;
    b.row1 = b.row2 = row;
    return b;
}

bool show(GridView& view, const Sheet& sheet, QSize size) {
    view.setSheet(sheet);
    view.resize(size);
    view.show();
    return QTest::qWaitForWindowExposed(&view);
}

}  // namespace

class GridViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { MainFrm::installFonts(); }

    void frozenRowsStayWhileTheBodyScrolls() {
        Sheet s;
        s.setSize(3, 40);
        s.setFrozenRows(1);
        s.setActiveCell(0, 0);
        s.setBackground({1, 1, 3, 1}, colour::LightPink);
        for (int r = 2; r <= 40; ++r)
            s.setBackground(wholeRow(r, 3), r % 2 ? colour::LightGreen : colour::Lavender);
        GridView view;
        QVERIFY(show(view, s, QSize(200, 150)));
        QScrollBar* bar = view.verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        const QRect heading = view.cellRect(1, 1);

        // Whole rows and a row half hidden under the band.
        for (int value : {0, 5, GridView::rowPixels(10) * 3 / 2, bar->maximum()}) {
            bar->setValue(value);
            const QImage img = paint(view);
            for (int c = 1; c <= 3; ++c) {
                QCOMPARE(view.cellRect(c, 1).top(), heading.top());
                QCOMPARE(countOther(img, inner(view.cellRect(c, 1)), colour::LightPink), 0);
            }
            int shown = 0;
            for (int r = 2; r <= 40; ++r) {
                const QRect cell = view.cellRect(2, r);
                if (cell.isEmpty()) continue;
                ++shown;
                QRect below = inner(cell);
                below.setTop(std::max(below.top(), heading.bottom() + 2));
                QCOMPARE(countOther(img, below, s.background(2, r)), 0);
            }
            QVERIFY(shown > 3);
            test::shoot(&view, QString("frozen-%1").arg(value));
        }
        QVERIFY(view.cellRect(1, 2).isEmpty());
        QVERIFY(view.cellAt(QPoint(heading.center().x(), heading.bottom() + 2)).y() > 2);
        QVERIFY(view.cellRect(1, 40).bottom() < view.viewport()->height());
    }

    void textsRunOverOnlyIntoEmptyNeighbours() {
        const QString wide = "ＷＷＷＷＷＷ";
        Sheet s;
        s.setSize(20, 3);
        s.setActiveCell(0, 0);
        s.setColumnWidth(-1, 2);
        s.setRowHeight(-1, 15);
        s.setOverflow(true);
        s.setForeground({-1, -1, -1, -1}, colour::Red);
        // Row 1 runs free to the right; row 2 stops at a filled neighbour; row 3 is centred
        // between two filled cells and runs both ways as far as they let it.
        s.setText(1, 1, wide);
        s.setText(1, 2, wide);
        s.setAlign({1, 1, 1, 2}, Align::Left);
        s.setText(2, 2, "x");
        s.setText(4, 3, wide);
        s.setText(2, 3, "x");
        s.setText(6, 3, "x");
        s.setForeground({2, 2, 2, 3}, colour::Blue);
        s.setForeground({6, 3, 6, 3}, colour::Blue);
        GridView view;
        QVERIFY(show(view, s, QSize(120, 120)));
        auto red = [&](const QImage& img, int c, int r) {
            return countRed(img, inner(view.cellRect(c, r)));
        };

        QImage img = paint(view);
        QVERIFY(red(img, 1, 1) > 0);
        QVERIFY(red(img, 2, 1) > 0);
        QVERIFY(red(img, 1, 2) > 0);
        QCOMPARE(red(img, 2, 2), 0);
        for (int c : {3, 4, 5}) QVERIFY2(red(img, c, 3) > 0, qPrintable(QString::number(c)));
        QCOMPARE(red(img, 2, 3), 0);
        QCOMPARE(red(img, 6, 3), 0);
        test::shoot(&view, "overflow");

        // A text whose own cell is scrolled out of view still runs into the visible ones.
        view.horizontalScrollBar()->setValue(view.cellRect(2, 1).left() + 2);
        QVERIFY(view.cellRect(2, 1).left() < 0);
        img = paint(view);
        QVERIFY(red(img, 3, 1) > 0);

        // Without overflow a text stays inside its cell.
        s.setOverflow(false);
        view.setSheet(s);
        view.horizontalScrollBar()->setValue(0);
        img = paint(view);
        QVERIFY(red(img, 1, 1) > 0);
        QCOMPARE(red(img, 2, 1), 0);
    }

    void linesLieOverBackgroundsAndTextsInTheirOwnColours() {
        Sheet s;
        s.setSize(5, 5);
        s.setActiveCell(0, 0);
        s.setColumnWidth(-1, 3);
        s.setRowHeight(-1, 15);
        s.setOverflow(true);
        s.setBackground({-1, -1, -1, -1}, colour::LightGreen);
        s.setBackground({2, 2, 2, 2}, colour::LightYellow);
        s.setBorder({2, 2, 2, 2}, AllSides, colour::Red);
        s.setBorder({4, 2, 4, 2}, AllSides, colour::Blue);
        // Row 4: a text running over three lines.
        s.setBorder({1, 4, 5, 4}, AllSides, colour::Blue);
        s.setText(1, 4, "ＷＷＷＷＷＷＷＷ");
        s.setAlign({1, 4, 1, 4}, Align::Left);
        s.setForeground({1, 4, 1, 4}, colour::Red);
        GridView view;
        QVERIFY(show(view, s, QSize(300, 200)));
        const QImage img = paint(view);
        test::shoot(&view, "lines");

        const Qt::Edge sides[] = {Qt::LeftEdge, Qt::RightEdge, Qt::TopEdge, Qt::BottomEdge};
        for (Qt::Edge side : sides) {
            QCOMPARE(seamGaps(img, view.cellRect(2, 2), side, colour::Red), 0);
            QCOMPARE(seamGaps(img, view.cellRect(4, 2), side, colour::Blue), 0);
        }
        QCOMPARE(countOther(img, inner(view.cellRect(2, 2)), colour::LightYellow), 0);
        QCOMPARE(countOther(img, inner(view.cellRect(3, 2)), colour::LightGreen), 0);

        for (int c = 1; c <= 4; ++c) {
            const QRect cell = view.cellRect(c, 4);
            QVERIFY2(countRed(img, inner(cell)) > 0, qPrintable(QString::number(c)));
            QCOMPARE(seamGaps(img, cell, Qt::RightEdge, colour::Blue), 0);
        }
    }

    void beyondTheLastColumnAndRowIsWindowGrey() {
        Sheet s;
        s.setSize(3, 3);
        s.setFrozenRows(1);
        s.setActiveCell(0, 0);
        s.setBackground({-1, -1, -1, -1}, colour::LightYellow);
        s.setBorder({-1, -1, -1, -1}, AllSides, colour::LightBlue);
        s.setText(3, 1, "heading");
        s.setAlign({3, 1, 3, 1}, Align::Left);
        s.setOverflow(true);
        GridView view;
        QVERIFY(show(view, s, QSize(300, 200)));
        const QImage img = paint(view);
        test::shoot(&view, "beyond");
        const Rgb grey = view.palette().color(QPalette::Window).rgb() & 0xFFFFFFu;
        QVERIFY(grey != colour::LightYellow);

        const QRect last = view.cellRect(3, 3);
        QCOMPARE(countOther(img, inner(last), colour::LightYellow), 0);
        const QRect right(last.right() + 1, 0, img.width(), img.height());
        const QRect below(0, last.bottom() + 1, img.width(), img.height());
        QCOMPARE(countOther(img, right, grey), 0);
        QCOMPARE(countOther(img, below, grey), 0);

        GridView empty;
        QVERIFY(show(empty, Sheet(), QSize(100, 80)));
        const QImage none = paint(empty);
        QCOMPARE(countOther(none, none.rect(), grey), 0);
    }

    // A repainted strip (a scroll, an exposed part) whose edge falls on the pixel where two
    // cells without a line meet shows the cells there, not the window's grey or whatever the
    // pixel held before.
    void anyPartRepaintedShowsOnlyTheCells() {
        Sheet s;
        s.setSize(4, 4);
        s.setActiveCell(0, 0);
        s.setBackground({-1, -1, -1, -1}, colour::LightYellow);
        GridView view;
        view.setSheet(s);
        view.resize(400, 300);
        const QRect first = view.cellRect(1, 1);
        for (int right = first.right() - 1; right <= first.right() + 2; ++right)
            for (int bottom = first.bottom() - 1; bottom <= first.bottom() + 2; ++bottom) {
                QImage img(view.viewport()->size(), QImage::Format_RGB32);
                img.fill(Qt::magenta);
                const QRect area(0, 0, right + 1, bottom + 1);
                QPainter p(&img);
                view.paintArea(p, area);
                p.end();
                QCOMPARE(countOther(img, area, colour::LightYellow), 0);
            }
    }

    void gridTextsRunOverIntoEmptyNeighbours() {
        Sheet s;
        s.setSize(6, 2);
        s.setColumnWidth(-1, 2);
        s.setOverflow(true);
        const QString wide = "wide heading that needs room";
        s.setText(2, 1, wide);
        s.setAlign({2, 1, 2, 1}, Align::Left);
        s.setText(4, 1, "x");   // stops the run to the right
        s.setText(4, 2, wide);  // centred: runs to both sides
        GridView view;
        view.setSheet(s);
        QCOMPARE(view.textSpan(2, 1), std::make_pair(2, 3));
        const auto centred = view.textSpan(4, 2);
        QVERIFY(centred.first < 4 && centred.second > 4);
        s.setOverflow(false);
        view.setSheet(s);
        QCOMPARE(view.textSpan(4, 2), std::make_pair(4, 4));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    GridViewTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_gridview.moc"
