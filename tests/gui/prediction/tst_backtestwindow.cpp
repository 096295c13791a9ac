// The replay window inside the real main window: its menu entry, the options it takes from
// the prediction window, its table and chart, and a long replay that shows its progress and
// can be closed before it ends. PIRUMOA_SHOTS=folder saves a picture of it on the sample.
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineSeries>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QtTest>
#include <random>

#include "core/prediction/backtestsheets.h"
#include "core/sheet/sheetformat.h"
#include "core/store/drawcsv.h"
#include "gui/prediction/backtestwindow.h"
#include "gui/prediction/predictionwindow.h"
#include "gui/shell/gridview.h"
#include "testsupport.h"
#include "widgetsupport.h"

using namespace pirumoa;

namespace {

const QString kWindow = QStringLiteral("予想の検証");

BacktestWindow* openFromMenu(MainFrm& main) {
    main.findChild<QAction*>("mnuYosoKensyo")->trigger();
    return qobject_cast<BacktestWindow*>(main.findWindow(kWindow));
}

}  // namespace

class BacktestWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_cwd;  // the options file is written here at exit

private slots:
    void initTestCase() {
        MainFrm::installFonts();
        QVERIFY(QDir::setCurrent(m_cwd.path()));
    }

    void lastOfTheAnalysisMenuAfterALine() {
        test::TempDatabase db;
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        const QList<QAction*> actions = main.findChild<QMenu*>("mnuMain")->actions();
        QVERIFY(actions.size() >= 2);
        QCOMPARE(actions.last()->objectName(), QString("mnuYosoKensyo"));
        QCOMPARE(actions.last()->text(), QString("予想の検証(&V)..."));
        QVERIFY(actions.last()->isEnabled());
        QVERIFY(actions[actions.size() - 2]->isSeparator());
        QCOMPARE(std::count_if(actions.begin(), actions.end(),
                               [](QAction* a) { return a->isSeparator(); }),
                 1);
    }

    // Ten draws "0000": the elimination's nine digits cover every one of them.
    void replaysWithTheOptionsChosenInThePredictionWindow() {
        test::TempDatabase db(test::draws(
            {"0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000"}));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        main.show();
        QTRY_VERIFY(main.findWindow("一発ピルモア"));
        auto* prediction = qobject_cast<PredictionWindow*>(main.findWindow("一発ピルモア"));
        prediction->optionButton(3, true)->click();
        prediction->optionButton(8, true)->click();

        BacktestWindow* w = openFromMenu(main);
        QVERIFY(w);
        QVERIFY(w->finished());  // a short history is done while the window loads
        QVERIFY(!main.propEnd());
        QMdiSubWindow* sub = main.mdiArea()->activeSubWindow();
        QCOMPARE(sub->widget(), w);
        QCOMPARE(sub->geometry(), QRect(0, 0, 11400 / 15, 10500 / 15));
        QCOMPARE(sub->windowTitle(), kWindow);

        // It says which options it used, as the prediction window names them.
        const QString options = w->findChild<QLabel*>("Label2")->text();
        QVERIFY2(options.contains(prediction->findChild<QGroupBox*>("Frame7")->title()),
                 qPrintable(options));
        QVERIFY2(options.contains("■4分割傾向分析"), qPrintable(options));
        QVERIFY2(options.contains("2件"), qPrintable(options));
        QVERIFY(!options.contains("■頻度分析"));

        ReflectOptions chosen{};
        chosen[3] = chosen[8] = true;
        Backtest expected(main.history(), chosen);
        expected.run();
        Sheet table;
        fillBacktestSheet(expected, table);
        QCOMPARE(sheetsToJson(kWindow, {&w->grid()->sheet()}), sheetsToJson(kWindow, {&table}));
        QCOMPARE(w->grid()->sheet().text(11, 15), QString("偶然より多い"));

        // Three digit-set methods, each its hit rate and its chance rate; nine draws predicted,
        // each covering every digit.
        const QList<QAbstractSeries*> series = w->chartView()->chart()->series();
        QCOMPARE(series.size(), 6);
        auto* elimination = static_cast<QLineSeries*>(series[0]);
        auto* chance = static_cast<QLineSeries*>(series[1]);
        QCOMPARE(elimination->name(), QString("消去法"));
        QCOMPARE(elimination->count(), 9);
        QCOMPARE(elimination->at(8), QPointF(10, 100));
        QCOMPARE(chance->at(0), QPointF(2, 90));
        QCOMPARE(static_cast<QLineSeries*>(series[2])->count(), 0);  // no rapid-fire digit

        // Closing by its button hands propEnd back.
        w->findChild<QPushButton*>("Command1")->click();
        QTRY_VERIFY(main.findWindow(kWindow) == nullptr);
        prediction->unload();
        QTRY_VERIFY(main.mdiArea()->subWindowList().isEmpty());
        QVERIFY(main.propEnd());
    }

    // 32,767 draws take longer than one slice: the window can be closed before they are done.
    void aLongReplayShowsItsProgressAndClosesWhileItRuns() {
        std::mt19937 random(3);
        std::uniform_int_distribution<int> digit(0, 9);
        std::vector<DrawRecord> rows(kMaxDrawNo);
        for (int i = 0; i < kMaxDrawNo; ++i) {
            rows[std::size_t(i)].no = i + 1;
            for (auto& d : rows[std::size_t(i)].digits) d = std::int8_t(digit(random));
        }
        test::TempDatabase db(rows);
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));

        BacktestWindow* w = openFromMenu(main);
        QVERIFY(w);
        // On a fast machine the whole replay fits in the first slice: nothing to show then.
        if (w->finished()) QSKIP("the replay of the largest history ended within its first slice");
        auto* bar = w->findChild<QProgressBar*>("ProgressBar1");
        QVERIFY(!bar->isVisible());  // not for the first moment
        QCOMPARE(w->grid()->sheet().text(1, 4), QString("7回周期法"));
        QCOMPARE(w->grid()->sheet().text(3, 3), QString());  // no numbers before the end
        const std::size_t first = w->backtest()->recordsDone();
        QVERIFY(first > 0);

        // The replay goes on a slice at a time from the event loop, and shows how far it is
        // once it has taken more than a moment.
        QThread::msleep(400);
        QCoreApplication::processEvents();
        if (w->finished()) QSKIP("the replay of the largest history ended within two slices");
        QVERIFY(bar->isVisible());
        QVERIFY(w->backtest()->recordsDone() > first);
        QVERIFY(!w->finished());
        QVERIFY(bar->value() > 0 && bar->value() < bar->maximum());
        QApplication::processEvents();
        test::shoot(main.mdiArea()->activeSubWindow(), "backtest-running");

        QPointer<BacktestWindow> alive(w);
        w->findChild<QPushButton*>("Command1")->click();
        QTRY_VERIFY(alive.isNull());
        QVERIFY(main.propEnd());
        QTest::qWait(100);  // nothing of the replay is left to run
        QVERIFY(main.mdiArea()->subWindowList().isEmpty());
    }

    void sampleHistoryToLookAt() {
        test::TempDatabase db(readDrawCsvFile(PIRUMOA_DATA_DIR "/numbers4_history.csv"));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        main.resize(1200, 900);
        BacktestWindow* w = openFromMenu(main);
        QVERIFY(w);
        QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 20000);
        QCOMPARE(w->grid()->sheet().rowCount(), 21);
        QCOMPARE(w->yenGrid()->sheet().rowCount(), 9);
        QCOMPARE(w->backtest()->predictedDraws(), qint64(main.history()->latestDrawNo - 1));
        QApplication::processEvents();
        test::shoot(main.mdiArea()->activeSubWindow(), "window-" + kWindow);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    BacktestWindowTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_backtestwindow.moc"
