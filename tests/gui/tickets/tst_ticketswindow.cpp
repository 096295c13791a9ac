// 購入数字の照合 inside the real main window: tickets added, refused, imported, exported and
// deleted through its commands, their totals following a change of the history at once.
// PIRUMOA_SHOTS=folder saves a picture of it on the sample.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

#include "core/store/drawcsv.h"
#include "core/store/drawstore.h"
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

        // Two more from a file, quads and all refused first with the line.
        const QString bad = m_cwd.filePath("bad.csv"), good = m_cwd.filePath("good.csv");
        writeFile(bad, "number,type,units,first_draw,draws,note\n1111,set,1,1,1,\n");
        Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({"bad.csv:2:"}));
        QVERIFY(!w->importTickets(bad));
        writeFile(good, "1234,straight,2,1,all,朝\n9999,straight,1,1,2,\n");
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

        // Export, delete with the question answered, and the file still holds all three.
        const QString out = m_cwd.filePath("out.csv");
        QVERIFY(w->exportTickets(out));
        Prompt::setNextAnswer(QMessageBox::No, test::questionWith({"3412"}));
        QVERIFY(!w->deleteTicket(w->tickets()[0].id));
        Prompt::setNextAnswer(QMessageBox::Yes, test::questionWith({"3412"}));
        QVERIFY(w->deleteTicket(w->tickets()[0].id));
        QCOMPARE(loadTickets(db.connect).size(), std::size_t(2));
        QCOMPARE(parseTicketCsv(test::readFile(out), out).size(), std::size_t(3));
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
