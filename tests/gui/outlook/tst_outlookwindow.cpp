// 番号の見込み払戻率 inside the real main window: on the sample with its prizes a typed number
// shows its straight, box and set; without prizes the window says there are too few and shows
// nothing. PIRUMOA_SHOTS=folder saves pictures of it.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include "core/store/drawcsv.h"
#include "core/store/drawstore.h"
#include "core/tickets/ticketcsv.h"
#include "gui/outlook/outlookwindow.h"
#include "gui/prediction/predictionwindow.h"
#include "gui/shell/gridview.h"
#include "gui/tickets/ticketswindow.h"
#include "testsupport.h"
#include "widgetsupport.h"

using namespace pirumoa;

namespace {

// The sample's draws with their prizes, as one results file.
QString sampleWithPrizes(const QTemporaryDir& dir) {
    const QList<QByteArray> draws =
        test::readFile(PIRUMOA_DATA_DIR "/numbers4_history.csv").trimmed().split('\n');
    const QList<QByteArray> prizes =
        test::readFile(PIRUMOA_DATA_DIR "/numbers4_payouts.csv").trimmed().split('\n');
    QByteArray out;
    for (qsizetype i = 0; i < draws.size() && i < prizes.size(); ++i)
        out += draws[i].trimmed() + prizes[i].trimmed().mid(prizes[i].indexOf(',')) + '\n';
    const QString path = dir.filePath("sample.csv");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size()) return QString();
    return path;
}

OutlookWindow* openFromMenu(MainFrm& main) {
    main.findChild<QAction*>("mnuMikomiHaraimodoshi")->trigger();
    return qobject_cast<OutlookWindow*>(main.findWindow(QStringLiteral("番号の見込み払戻率")));
}

QString cell(OutlookWindow* w, int row, int column) {
    const QTableWidgetItem* item = w->findChild<QTableWidget*>("List1")->item(row, column);
    return item ? item->text() : QString();
}

QString label(OutlookWindow* w, const char* name) { return w->findChild<QLabel*>(name)->text(); }

}  // namespace

class OutlookWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_cwd;

private slots:
    void initTestCase() { QVERIFY(test::setUpWindowTests(m_cwd)); }
    void cleanup() { QVERIFY(test::promptsUsedUp()); }

    void typedNumbersOnTheSample() {
        test::TempDatabase db;
        const QString csv = sampleWithPrizes(db.dir);
        QVERIFY(!csv.isEmpty());
        importDrawCsv(csv, db.connect, false);
        std::vector<Ticket> bought =
            parseTicketCsv("0315,straight,1,7000,1,\n1234,set,1,7000,1,\n", "t.csv");
        DrawStore::open(db.connect)->addTickets(bought);
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        OutlookWindow* w = openFromMenu(main);
        QVERIFY(w);
        QVERIFY(label(w, "Label3").contains(QStringLiteral("どの番号も同じ")));

        // Typed digit by digit: nothing until the fourth.
        QTest::keyClicks(w->findChild<QLineEdit*>("Text1"), "031");
        QVERIFY(cell(w, 0, 2).isEmpty());
        QTest::keyClicks(w->findChild<QLineEdit*>("Text1"), "5");
        const QString date = cell(w, 0, 2);
        QVERIFY2(date.startsWith(QStringLiteral("約 ")), qPrintable(date));
        QVERIFY(label(w, "Label2").contains(QStringLiteral("日付の形：平均の約 0.")));
        QVERIFY(!cell(w, 1, 0).isEmpty());
        QVERIFY(cell(w, 2, 0).contains(QStringLiteral("円／")));
        test::shoot(w, "outlook-0315");

        // A date pays less than an ordinary number; a quad has no box or set.
        auto percent = [](const QString& s) { return s.mid(2, s.indexOf(' ', 2) - 2).toInt(); };
        w->setNumber("5296");
        QVERIFY2(percent(cell(w, 0, 2)) > percent(date), qPrintable(cell(w, 0, 2)));
        test::shoot(w, "outlook-5296");
        w->setNumber("1111");
        QVERIFY(cell(w, 1, 0).contains(QStringLiteral("買えません")));
        QVERIFY(cell(w, 2, 2).isEmpty());
        test::shoot(w, "outlook-1111");

        // The tickets window gives each ticket's return by its type; the prediction's cycle
        // grid its numbers', each with the reminder of the equal chance.
        main.findChild<QAction*>("mnuKonyuSyogo")->trigger();
        auto* tickets = qobject_cast<TicketsWindow*>(main.findWindow("購入数字の照合"));
        QVERIFY(tickets);
        const QAbstractItemModel* list = tickets->list()->model();
        QCOMPARE(list->headerData(10, Qt::Horizontal).toString(), QStringLiteral("見込み払戻率"));
        QCOMPARE(list->index(0, 10).data().toString(),
                 date.left(date.indexOf(QStringLiteral("（"))));
        QVERIFY(list->index(0, 10)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("どの番号も同じ")));
        QVERIFY(list->index(1, 10).data().toString().startsWith(QStringLiteral("約 ")));
        test::shoot(tickets, "outlook-tickets");
        main.findChild<QAction*>("mnuYoso")->trigger();
        auto* prediction = qobject_cast<PredictionWindow*>(main.findWindow("一発ピルモア"));
        QVERIFY(prediction);
        const QString tip = prediction->grid(0)->toolTip();
        QVERIFY2(tip.count(QStringLiteral("：約 ")) == 4, qPrintable(tip));
        QVERIFY(tip.contains(QStringLiteral("どの番号も同じ")));
    }

    void tooFewPrizesShowsNothing() {
        test::TempDatabase db(readDrawCsvFile(PIRUMOA_DATA_DIR "/numbers4_history.csv"));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        OutlookWindow* w = openFromMenu(main);
        QVERIFY(w);
        w->setNumber("0315");
        QVERIFY(!w->findChild<QTableWidget*>("List1")->isVisibleTo(w));
        QVERIFY(label(w, "Label2").contains(QStringLiteral("0 回分しかない")));
        test::shoot(w, "outlook-too-few");
    }
};

QTEST_MAIN(OutlookWindowTest)
#include "tst_outlookwindow.moc"
