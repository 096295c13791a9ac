// データ管理 → 最新の当せん番号を取得 in the real main window, against feeds that a server on
// this machine serves from draws made here. PIRUMOA_SHOTS=folder saves pictures of the dialogs.
#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "core/store/resultsupdate.h"
#include "gui/maintenance/updatecommands.h"
#include "gui/shell/mainwindow.h"
#include "net/feedserver.h"
#include "testsupport.h"
#include "widgetsupport.h"

using namespace pirumoa;
using namespace pirumoa::test;

namespace {

// Twenty draws with prizes; the database holds the first eighteen without them.
std::vector<ImportedDraw> feedDraws() {
    std::vector<ImportedDraw> out;
    const char* numbers[] = {"1234", "5678", "9012", "3456", "7890", "1357", "2468",
                             "3579", "4680", "1112", "2223", "3334", "4445", "5556",
                             "6667", "7778", "8889", "9990", "0123", "9577"};
    for (int i = 0; i < 20; ++i) {
        ImportedDraw d;
        d.draw.no = i + 1;
        d.draw.date = QDate(2026, 8, 3).addDays(i).toString(Qt::ISODate);
        for (int k = 0; k < 4; ++k)
            d.draw.digits[std::size_t(k)] = std::int8_t(numbers[i][k] - '0');
        d.prizes.yen = {2128400, 177300, 1152800, 88600};
        out.push_back(d);
    }
    return out;
}

std::vector<DrawRecord> stored(const std::vector<ImportedDraw>& feed, int count) {
    std::vector<DrawRecord> rows;
    for (int i = 0; i < count; ++i) rows.push_back(feed[std::size_t(i)].draw);
    return rows;
}

void setSources(const QStringList& sources) {
    QSettings settings;
    settings.beginGroup(QLatin1String(kUpdateGroup));
    settings.setValue(QLatin1String(kSourcesKey), sources);
}

QString text(QDialog& dialog, const char* name) {
    auto* box = dialog.findChild<QPlainTextEdit*>(QLatin1String(name));
    return box ? box->toPlainText() : QString();
}

}  // namespace

class UpdateCommandTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(test::setUpWindowTests(m_cwd)); }
    void cleanup() { QVERIFY(test::promptsUsedUp()); }

    // F5 reads both sources, the preview lists the new draws, a stored draw that differs and a
    // new draw whose prizes break the prize rule; taking theirs for the differing draw and the
    // new draws stores them (that one without its prizes), and the ticket's win is named.
    void f5PreviewAndStore() {
        std::vector<ImportedDraw> feed = feedDraws();
        feed[18].prizes.yen = {88600, 2128400, 177300, 1152800};  // columns shifted at 第19回
        std::vector<DrawRecord> rows = stored(feed, 18);
        rows[4].digits = {0, 7, 8, 9};  // draw 5 stored as 0789, the feeds say 7890
        TempDatabase db(rows);
        FeedServer server;
        server.route("/api/version.json", {200, version(20)});
        server.route("/api/numbers4_all_full.json", {200, apiShape(feed)});
        server.route("/hub.json", {200, hubShape(feed)});
        setSources({server.base() + "api/", server.base() + "hub.json"});

        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(showWithoutPrediction(main));
        Ticket ticket;
        ticket.digits = {9, 5, 7, 7};
        ticket.firstDraw = 20;
        std::vector<Ticket> tickets{ticket};
        main.document().addTickets(tickets);

        auto* action = main.findChild<QAction*>("mnuUpdate");
        QVERIFY(action);
        QCOMPARE(action->shortcut(), QKeySequence(Qt::Key_F5));
        QVERIFY(main.findChild<QMenu*>("mnuHosyu")->actions().contains(action));

        Prompt::setNextDialog([](QDialog& d) {
            shoot(&d, "update-preview");
            const QString added = text(d, "txtAdded");
            const QString sources = text(d, "txtSources");
            if (!text(d, "txtPrizesLeftOut").contains("第19回：ストレートの当せん金がボックス以下"))
                return int(QDialog::Rejected);
            auto* replace = d.findChild<QCheckBox*>("chkReplace5");
            if (!added.contains("第19回 0123（2026-08-21）") || !added.contains("第20回 9577") ||
                !sources.contains("hub.json：20 回分") || !sources.contains("api/：20 回分") ||
                !replace || replace->isChecked())
                return int(QDialog::Rejected);
            replace->setChecked(true);
            return int(QDialog::Accepted);
        });
        Prompt::setNextAnswer(
            QMessageBox::Ok,
            noticeWith({"追加 第19回", "置き換え 第5回 7890", "当せん金を取り込まない 第19回",
                        "第20回 9577 — 購入数字 9577 ストレート当せん 2,128,400円"}));
        QTest::keyClick(&main, Qt::Key_F5);

        const HistorySnapshot after = main.document().snapshot();
        QCOMPARE(int(after->rows.size()), 20);
        QCOMPARE(after->rows[4].digits, (std::array<std::int8_t, 4>{7, 8, 9, 0}));
        QVERIFY(after->prizes.find(20) != nullptr);
        QCOMPARE(after->prizes.find(20)->straight, 2128400);
        QVERIFY(after->prizes.find(19) == nullptr);
        // Filled in as well: draw 1's prizes.
        QVERIFY(after->prizes.find(1) != nullptr);
    }

    // Stopping the progress while a feed is being sent writes nothing.
    void cancelWritesNothing() {
        const std::vector<ImportedDraw> feed = feedDraws();
        TempDatabase db(stored(feed, 18));
        FeedServer server;
        server.route("/api/version.json", {200, version(20)});
        server.route("/api/numbers4_all_full.json", {200, apiShape(feed), Route::Mode::Silent});
        setSources({server.base() + "api/"});

        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(showWithoutPrediction(main));
        const QByteArray before = readFile(db.connect.file);
        QString shown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &main, [&] {
            auto* progress = main.findChild<QProgressDialog*>("dlgUpdateProgress");
            if (!progress || !progress->isVisible() ||
                !server.asked.contains("/api/numbers4_all_full.json"))
                return;
            shoot(progress, "update-progress");
            shown = progress->labelText();
            if (auto* cancel = progress->findChild<QPushButton*>()) cancel->click();
        });
        poll.start(20);
        main.findChild<QAction*>("mnuUpdate")->trigger();
        poll.stop();
        QVERIFY2(shown.contains("numbers4_all_full.json"), qPrintable(shown));
        QVERIFY(main.statusBar()->currentMessage().contains("中止しました"));
        main.document().close();
        QCOMPARE(readFile(db.connect.file), before);
    }

    // The history lacks results that are out: asked once, the answer kept; no feed answers,
    // and the status bar says so in one line.
    void startCheckOffline() {
        TempDatabase db(stored(feedDraws(), 18));
        quint16 port = 0;
        {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            port = closed.serverPort();
        }
        setSources({QStringLiteral("http://127.0.0.1:%1/numbers4.json").arg(port)});
        QSettings().remove(QStringLiteral("update/checkAtStart"));

        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(showWithoutPrediction(main));
        QSignalSpy done(&main.updateCommands(), &UpdateCommands::startCheckDone);
        Prompt::setNextAnswer(QMessageBox::Yes, questionWith({"起動するたびに"}));
        main.updateCommands().checkAtStart(QDateTime(QDate(2026, 12, 7), QTime(23, 0), Qt::UTC));
        QVERIFY(done.wait(10000));
        const QString line = main.statusBar()->currentMessage();
        QVERIFY2(line.startsWith("最新の当せん番号を確認できませんでした") && !line.contains('\n'),
                 qPrintable(line));
        QCOMPARE(QSettings().value("update/checkAtStart").toBool(), true);
        shoot(&main, "update-offline");
    }

    // The settings dialog: a plain http source to another host is refused, a source added and
    // moved to the top, one removed, the check at start turned on; the defaults come back.
    void settingsDialog() {
        TempDatabase db;
        setSources({"https://127.0.0.1:9/x.json", "https://127.0.0.2:9/api/"});
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(showWithoutPrediction(main));
        Prompt::setNextAnswer(QMessageBox::Ok, refusalWith({"https"}));
        Prompt::setNextDialog([](QDialog& d) {
            auto* url = d.findChild<QLineEdit*>("txtSource");
            auto* list = d.findChild<QListWidget*>("lstSources");
            url->setText("http://192.0.2.1/y.json");
            d.findChild<QPushButton*>("cmdAdd")->click();
            if (list->count() != 2) return int(QDialog::Rejected);
            url->setText("https://127.0.0.3:9/y.json");
            d.findChild<QPushButton*>("cmdAdd")->click();
            d.findChild<QPushButton*>("cmdUp")->click();
            d.findChild<QPushButton*>("cmdUp")->click();
            list->setCurrentRow(1);
            d.findChild<QPushButton*>("cmdRemove")->click();
            d.findChild<QCheckBox*>("chkCheckAtStart")->setChecked(true);
            shoot(&d, "update-settings");
            return int(QDialog::Accepted);
        });
        main.findChild<QAction*>("mnuUpdateSettings")->trigger();
        QCOMPARE(updateSources(),
                 QStringList({"https://127.0.0.3:9/y.json", "https://127.0.0.2:9/api/"}));
        QCOMPARE(QSettings().value("update/checkAtStart").toBool(), true);

        Prompt::setNextDialog([](QDialog& d) {
            d.findChild<QPushButton*>("cmdDefaults")->click();
            return int(QDialog::Accepted);
        });
        main.findChild<QAction*>("mnuUpdateSettings")->trigger();
        QCOMPARE(updateSources(), defaultUpdateSources());
    }

private:
    QTemporaryDir m_cwd;
};

QTEST_MAIN(UpdateCommandTest)
#include "tst_updatecommand.moc"
