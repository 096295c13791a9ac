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
#include <QtTest>

#include "core/sheet/sheetformat.h"
#include "core/store/drawcsv.h"
#include "gui/shell/childwindow.h"
#include "gui/shell/gridview.h"
#include "gui/shell/mainwindow.h"
#include "testsupport.h"
#include "widgetsupport.h"

using namespace pirumoa;

class AnalysisWindowsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_cwd;

private slots:
    void initTestCase() {
        MainFrm::installFonts();
        test::guardPrompts();
        QVERIFY(QDir::setCurrent(m_cwd.path()));
    }
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
            QCOMPARE(sub->geometry(), QRect(QPoint(0, 0), design.size()));
            QCOMPARE(sub->windowTitle(), info.caption);
            QCOMPARE(window->findChild<QLabel*>("Label1")->text(), design.description);

            Sheet expected;
            info.fill(*main.history(), expected);
            QCOMPARE(sheetsToJson(info.objectName, {&window->grid()->sheet()}),
                     sheetsToJson(info.objectName, {&expected}));
            QApplication::processEvents();
            test::shoot(sub, "window-" + info.objectName);

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
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    AnalysisWindowsTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_analysiswindows.moc"
