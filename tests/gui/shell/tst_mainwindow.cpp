// Drives the real main window and the frequency window offscreen.
#include <signal.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionTitleBar>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/shell/childwindow.h"
#include "gui/shell/gridview.h"
#include "gui/shell/mainwindow.h"
#include "gui/shell/prompt.h"
#include "testsupport.h"
#include "widgetsupport.h"

using namespace pirumoa;
using test::shoot;
using test::showWithoutPrediction;

class MainWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_cwd;  // the options file is written to the current directory at exit

    static QStringList menuNames(const QList<QAction*>& actions) {
        QStringList out;
        for (QAction* a : actions) {
            if (a->isSeparator()) continue;
            out << a->objectName() + "=" + a->text();
            if (a->menu()) out << menuNames(a->menu()->actions());
        }
        return out;
    }

private slots:
    void initTestCase() { QVERIFY(test::setUpWindowTests(m_cwd)); }
    void cleanup() { QVERIFY(test::promptsUsedUp()); }

    void menuTreeInOrderWithAccessKeys() {
        test::TempDatabase db;
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QCOMPARE(main.windowTitle(), QString("ナンバーズ4ピルモアLite"));
        const QStringList expected = {"mnuEnd=終了(&X)",
                                      "mnuYoso=一発ピルモア予想(&D)",
                                      "mnuMain=データ分析(&S)",
                                      "mnuHindo=頻度分析",
                                      "mnuSyutugenHindo=出現頻度分析",
                                      "mnuSyutugenKaisu=回数別出現分析",
                                      "mnuKankaku=間隔分析",
                                      "mnuSyutugenKankaku=出現間隔分析",
                                      "mnuNumberKankaku=数字間隔分析",
                                      "mnuZenkaiSyutugen=出現回数分析",
                                      "mnuBaratsuki=バラツキ分析",
                                      "mnuHippari=引っ張り分析",
                                      "mnuRenbanTobiishi=連番・飛び石分析",
                                      "mnuHonsuji=数字合計分析",
                                      "mnuPattern=組合せパターン分析",
                                      "mnuLowHightPattern=低数字・高数字の組合せパターン分析",
                                      "mnuKisuGusuPattern=偶数・奇数の組合せパターン分析",
                                      "mnu4BunkatsuKeiko=4分割傾向分析",
                                      "mnuBunkatsuData=分割データ分析",
                                      "mnu3BunkatsuData=3分割データ分析",
                                      "mnu5BunkatsuData=5分割データ分析",
                                      "mnu10BunkatsuData=10分割データ分析",
                                      "mnuLastChar=下一桁出現傾向分析",
                                      "mnuLastCharRenzoku=下一桁連続出現回数分析",
                                      "mnuHosyu=データ管理(&M)",
                                      "mnuMasterInput=当選データ入力(&I)",
                                      "mnuWindow=ウィンドウ(&W)",
                                      "mnuWindowHorizontal=上下に並べて表示(&H)",
                                      "mnuWindowVertical=左右に並べて表示(&V)",
                                      "mnuWindowCascade=重ねて表示(&C)",
                                      "mnuWindowArrangeIcon=アイコンの整列(&A)",
                                      "mnuHelp=ヘルプ(&H)",
                                      "mnuHelpFile=ヘルプ(&H)",
                                      "mnuAbout=バージョン情報(&A)"};
        const QStringList names = menuNames(main.menuBar()->actions());
        // Later windows may add entries of their own; the tree above stays, in this order.
        int at = 0;
        for (const QString& name : names)
            if (at < expected.size() && name == expected[at]) ++at;
        QCOMPARE(at, int(expected.size()));
        QVERIFY(main.findChild<QAction*>("mnuSyutugenHindo")->isEnabled());
    }

    void frequencyWindowOpensOnceAtTheCornerWithItsDesignSize() {
        test::TempDatabase db(test::draws({"1122", "1000"}));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(showWithoutPrediction(main));
        QVERIFY(main.propEnd());
        main.resize(1000, 1000);

        main.findChild<QAction*>("mnuSyutugenHindo")->trigger();
        auto* window = qobject_cast<AnalysisWindow*>(main.findWindow("出現頻度分析"));
        QVERIFY(window);
        QVERIFY(!main.propEnd());
        QMdiSubWindow* sub = main.mdiArea()->subWindowList().value(0);
        QCOMPARE(sub->geometry(), QRect(0, 0, 5280 / 15, 13200 / 15));
        QCOMPARE(sub->windowTitle(), QString("出現頻度分析"));
        QCOMPARE(window->findChild<QLabel*>("Label1")->text(),
                 QString("過去の当選番号の出現回数を数字別に分析します"));
        QCOMPARE(window->findChild<QLabel*>("Label2")->text(), QString("：当選数字"));
        QVERIFY(window->findChild<QLabel*>("Picture1"));
        QCOMPARE(window->findChild<QPushButton*>("Command1")->text(), QString("閉じる"));
        GridView* grid = window->grid();
        QCOMPARE(grid->objectName(), QString("fpSpread1"));
        QCOMPARE(grid->sheet().rowCount(), 5);
        QCOMPARE(grid->sheet().text(3, 5), QString("●"));
        QCOMPARE(grid->currentColumn(), 0);
        QApplication::processEvents();
        shoot(&main, "frequency");

        // A second choice brings the same window forward and computes nothing again.
        grid->setCurrentCell(4, 3);
        main.findChild<QAction*>("mnuSyutugenHindo")->trigger();
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
        QCOMPARE(main.findWindow("出現頻度分析"), window);
        QCOMPARE(grid->currentColumn(), 4);

        // While it is open the data entry is refused; closing it lets the entry through.
        Prompt::setNextAnswer(QMessageBox::Ok,
                              test::refusal("表示中のウィンドウを閉じないと実行できません。"));
        main.openDataEntry();
        QVERIFY(test::promptsUsedUp());

        QTest::mouseClick(window->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QTRY_COMPARE(main.mdiArea()->subWindowList().size(), 0);
        QVERIFY(main.propEnd());
        main.openDataEntry();
        QVERIFY(test::promptsUsedUp());

        // Reopened after closing, it is computed afresh.
        main.findChild<QAction*>("mnuSyutugenHindo")->trigger();
        QCOMPARE(main.findWindow("出現頻度分析")->findChild<GridView*>()->currentColumn(), 0);
    }

    void exitClosesEveryChildAndReleasesTheHistory() {
        test::TempDatabase db(test::draws({"1234"}));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        main.show();
        main.openWindow("出現頻度分析");
        QCOMPARE(main.history()->rows.size(), std::size_t(1));
        main.findChild<QAction*>("mnuEnd")->trigger();
        QVERIFY(!main.isVisible());
        QTRY_COMPARE(main.mdiArea()->subWindowList().size(), 0);
        QVERIFY(main.history()->rows.empty());
        QVERIFY(main.propEnd());
        QVERIFY(test::promptsUsedUp());  // nothing asked
    }

    // Arranging shares the visible area out: grid windows shrink (their grids scroll), the
    // prediction window keeps its design size side by side and cascaded (one above the other,
    // four windows leave it too little), nothing overlaps or leaves the area.
    void arrangingFitsTheVisibleArea() {
        test::TempDatabase db(test::draws({"1234"}));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(showWithoutPrediction(main));
        main.resize(1500, 1000);
        for (const char* name :
             {"出現頻度分析", "出現間隔分析", "分割10データ分析", "一発ピルモア"})
            QVERIFY(main.openWindow(name));
        const auto subs = main.mdiArea()->subWindowList();
        QCOMPARE(subs.size(), 4);
        const QRect area = main.mdiArea()->viewport()->rect();
        auto design = [](QMdiSubWindow* sub) {
            return qobject_cast<ChildWindow*>(sub->widget())->design().size();
        };
        for (const char* command :
             {"mnuWindowHorizontal", "mnuWindowVertical", "mnuWindowCascade"}) {
            main.findChild<QAction*>(command)->trigger();
            QApplication::processEvents();
            const bool tiled = QByteArray(command) != "mnuWindowCascade";
            for (QMdiSubWindow* sub : subs) {
                QVERIFY2(area.contains(sub->geometry()), command);
                for (const QPushButton* button : sub->widget()->findChildren<QPushButton*>()) {
                    if (button->text() != "閉じる") continue;
                    const QPoint at = button->mapTo(main.mdiArea()->viewport(), QPoint());
                    QVERIFY2(area.contains(QRect(at, button->size())), command);
                }
                if (sub->widget()->objectName() == "一発ピルモア" &&
                    QByteArray(command) != "mnuWindowHorizontal") {
                    QVERIFY2(sub->width() >= design(sub).width() &&
                                 sub->height() >= design(sub).height(),
                             command);
                }
                for (QMdiSubWindow* other : subs)
                    QVERIFY2(
                        !tiled || sub == other || !sub->geometry().intersects(other->geometry()),
                        command);
            }
            test::shoot(&main, QStringLiteral("arranged-") + command);
        }
        // Cascaded: a staircase from the corner, each title bar in view.
        QCOMPARE(subs[0]->pos(), QPoint(0, 0));
        QVERIFY(subs[1]->x() > 0 && subs[1]->y() > 0);

        QMdiSubWindow* sub = subs[1];
        sub->showMinimized();
        main.findChild<QAction*>("mnuWindowArrangeIcon")->trigger();
        QCOMPARE(sub->geometry().left(), 0);
        QCOMPARE(sub->geometry().bottom(), main.mdiArea()->viewport()->rect().bottom());
    }

    // One above the other, six windows on a large and a small screen: every window shows a
    // data row (in columns where one column leaves too little), the prediction window
    // included, and none overlaps another or leaves the area.
    void sixWindowsOneAboveTheOtherEachShowData() {
        std::vector<DrawRecord> rows;
        for (int no = 1; no <= 200; ++no) rows.push_back(test::draws({"1234"}, no).front());
        test::TempDatabase db(rows);
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(showWithoutPrediction(main));
        for (const char* name : {"一発ピルモア", "分割3データ分析", "出現間隔分析",
                                 "下一桁連続出現回数分析", "バラツキ分析", "出現頻度分析"})
            QVERIFY(main.openWindow(name));
        const auto subs = main.mdiArea()->subWindowList();
        QCOMPARE(subs.size(), 6);
        for (const QSize size : {QSize(1600, 1200), QSize(1024, 768)}) {
            main.resize(size);
            QApplication::processEvents();
            main.findChild<QAction*>("mnuWindowHorizontal")->trigger();
            QApplication::processEvents();
            const QString at = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
            const QRect area = main.mdiArea()->viewport()->rect();
            for (QMdiSubWindow* sub : subs) {
                const QString name = sub->widget()->objectName() + " " + at;
                QVERIFY2(area.contains(sub->geometry()), qPrintable(name));
                for (QMdiSubWindow* other : subs)
                    QVERIFY2(sub == other || !sub->geometry().intersects(other->geometry()),
                             qPrintable(name));
                // The first row under the frozen ones, where the grid is scrolled to the top.
                auto* analysis = qobject_cast<AnalysisWindow*>(sub->widget());
                GridView* grid = analysis ? analysis->grid()
                                          : sub->widget()->findChild<GridView*>("fpSpread1_0");
                QVERIFY(grid);
                grid->verticalScrollBar()->setValue(0);
                const QRect row = grid->cellRect(1, grid->sheet().frozenRows() + 1);
                QVERIFY2(!row.isEmpty() && grid->viewport()->rect().contains(row) &&
                             grid->visibleRegion().boundingRect().contains(
                                 row.translated(grid->viewport()->pos())),
                         qPrintable(name));
            }
            shoot(&main, "arranged-six-" + at);
        }
    }

    // Every working window has a close button on its title bar, fixed borders too, and
    // Ctrl+W and Ctrl+F4 close the one in front.
    void everyWindowClosesByTitleBarAndKeys() {
        test::TempDatabase db(test::draws({"1234", "5678"}));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(showWithoutPrediction(main));
        QVERIFY(QTest::qWaitForWindowActive(&main));
        for (const WindowInfo& info : windowTable()) {
            const QByteArray name = info.objectName.toUtf8();
            QVERIFY2(main.openWindow(info.objectName), name);
            QMdiSubWindow* sub = main.mdiArea()->activeSubWindow();
            QStyleOptionTitleBar bar;
            bar.initFrom(sub);
            bar.titleBarFlags = sub->windowFlags();
            bar.titleBarState = sub->windowState();
            bar.subControls = QStyle::SC_All;
            bar.rect = QRect(0, 0, sub->width(),
                             sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, sub));
            const QRect button = sub->style()->subControlRect(QStyle::CC_TitleBar, &bar,
                                                              QStyle::SC_TitleBarCloseButton, sub);
            QVERIFY2(button.isValid(), name);
            // The title bar acts on the control the mouse came over.
            QTest::mouseMove(sub, sub->rect().center());
            QTest::mouseMove(sub, button.center());
            QTest::mouseClick(sub, Qt::LeftButton, {}, button.center());
            QTRY_VERIFY2(main.mdiArea()->subWindowList().isEmpty(), name);
            QVERIFY2(main.propEnd(), name);
        }
        for (const QKeySequence& keys :
             {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::CTRL | Qt::Key_F4)}) {
            QVERIFY(main.openWindow("回数別出現分析"));
            QVERIFY(main.openWindow("出現頻度分析"));
            QWidget* focus = QApplication::focusWidget();
            QTest::keySequence(focus ? focus : &main, keys);
            QTRY_COMPARE(main.mdiArea()->subWindowList().size(), 1);
            QVERIFY(main.findWindow("回数別出現分析"));
            QTest::keySequence(QApplication::focusWidget(), keys);
            QTRY_VERIFY(main.mdiArea()->subWindowList().isEmpty());
        }
    }

    // The main window opens large enough for its tallest window, as far as the screen goes,
    // and where the user left it the last time.
    void mainWindowSizeFitsTheWindowsAndIsRemembered() {
        test::TempDatabase db;
        int tallest = 0;
        for (const WindowDesign& w : windowDesigns())
            tallest = std::max(tallest, w.size().height());
        const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
        {
            MainFrm main;
            QVERIFY(main.start(db.dir.path()));
            QVERIFY(showWithoutPrediction(main));
            QVERIFY(main.height() >= std::min(tallest, room.height() - 48));
            main.resize(640, 500);
            main.close();
        }
        MainFrm again;
        QCOMPARE(again.size(), QSize(640, 500));
    }

    void unreadableDatabaseIsReportedAndChangesNothing() {
        // No database at all: nothing is created.
        QTemporaryDir empty;
        {
            MainFrm main;
            Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({"Numbers4Pirumoa.mdb"}));
            QVERIFY(!main.start(empty.path()));
            QVERIFY(test::promptsUsedUp());
            QVERIFY(QDir(empty.path()).isEmpty());
        }
        // A file that is no database keeps its bytes.
        QFile junk(empty.filePath("Numbers4Pirumoa.mdb"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        {
            MainFrm main;
            Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({"Numbers4Pirumoa.mdb"}));
            QVERIFY(!main.start(empty.path()));
            QVERIFY(test::promptsUsedUp());
        }
        QFile check(junk.fileName());
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), QByteArray(4096, 'x'));
    }

    void programEndsWithAnErrorWhenItsDatabaseIsMissing() {
        // The real program, copied into a folder without a database. Its message waits for
        // the user; here the program is ended from outside, as the end of a session ends it.
        QTemporaryDir dir;
        const QString app = dir.filePath("pirumoa");
        QVERIFY(QFile::copy(PIRUMOA_APP, app));
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(app, {});
        QVERIFY(p.waitForStarted(10000));
        QVERIFY(
            QTest::qWaitFor([&] { return test::catchesSignal(p.processId(), SIGTERM); }, 20000));
        QVERIFY(!p.waitForFinished(500));  // the message waits
        ::kill(pid_t(p.processId()), SIGTERM);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains("Numbers4Pirumoa.mdb"));
        QVERIFY(!QFile::exists(dir.filePath("Numbers4Pirumoa.mdb")));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    MainWindowTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_mainwindow.moc"
