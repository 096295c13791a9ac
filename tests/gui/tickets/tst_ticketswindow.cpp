// 購入数字の照合 inside the real main window: tickets added, refused, imported, exported and
// deleted through its commands, their totals following a change of the history at once; the
// form's typed numbers; a database of many tickets on the longest history; the access keys.
// PIRUMOA_SHOTS=folder saves pictures of it on the sample and with many tickets.
#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>
#include <random>

#include "core/store/drawcsv.h"
#include "core/store/drawstore.h"
#include "core/store/importeddraw.h"
#include "core/tickets/ticketcsv.h"
#include "gui/shell/gridview.h"
#include "gui/tickets/ticketswindow.h"
#include "testsupport.h"
#include "widgetsupport.h"

using namespace pirumoa;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Resident memory now and at its peak; the peak starts again from now after resetPeak().
long residentBytes() {
    QFile f("/proc/self/statm");
    if (!f.open(QIODevice::ReadOnly)) return 0;
    return f.readAll().split(' ').value(1).toLong() * 4096;
}
long peakResidentBytes() {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ')[0].toLong() * 1024;
    return 0;
}
void resetPeak() {
    QFile f("/proc/self/clear_refs");
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

TicketsWindow* openFromMenu(MainFrm& main) {
    main.findChild<QAction*>("mnuKonyuSyogo")->trigger();
    return qobject_cast<TicketsWindow*>(main.findWindow(QStringLiteral("購入数字の照合")));
}

}  // namespace

class TicketsWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_cwd;

private slots:
    void initTestCase() { QVERIFY(test::setUpWindowTests(m_cwd)); }
    void cleanup() { QVERIFY(test::promptsUsedUp()); }

    void ticketsFollowTheHistoryAndTheirCommands() {
        test::TempDatabase db(test::draws({"1234", "4321"}));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        TicketsWindow* w = openFromMenu(main);
        QVERIFY(w);
        QVERIFY(w->tickets().empty());

        // A quad cannot be a box: refused with the reason, nothing stored.
        Ticket quad;
        quad.digits = {7, 7, 7, 7};
        quad.type = TicketType::Box;
        Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({"ボックスやセット"}));
        QVERIFY(!w->addTicket(quad));
        QVERIFY(loadTickets(db.connect).empty());

        // A box for draws 1 … 3: two decided, one to come; no prizes are stored here.
        Ticket box;
        box.digits = {3, 4, 1, 2};
        box.type = TicketType::Box;
        box.draws = 3;
        QVERIFY(w->addTicket(box));
        QCOMPARE(w->tickets().size(), std::size_t(1));
        QCOMPARE(w->totals().spent, 400);
        QCOMPARE(w->totals().unknownWins, 2);
        QCOMPARE(w->totals().pendingDraws, 1);
        QCOMPARE(w->grid()->sheet().rowCount(), 4);

        // Two more from a file, quads and all refused first with the line. The file is shown
        // before anything is written: キャンセル adds nothing.
        const QString bad = m_cwd.filePath("bad.csv"), good = m_cwd.filePath("good.csv");
        writeFile(bad, "number,type,units,first_draw,draws,note\n1111,set,1,1,1,\n");
        Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({"bad.csv:2:"}));
        QVERIFY(!w->importTickets(bad));
        writeFile(good, "1234,straight,2,1,all,朝\n9999,straight,1,1,2,\n");
        Prompt::setNextAnswer(QMessageBox::Cancel, test::noticeWith({"good.csv", "2 件"}));
        QVERIFY(!w->importTickets(good));
        QCOMPARE(loadTickets(db.connect).size(), std::size_t(1));
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"good.csv", "2 件"}));
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"2 件"}));
        QVERIFY(w->importTickets(good));
        QCOMPARE(w->tickets().size(), std::size_t(3));
        QCOMPARE(w->totals().spent, 400 + 2 * 400 + 400);

        // A draw imported elsewhere in the program reaches the window at once: the 'until
        // today' ticket covers it and the box ticket's third draw is decided.
        const QString draws = m_cwd.filePath("draws.csv");
        writeFile(draws, "3,,5,6,7,8\n");
        Prompt::setNextFileName(draws);
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"新しい回：1 件"}));
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"追加：1 件"}));
        main.findChild<QAction*>("mnuCsvImport")->trigger();
        QCOMPARE(w->totals().pendingDraws, 0);
        QCOMPARE(w->totals().spent, 600 + 3 * 400 + 400);

        // Exported and read back: every ticket is there already and nothing is added.
        const QString out = m_cwd.filePath("out.csv");
        QVERIFY(w->exportTickets(out));
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"3 件"}));
        QVERIFY(w->importTickets(out));
        QCOMPARE(loadTickets(db.connect).size(), std::size_t(3));

        // Two chosen in the list: one question with their count, one write for both.
        QSignalSpy written(&main.document(), &HistoryDocument::ticketsChanged);
        const QModelIndex first = w->list()->model()->index(0, 0);
        const QModelIndex second = w->list()->model()->index(1, 0);
        w->list()->selectionModel()->select(
            QItemSelection(first, second),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        auto* remove = w->findChild<QPushButton*>("Command4");
        Prompt::setNextAnswer(QMessageBox::No, test::questionWith({"2 件"}));
        remove->click();
        QCOMPARE(loadTickets(db.connect).size(), std::size_t(3));
        Prompt::setNextAnswer(QMessageBox::Yes, test::questionWith({"2 件"}));
        remove->click();
        QCOMPARE(loadTickets(db.connect).size(), std::size_t(1));
        QCOMPARE(written.size(), 1);
        QCOMPARE(w->tickets().size(), std::size_t(1));
        QCOMPARE(parseTicketCsv(test::readFile(out), out).size(), std::size_t(3));
    }

    // The line of recent wins counts the draws since the window was last opened, and at least
    // the latest five; draws that come while it is open join it.
    void recentWinsCountFromTheLastVisit() {
        QSettings().clear();
        test::TempDatabase db(
            test::draws({"1111", "2222", "3333", "4444", "5555", "6666", "7777", "8888"}));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        TicketsWindow* w = openFromMenu(main);
        QVERIFY(w);
        QCOMPARE(w->recentFrom(), 4);
        w->unload();
        QTRY_VERIFY(main.mdiArea()->subWindowList().isEmpty());
        main.document().importDraws(withoutPrizes(test::draws({"0001", "0002"}, 9)), false);
        w = openFromMenu(main);
        QCOMPARE(w->recentFrom(), 6);  // two new draws: still the latest five
        w->unload();
        QTRY_VERIFY(main.mdiArea()->subWindowList().isEmpty());
        main.document().importDraws(
            withoutPrizes(test::draws({"0003", "0004", "0005", "0006", "0007", "0008"}, 11)),
            false);
        w = openFromMenu(main);
        QCOMPARE(w->recentFrom(), 11);  // six new draws, all of them
        Ticket t;
        t.digits = {0, 0, 0, 9};
        t.firstDraw = 11;
        t.draws = kOngoing;
        QVERIFY(w->addTicket(t));
        main.document().importDraws(withoutPrizes(test::draws({"0009"}, 17)), false);
        QCOMPARE(w->recentFrom(), 11);
        QVERIFY(w->findChild<QLabel*>("Label3")->text().contains("17"));
    }

    // The form reads what is typed, full-width digits too, and refuses a value out of range
    // instead of cutting it; the run is a count, a last draw or 続けて購入中.
    void formReadsTypedNumbers() {
        test::TempDatabase db(test::draws({"1234", "4321"}));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        TicketsWindow* w = openFromMenu(main);
        QVERIFY(w);
        enum Run { Count, Last, Ongoing };
        struct Row {
            const char* units;
            const char* first;
            Run run;
            const char* value;
            int draws;            // of the ticket stored; 0 with refused
            const char* refused;  // a part of the reason
        };
        const Row rows[] = {
            {"１０", "７０５０", Count, "１００", 100, nullptr},
            {" 2 ", "7050", Last, "7054", 5, nullptr},
            {"1", "3", Ongoing, "", kOngoing, nullptr},
            {"100", "7050", Count, "1", 0, "口数「100」"},
            {"1", "7050", Count, "40000", 0, "継続回数「40000」"},
            {"1", "32760", Count, "10", 0, "32767"},
            {"1", "7050", Last, "7049", 0, "最後の回"},
        };
        for (const Row& row : rows) {
            const QByteArray what = QByteArray(row.units) + " " + row.value;
            if (row.refused)
                Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({row.refused}));
            Prompt::setNextDialog([&](QDialog& d) {
                d.findChild<QLineEdit*>("Text1")->setText("0123");
                d.findChild<QLineEdit*>("Text3")->setText(row.units);
                d.findChild<QLineEdit*>("Text4")->setText(row.first);
                const char* choice[] = {"Option1", "Option2", "Option3"};
                d.findChild<QRadioButton*>(choice[row.run])->click();
                if (row.run == Count) d.findChild<QLineEdit*>("Text5")->setText(row.value);
                if (row.run == Last) d.findChild<QLineEdit*>("Text6")->setText(row.value);
                test::shoot(&d, "ticket-form");
                d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
                return d.result();
            });
            const std::size_t before = loadTickets(db.connect).size();
            w->findChild<QPushButton*>("Command2")->click();
            const std::vector<Ticket> stored = loadTickets(db.connect);
            QCOMPARE(stored.size(), before + (row.refused ? 0 : 1));
            if (!row.refused) QVERIFY2(stored.back().draws == row.draws, what);
            QVERIFY2(test::promptsUsedUp(), what);
        }
        QCOMPARE(loadTickets(db.connect).front().units, 10);
    }

    // 20,000 tickets on the longest history open the window without holding their draws: the
    // list has every ticket, and the window adds far less than one line per ticket and draw
    // would take (gigabytes).
    void manyTicketsOnTheLongestHistory() {
        QSettings().clear();  // the window is opened for the first time
        test::TempDatabase db;
        std::mt19937 random(11);
        std::vector<ImportedDraw> longest(static_cast<std::size_t>(kMaxDrawNo));
        for (int i = 0; i < kMaxDrawNo; ++i) {
            longest[std::size_t(i)].draw.no = i + 1;
            for (auto& d : longest[std::size_t(i)].draw.digits) d = std::int8_t(random() % 10);
            longest[std::size_t(i)].prizes.yen = {900000, 37500, 468700, 18700};
        }
        std::vector<Ticket> tickets;
        while (tickets.size() < 20000) {
            Ticket t;
            for (int& d : t.digits) d = int(random() % 10);
            t.type = TicketType(tickets.size() % 3);
            t.firstDraw = 1 + int(random() % 1000);
            t.draws = tickets.size() % 10 == 0 ? kOngoing : 1 + int(random() % 20);
            if (ticketProblem(t).isEmpty()) tickets.push_back(t);
        }
        {
            auto store = DrawStore::open(db.connect);
            store->importDraws(longest, false);
            store->addTickets(tickets);
        }
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        resetPeak();
        const long before = residentBytes();
        TicketsWindow* w = openFromMenu(main);
        QVERIFY(w);
        QCoreApplication::processEvents();
        const double addedMB = double(peakResidentBytes() - before) / 1e6;
        QCOMPARE(w->list()->model()->rowCount(), 20000);
        QVERIFY2(addedMB < 150, qPrintable(QString::number(addedMB)));
        QVERIFY(w->totals().won > 0);
        test::shoot(w, "tickets-20000");
    }

    // The window's access keys reach its own buttons, never the main menu's entries with the
    // same letter (終了(&X), 一発ピルモア予想(&D)); once it is closed the menu has them back.
    void accessKeysStayInTheWindow() {
        test::TempDatabase db(test::draws({"1234"}));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        QVERIFY(QTest::qWaitForWindowActive(&main));
        TicketsWindow* w = openFromMenu(main);
        QVERIFY(w);
        Ticket t;
        t.digits = {1, 2, 3, 4};
        QVERIFY(w->addTicket(t));
        w->setFocus();
        QSignalSpy exported(w->findChild<QPushButton*>("Command6"), &QPushButton::clicked);
        QSignalSpy deleted(w->findChild<QPushButton*>("Command4"), &QPushButton::clicked);
        QSignalSpy ended(main.findChild<QAction*>("mnuEnd"), &QAction::triggered);
        QSignalSpy predicted(main.findChild<QAction*>("mnuYoso"), &QAction::triggered);

        Prompt::setNextFileName(QString());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::AltModifier);
        QTRY_COMPARE(exported.size(), 1);
        Prompt::setNextAnswer(QMessageBox::No, test::questionWith({"1234"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
        QTRY_COMPARE(deleted.size(), 1);
        QVERIFY(main.isVisible());
        QCOMPARE(ended.size() + predicted.size(), 0);

        w->unload();
        QTRY_VERIFY(main.mdiArea()->subWindowList().isEmpty());
        QTest::keyClick(&main, Qt::Key_D, Qt::AltModifier);
        QCOMPARE(predicted.size(), 1);
    }

    // The sample with a few tickets, for the eye.
    void pictureOnTheSample() {
        if (qEnvironmentVariableIsEmpty("PIRUMOA_SHOTS")) QSKIP("PIRUMOA_SHOTS not set");
        QSettings().clear();  // the window is opened for the first time
        test::TempDatabase db(readDrawCsvFile(PIRUMOA_DATA_DIR "/numbers4_history.csv"));
        const DatabaseFile& file = db.connect;
        const int latest = loadDrawHistory(file).latestDrawNo;
        std::vector<Ticket> t = parseTicketCsv(
            QStringLiteral(
                "1234,box,2,%1,all,毎週の定番\n0087,set,1,%2,all,\n5566,straight,1,%3,20,\n")
                .arg(latest - 300)
                .arg(latest - 150)
                .arg(latest - 10)
                .toUtf8(),
            "t.csv");
        DrawStore::open(file)->addTickets(t);
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        TicketsWindow* w = openFromMenu(main);
        QVERIFY(w);
        w->setCurrentTicket(1);
        test::shoot(w, "tickets");
    }
};

QTEST_MAIN(TicketsWindowTest)
#include "tst_ticketswindow.moc"
