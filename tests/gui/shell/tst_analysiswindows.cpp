// Every analysis window of the table, opened from its menu entry on the sample history as a
// user opens it: placed and sized as designed, showing exactly the sheet its fill function
// builds (which is what the command-line tool prints), and closed by its button.
// PIRUMOA_SHOTS=folder saves a picture of each, and of the prediction and data-entry windows.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>
#include <random>

#include "core/sheet/sheetformat.h"
#include "core/store/drawcsv.h"
#include "gui/shell/childwindow.h"
#include "gui/shell/gridview.h"
#include "gui/shell/mainwindow.h"
#include "paint/sheetpainter.h"
#include "testsupport.h"
#include "widgetsupport.h"

using namespace pirumoa;

// The texts that the grid cuts, each with its cell: the ink of a text (its spaces aside) must
// lie within the cells it may take, its own or the empty neighbours it runs over.
QStringList clippedTexts(const GridView& grid) {
    const Sheet& sheet = grid.sheet();
    SheetPainter painter;
    painter.setSheet(sheet, grid.font());
    const QFontMetrics metrics(grid.font());
    QStringList out;
    for (int r = 1; r <= sheet.rowCount() && out.size() < 6; ++r) {
        for (int c = 1; c <= sheet.columnCount(); ++c) {
            const Sheet::Cell& cell = sheet.cell(c, r);
            if (!cell.text) continue;
            const QString text = sheet.textOf(cell).toString();
            const QString ink = text.trimmed();
            const int before = metrics.horizontalAdvance(text.left(text.indexOf(ink)));
            const auto [a, b] = painter.textSpan(c, r);
            const int x0 = painter.colX(a - 1), w = painter.colX(b) - x0 - 1;
            const int x = sheet.align(c, r) == Align::Left
                              ? x0 + 2
                              : x0 + (w - metrics.horizontalAdvance(text)) / 2;
            if (x + before < x0 + 1 || x + before + metrics.horizontalAdvance(ink) > x0 + w - 1)
                out << QStringLiteral("「%1」(%2行%3列)").arg(ink).arg(r).arg(c);
        }
    }
    return out;
}

class AnalysisWindowsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_cwd;

private slots:
    void initTestCase() { QVERIFY(test::setUpWindowTests(m_cwd)); }
    void cleanup() { QVERIFY(test::promptsUsedUp()); }

    void everyWindowOpensFromItsMenuAsDesigned() {
        test::TempDatabase db(readDrawCsvFile(PIRUMOA_DATA_DIR "/numbers4_history.csv"));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        main.resize(1600, 1200);
        int opened = 0;
        for (const WindowDesign& design : windowDesigns()) {
            const WindowInfo& info = *design.info;
            if (info.kind != WindowKind::Analysis) continue;
            const QByteArray name = info.objectName.toUtf8();
            auto* action = main.findChild<QAction*>(design.menuAction);
            QVERIFY2(action && action->isEnabled(), name);
            action->trigger();
            auto* window = qobject_cast<AnalysisWindow*>(main.findWindow(info.objectName));
            QVERIFY2(window, name);
            QVERIFY2(!main.propEnd(), name);
            QMdiSubWindow* sub = main.mdiArea()->activeSubWindow();
            QCOMPARE(sub->widget(), window);
            // At the corner with the design size, wider where the columns need it to show all.
            QCOMPARE(sub->pos(), QPoint(0, 0));
            QCOMPARE(sub->height(), design.size().height());
            QVERIFY2(sub->width() >= design.size().width(), name);
            QCOMPARE(window->grid()->horizontalScrollBar()->maximum(), 0);
            QCOMPARE(sub->windowTitle(), info.caption);
            QCOMPARE(window->findChild<QLabel*>("Label1")->text(), design.description);

            Sheet expected;
            info.fill(*main.history(), expected);
            QCOMPARE(sheetsToJson(info.objectName, {&window->grid()->sheet()}),
                     sheetsToJson(info.objectName, {&expected}));
            QApplication::processEvents();
            test::shoot(sub, "window-" + info.objectName);
            const QStringList clipped = clippedTexts(*window->grid());
            QVERIFY2(clipped.isEmpty(), qPrintable(info.objectName + ": " + clipped.join(", ")));
            // At the latest draws; Ctrl+Home goes to the top.
            QScrollBar* bar = window->grid()->verticalScrollBar();
            QVERIFY2(bar->value() == bar->maximum(), name);
            QTest::keyClick(window->grid(), Qt::Key_Home, Qt::ControlModifier);
            QVERIFY2(bar->value() == 0, name);

            window->findChild<QPushButton*>("Command1")->click();
            QTRY_VERIFY2(main.mdiArea()->subWindowList().isEmpty(), name);
            QVERIFY2(main.propEnd(), name);
            ++opened;
        }
        QVERIFY(opened > 0);

        // The other two working windows, for their pictures.
        for (const char* name : {"一発ピルモア", "当選データ入力"}) {
            ChildWindow* window = main.openWindow(QString::fromUtf8(name));
            QVERIFY2(window, name);
            QApplication::processEvents();
            test::shoot(main.mdiArea()->activeSubWindow(), QStringLiteral("window-") + name);
            window->unload();
            QTRY_VERIFY(main.mdiArea()->subWindowList().isEmpty());
        }
    }

    // Imported histories go beyond draw 9,999. Up to the last draw number there is, every
    // whole number a window shows (its draw numbers above all) lies inside its own cell, with
    // the cell's margins, and every window still opens wide enough to show all its columns.
    void numbersFitTheirCellsUpToTheLastDrawNumber() {
        std::vector<DrawRecord> rows;
        std::mt19937 random(36);
        for (int no = 1; no <= kMaxDrawNo; ++no) {
            DrawRecord r;
            r.no = no;
            for (std::int8_t& d : r.digits) d = std::int8_t(random() % 10);
            rows.push_back(r);
        }
        test::TempDatabase db(rows);
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        main.resize(1600, 1200);
        for (const WindowDesign& design : windowDesigns()) {
            if (design.info->kind != WindowKind::Analysis) continue;
            auto* window = qobject_cast<AnalysisWindow*>(main.openWindow(design.objectName));
            QVERIFY(window);
            const GridView& grid = *window->grid();
            QVERIFY2(grid.horizontalScrollBar()->maximum() == 0, qPrintable(design.objectName));
            const Sheet& sheet = grid.sheet();
            SheetPainter painter;
            painter.setSheet(sheet, grid.font());
            const QFontMetrics metrics(grid.font());
            std::vector<int> need(sheet.textCount(), -1);  // -1: not a whole number
            for (std::uint32_t id = 1; id < sheet.textCount(); ++id) {
                bool number = false;
                (void)sheet.textAt(id).toLongLong(&number);
                if (number) need[id] = metrics.horizontalAdvance(sheet.textAt(id).toString()) + 4;
            }
            QStringList cut;
            for (int r = 1; r <= sheet.rowCount() && cut.size() < 4; ++r)
                for (int c = 1; c <= sheet.columnCount(); ++c) {
                    const std::uint32_t id = sheet.cell(c, r).text;
                    if (id && need[id] > painter.colX(c) - painter.colX(c - 1))
                        cut << QStringLiteral("「%1」(%2行%3列)")
                                   .arg(sheet.text(c, r))
                                   .arg(r)
                                   .arg(c);
                }
            QVERIFY2(cut.isEmpty(), qPrintable(design.objectName + ": " + cut.join(", ")));
            window->unload();
            QTRY_VERIFY(main.mdiArea()->subWindowList().isEmpty());
        }
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    AnalysisWindowsTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_analysiswindows.moc"
