// The program on a 1600×1200 screen at a scale of 1.5 (a logical screen of about 1067×800):
// the tallest and the widest windows open whole, close button and title bar in view.
#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QtTest>

#include "gui/shell/childwindow.h"
#include "gui/shell/gridview.h"
#include "gui/shell/mainwindow.h"
#include "testsupport.h"
#include "widgetsupport.h"

using namespace pirumoa;

class ScaledScreenTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_cwd;

private slots:
    void initTestCase() { QVERIFY(test::setUpWindowTests(m_cwd)); }
    void cleanup() { QVERIFY(test::promptsUsedUp()); }

    void tallAndWideWindowsOpenWithinTheScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(screen.height() < 850, "the scale did not take");
        std::vector<DrawRecord> rows;
        for (int i = 0; i < 400; ++i) {
            DrawRecord row;
            row.no = i + 1;
            row.digits = {1, 2, std::int8_t(i % 10), 4};
            rows.push_back(row);
        }
        test::TempDatabase db(rows);
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        for (const char* name : {"出現間隔分析", "分割10データ分析"}) {
            auto* window = qobject_cast<AnalysisWindow*>(main.openWindow(name));
            QVERIFY2(window, name);
            QApplication::processEvents();
            QMdiSubWindow* sub = main.mdiArea()->activeSubWindow();
            QVERIFY2(screen.contains(main.frameGeometry()), name);
            const QRect area = main.mdiArea()->viewport()->rect();
            QVERIFY2(area.contains(sub->geometry()), name);
            const auto* close = window->findChild<QPushButton*>("Command1");
            QVERIFY2(area.contains(
                         QRect(close->mapTo(main.mdiArea()->viewport(), QPoint()), close->size())),
                     name);
            // What does not fit scrolls, at the latest draws.
            QScrollBar* bar = window->grid()->verticalScrollBar();
            QVERIFY2(bar->maximum() > 0 && bar->value() == bar->maximum(), name);
            test::shoot(&main, QStringLiteral("scaled-") + name);
            window->unload();
            QTRY_VERIFY(main.mdiArea()->subWindowList().isEmpty());
        }
    }
};

int main(int argc, char** argv) {
    // One screen of 1600×1200 pixels, as the offscreen platform is told by a file.
    QTemporaryFile config(QDir::tempPath() + "/screen-XXXXXX.json");
    if (!config.open()) return 1;
    config.write(R"({"screens":[{"name":"big","x":0,"y":0,"width":1600,"height":1200,)"
                 R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    config.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    qputenv("QT_SCALE_FACTOR", "1.5");
    QApplication app(argc, argv);
    ScaledScreenTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_scaledscreen.moc"
