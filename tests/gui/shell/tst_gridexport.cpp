// What a user does with any grid besides reading it: select cells with the mouse and the
// keyboard, copy them to the clipboard, save the grid as CSV and as a picture, print it.
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPageLayout>
#include <QPdfWriter>
#include <QScrollBar>
#include <QtTest>

#include "core/sheet/colours.h"
#include "core/sheet/sheetformat.h"
#include "gui/shell/gridview.h"
#include "gui/shell/mainwindow.h"
#include "paint/sheetexport.h"
#include "testsupport.h"
#include "widgetsupport.h"

using namespace pirumoa;

namespace {

// Four columns, five rows, one frozen heading row; every text tells its cell ("c3r2"),
// column 2 of row 2 red on light pink, column 3 left-aligned.
Sheet smallSheet() {
    Sheet s;
    s.setSize(4, 5);
    s.setFrozenRows(1);
    for (int r = 1; r <= 5; ++r)
        for (int c = 1; c <= 4; ++c) s.setText(c, r, QStringLiteral("c%1r%2").arg(c).arg(r));
    s.setForeground({2, 2, 2, 2}, colour::Red);
    s.setBackground({2, 2, 2, 2}, colour::LightPink);
    s.setAlign({3, 1, 3, 5}, Align::Left);
    s.setText(4, 5, QStringLiteral("a,b \"q\""));
    return s;
}

QPoint centre(GridView& view, int col, int row) { return view.cellRect(col, row).center(); }

// Page objects in a PDF.
int pdfPages(const QByteArray& pdf) {
    int n = 0;
    auto it = QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))
                  .globalMatch(QString::fromLatin1(pdf));
    for (; it.hasNext(); it.next()) ++n;
    return n;
}

}  // namespace

class GridExportTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        MainFrm::installFonts();
        test::guardPrompts();
    }
    void cleanup() { QVERIFY(test::promptsUsedUp()); }

    void selectingWithTheMouseAndTheKeyboard() {
        GridView view;
        view.setSheet(smallSheet());
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto block = [&] {
            const Block b = view.selection();
            return QList<int>{b.col1, b.row1, b.col2, b.row2};
        };

        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre(view, 2, 2));
        QCOMPARE(block(), QList<int>({2, 2, 2, 2}));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(view, 3, 4));
        QCOMPARE(block(), QList<int>({2, 2, 3, 4}));
        // A drag from one cell to another.
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, centre(view, 4, 3));
        QMouseEvent move(QEvent::MouseMove, centre(view, 1, 2),
                         view.viewport()->mapToGlobal(centre(view, 1, 2)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, centre(view, 1, 2));
        QCOMPARE(block(), QList<int>({1, 2, 4, 3}));
        // Shift+arrows grow the block from where the cursor is.
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre(view, 2, 3));
        QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(block(), QList<int>({2, 3, 3, 4}));
        QTest::keyClick(&view, Qt::Key_Left);  // without Shift: one cell again
        QCOMPARE(block(), QList<int>({2, 4, 2, 4}));
        // The grid's left edge takes the whole row, its top edge the whole column.
        const QRect r3 = view.cellRect(1, 3);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          QPoint(r3.left() + 1, r3.center().y()));
        QCOMPARE(block(), QList<int>({1, 3, 4, 3}));
        const QRect c2 = view.cellRect(2, 1);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          QPoint(c2.center().x(), c2.top() + 1));
        QCOMPARE(block(), QList<int>({2, 1, 2, 5}));
        QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(block(), QList<int>({1, 1, 4, 5}));
    }

    // Ctrl+C: the block as tab-separated text and as a table that keeps the colours.
    void copyingGivesTextAndAColouredTable() {
        GridView view;
        view.setSheet(smallSheet());
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre(view, 1, 1));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(view, 3, 3));
        QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data);
        QCOMPARE(data->text(), QString("c1r1\tc2r1\tc3r1\nc1r2\tc2r2\tc3r2\nc1r3\tc2r3\tc3r3\n"));
        const QString html = data->html();
        QCOMPARE(html.count("<tr>"), 3);
        QCOMPARE(html.count("<td"), 9);
        // The red-on-pink cell names both colours through its style; the left-aligned column
        // says so.
        const QRegularExpression red(R"(td\.(s\d+)\{color:#ff0000;background-color:#ffc8c8;)",
                                     QRegularExpression::CaseInsensitiveOption);
        const auto m = red.match(html);
        QVERIFY2(m.hasMatch(), qPrintable(html));
        QVERIFY(html.contains("<td class=" + m.captured(1) + ">c2r2</td>"));
        QVERIFY(html.contains("text-align:left"));
        // The same from the right-click menu.
        QGuiApplication::clipboard()->clear();
        view.contextMenu()->findChild<QAction*>("actCopy")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->text().count('\n'), 3);
    }

    // The menu's files: CSV of the whole grid as shown, a PNG of the whole grid; a file that
    // cannot be written says why.
    void savingAsCsvAndPicture() {
        GridView view;
        view.setSheet(smallSheet());
        view.setWindowTitle("小さな表");
        QTemporaryDir dir;
        const QString csv = dir.filePath("grid.csv"), png = dir.filePath("grid.png");
        Prompt::setNextFileName(csv);
        view.contextMenu()->findChild<QAction*>("actSaveCsv")->trigger();
        QCOMPARE(test::readFile(csv),
                 QByteArray("\xEF\xBB\xBF"
                            "c1r1,c2r1,c3r1,c4r1\r\nc1r2,c2r2,c3r2,c4r2\r\nc1r3,c2r3,c3r3,c4r3\r\n"
                            "c1r4,c2r4,c3r4,c4r4\r\nc1r5,c2r5,c3r5,\"a,b \"\"q\"\"\"\r\n"));

        Prompt::setNextFileName(png);
        view.contextMenu()->findChild<QAction*>("actSaveImage")->trigger();
        const QImage picture(png);
        QCOMPARE(picture.size(),
                 view.contentSize() - QSize(2 * view.frameWidth(), 2 * view.frameWidth()));

        Prompt::setNextFileName(dir.filePath("none/grid.csv"));
        Prompt::setNextAnswer(
            QMessageBox::Ok, test::refusalWith({"保存できませんでした", "フォルダーがありません"}));
        view.contextMenu()->findChild<QAction*>("actSaveCsv")->trigger();
        QVERIFY(test::promptsUsedUp());
        QVERIFY(!QFile::exists(dir.filePath("none")));
    }

    // A grid of a known height across pages: 200 rows of 160 pixels under one frozen row of
    // the same height fit five to a block, each block under the heading again; the grid is
    // 106 pixels wide, so six blocks stand side by side on an A4 page: 40 blocks, 7 pages.
    void printingCutsTheGridIntoPagesWithTheHeadingsRepeated() {
        Sheet s;
        s.setSize(3, 201);
        s.setFrozenRows(1);
        s.setRowHeight(-1, 100);
        s.setText(1, 1, "見出し");
        for (int r = 2; r <= 201; ++r) s.setNumber(1, r, r - 1);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        int pages = 0;
        {
            QPdfWriter pdf(&buffer);
            pdf.setResolution(300);
            pdf.setPageLayout(printPageLayout());
            pages = printSheets({&s}, "表", QDate(2026, 12, 7), pdf);
        }
        QCOMPARE(pages, 7);
        QCOMPARE(pdfPages(bytes), 7);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    GridExportTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_gridexport.moc"
