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
#include <QScrollBar>
#include <QTabWidget>
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

// The sample's draws with their prizes, as one file the tool imports.
bool writeSampleWithPrizes(const QString& path) {
    const QList<QByteArray> draws =
        test::readFile(PIRUMOA_DATA_DIR "/numbers4_history.csv").trimmed().split('\n');
    const QList<QByteArray> prizes =
        test::readFile(PIRUMOA_DATA_DIR "/numbers4_payouts.csv").trimmed().split('\n');
    if (draws.size() != prizes.size()) return false;
    QByteArray out;
    for (qsizetype i = 0; i < draws.size(); ++i)
        out += draws[i].trimmed() + prizes[i].trimmed().mid(prizes[i].indexOf(',')) + '\n';
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(out) == out.size();
}

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
        // At the corner, the designed width, and as tall as the table and its notes need.
        QCOMPARE(sub->geometry().topLeft(), QPoint(0, 0));
        QCOMPARE(sub->width(), 11400 / 15);
        QVERIFY(sub->height() >= 10500 / 15);
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

    // The sample with its prizes, in a main window of a desktop's size: the window opens
    // showing every column of both tables and the verdict, each text whole, and nothing of it
    // lies over another part.
    void sampleOpensWithEveryColumnAndTheVerdictInView() {
        test::TempDatabase db;
        const QString csv = db.dir.filePath("sample.csv");
        QVERIFY(writeSampleWithPrizes(csv));
        const test::CliRun import = test::runCli({"import", csv, "--db", db.connect.file});
        QVERIFY2(import.code == 0, import.err.constData());
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        main.resize(1200, 900);
        BacktestWindow* w = openFromMenu(main);
        QVERIFY(w);
        QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 20000);
        QApplication::processEvents();
        QCOMPARE(w->backtest()->predictedDraws(), qint64(main.history()->latestDrawNo - 1));
        // From the top, each part below the one before.
        const QList<QWidget*> parts = {
            w->findChild<QLabel*>("Label2"),   w->grid(),
            w->findChild<QTabWidget*>("Tab1"), w->findChild<QLabel*>("Label3"),
            w->findChild<QLabel*>("Label4"),   w->findChild<QPushButton*>("Command1")};
        auto inWindow = [&](QWidget* part) {
            return QRect(part->mapTo(w, QPoint()), part->size());
        };
        for (qsizetype i = 1; i < parts.size(); ++i)
            QVERIFY2(inWindow(parts[i]).top() > inWindow(parts[i - 1]).bottom(),
                     qPrintable(parts[i]->objectName()));
        QVERIFY(inWindow(parts.back()).bottom() < w->height());
        QMdiSubWindow* sub = main.mdiArea()->activeSubWindow();
        QVERIFY(main.mdiArea()->viewport()->rect().contains(sub->geometry()));
        for (GridView* grid : {w->grid(), w->yenGrid()}) {
            const Sheet& s = grid->sheet();
            QVERIFY(grid->isVisible() || grid == w->yenGrid());
            QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);
            QCOMPARE(grid->verticalScrollBar()->maximum(), 0);
            QVERIFY(grid->viewport()->width() >= grid->contentSize().width() - 2);
            // The texts of a column's own cells: the group headings and the verdict run over.
            const QFontMetrics metrics(grid->font());
            const int firstRow = s.frozenRows(), lastRow = s.rowCount() - (grid == w->grid());
            for (int r = firstRow; r <= lastRow; ++r)
                for (int c = 1; c <= s.columnCount(); ++c)
                    QVERIFY2(metrics.horizontalAdvance(s.text(c, r)) + 4 <=
                                 GridView::columnPixels(s.columnWidth(c)),
                             qPrintable(s.text(c, r)));
        }
        const QRect verdict = w->grid()->cellRect(1, w->grid()->sheet().rowCount());
        QVERIFY(w->grid()->viewport()->rect().contains(verdict));
        QVERIFY(w->grid()->viewport()->width() >=
                QFontMetrics(w->grid()->font())
                    .horizontalAdvance(w->grid()->sheet().text(1, w->grid()->sheet().rowCount())));
        // Prizes stored: the yen table has its amounts.
        QVERIFY(w->yenGrid()->sheet().text(4, 3).endsWith(QStringLiteral("円")));
        QVERIFY(w->yen()[1].bets > 0);
        test::shoot(sub, "window-" + kWindow);
        auto* tabs = w->findChild<QTabWidget*>("Tab1");
        tabs->setCurrentIndex(1);
        QApplication::processEvents();
        test::shoot(sub, "window-" + kWindow + "-chart");
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    BacktestWindowTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_backtestwindow.moc"
