// The results update end to end: pirumoa-cli update against feeds that a server on this machine
// serves, made here from the sample history, and the database checked byte for byte where
// nothing may be written.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "core/store/drawfile.h"
#include "net/feedserver.h"
#include "testsupport.h"

using namespace pirumoa;
using namespace pirumoa::test;

namespace {

struct Run {
    int code = -1;
    QString out, err;
};

// The tool runs while this program's event loop serves its feed.
Run update(const QString& db, const QStringList& more) {
    QProcess p;
    p.start(QStringLiteral(PIRUMOA_CLI), QStringList{"update", "--db", db} + more);
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 60000)) p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The first draws of the sample with the sample's prizes where it has them.
std::vector<ImportedDraw> sampleDraws(int count) {
    const std::optional<ParsedDraws> p =
        readDrawFile(QStringLiteral(PIRUMOA_DATA_DIR "/numbers4_history.csv"));
    std::vector<ImportedDraw> out(p->draws.begin(), p->draws.begin() + count);
    for (ImportedDraw& d : out) {
        // Amounts that follow the prize rule: a set is half a straight and half a box.
        const std::int64_t straight = 100000 + 100 * d.draw.no, box = 5000 + 100 * d.draw.no;
        d.prizes.yen = {straight, box, (straight + box) / 2 / 100 * 100, box / 2 / 100 * 100};
    }
    return out;
}

QString number(const ImportedDraw& d) {
    QString s;
    for (std::int8_t x : d.draw.digits) s += QString::number(x);
    return s;
}

// A database of the first stored draws, without prizes.
struct Fixture {
    std::vector<ImportedDraw> feed = sampleDraws(20);
    TempDatabase db;
    Fixture() : db(storedRows(18)) {}
    std::vector<DrawRecord> storedRows(int n) const {
        std::vector<DrawRecord> rows;
        for (int i = 0; i < n; ++i) rows.push_back(feed[std::size_t(i)].draw);
        return rows;
    }
    QString file() const { return db.connect.file; }
};

}  // namespace

class UpdateTest : public QObject {
    Q_OBJECT
private slots:
    // New draws with prizes, prizes filled into the stored draws, a ticket's win named; the
    // next run reads version.json only and says it is up to date.
    void newDrawsPrizesAndATicketWin() {
        Fixture f;
        const ImportedDraw& last = f.feed.back();
        QCOMPARE(runCli({"tickets", "add", number(last), "--type", "straight", "--from", "19",
                         "--draws", "2", "--db", f.file()})
                     .code,
                 0);
        FeedServer server;
        server.route("/api/version.json", {200, version(20)});
        server.route("/api/numbers4_all_full.json", {200, apiShape(f.feed)});
        server.route("/hub/numbers4.json", {200, hubShape(f.feed)});
        const Run r = update(f.file(), {"--source", server.base() + "api/", "--source",
                                        server.base() + "hub/numbers4.json"});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("追加 第19回") && r.out.contains("追加 第20回"), qPrintable(r.out));
        QVERIFY2(r.out.contains("当せん金などを補充 18 件"), qPrintable(r.out));
        QVERIFY2(r.out.contains(QStringLiteral("第20回 %1 — 購入数字 %1 ストレート当せん 102,000円")
                                    .arg(number(last))),
                 qPrintable(r.out));
        QVERIFY(server.userAgent.startsWith("pirumoa/"));
        const QString csv = QString::fromUtf8(runCli({"export", "--db", f.file()}).out);
        QVERIFY2(csv.contains(QStringLiteral("\n20,%1,").arg(last.draw.date)), qPrintable(csv));
        QVERIFY(csv.contains(",100100,5100,52600,2500"));

        server.asked.clear();
        const Run again = update(f.file(), {"--source", server.base() + "api/"});
        QCOMPARE(again.code, 0);
        QCOMPARE(again.out, QStringLiteral("最新です\n"));
        QCOMPARE(server.asked, QList<QByteArray>{"/api/version.json"});
    }

    // A stored draw the feed gives otherwise is reported and left alone; --replace takes it.
    // Two sources that disagree on a new draw hold it back (exit 3) and store the rest.
    void differingAndDisagreeingDraws() {
        Fixture f;
        std::vector<ImportedDraw> api = f.feed, hub = f.feed;
        api[4].draw.digits = {1, 0, 6, 5};  // the stored 第5回 is otherwise
        hub[4].draw.digits = {1, 0, 6, 5};
        hub[19].draw.digits = {0, 0, 0, 0};  // the sources disagree on 第20回
        FeedServer server;
        server.route("/api/version.json", {200, version(20)});
        server.route("/api/numbers4_all_full.json", {200, apiShape(api)});
        server.route("/hub.json", {200, hubShape(hub)});
        const QStringList sources{"--source", server.base() + "api/", "--source",
                                  server.base() + "hub.json"};
        const QByteArray stored = readFile(f.file());
        Run r = update(f.file(), sources + QStringList{"--dry-run"});
        QCOMPARE(r.code, 3);
        QCOMPARE(readFile(f.file()), stored);

        r = update(f.file(), sources);
        QCOMPARE(r.code, 3);
        QVERIFY2(r.err.contains("保留 第20回") && r.err.contains("登録済みと異なる 第5回"),
                 qPrintable(r.err));
        QVERIFY(r.err.contains("1065"));
        QVERIFY(r.out.contains("追加 第19回") && !r.out.contains("追加 第20回"));
        QString csv = QString::fromUtf8(runCli({"export", "--db", f.file()}).out);
        QVERIFY(!csv.contains("\n20,"));
        const QString fifth = QStringLiteral("\n5,%1,%2,%3,%4,%5,")
                                  .arg(f.feed[4].draw.date)
                                  .arg(f.feed[4].draw.digits[0])
                                  .arg(f.feed[4].draw.digits[1])
                                  .arg(f.feed[4].draw.digits[2])
                                  .arg(f.feed[4].draw.digits[3]);
        QVERIFY2(csv.contains(fifth), qPrintable(csv));

        r = update(f.file(), sources + QStringList{"--replace"});
        QCOMPARE(r.code, 3);
        QVERIFY2(r.out.contains("置き換え 第5回 1065"), qPrintable(r.out));
        csv = QString::fromUtf8(runCli({"export", "--db", f.file()}).out);
        QVERIFY(csv.contains(QStringLiteral("\n5,%1,1,0,6,5,").arg(f.feed[4].draw.date)));
    }

    // Every fault a feed can show is refused with its reason, and nothing is written.
    void faultsWriteNothing() {
        Fixture f;
        FeedServer server;
        const QByteArray whole = hubShape(f.feed);
        server.route("/500.json", {500, "oops"});
        server.route("/truncated.json",
                     {200, whole.left(whole.size() / 2), Route::Mode::Truncated});
        server.route("/cut.json", {200, whole.left(whole.size() / 2)});
        server.route("/endless.json", {200, "[", Route::Mode::Endless});
        server.route("/silent.json", {200, {}, Route::Mode::Silent});
        server.route("/away.json", {302, {}, Route::Mode::Whole, "http://192.0.2.1/numbers4.json"});
        FeedServer tls(true);
        if (!tls.ok()) QSKIP("the openssl tool is needed for the certificate");
        tls.route("/numbers4.json", {200, whole});
        struct Case {
            QString url;
            QString says;
        };
        const Case cases[] = {
            {server.base() + "500.json", "HTTP 500"},
            {server.base() + "truncated.json", "通信できません"},
            {server.base() + "cut.json", "JSON として読めません"},
            {server.base() + "endless.json", "16 MB を超えました"},
            {server.base() + "silent.json", "1 秒間データが届きませんでした"},
            {server.base() + "away.json", "https の URL が必要です"},
            {"http://192.0.2.1/numbers4.json", "https の URL が必要です"},
            {tls.base() + "numbers4.json", "安全な接続（TLS）を確かめられません"},
        };
        const QByteArray stored = readFile(f.file());
        for (const Case& c : cases) {
            const Run r = update(f.file(), {"--source", c.url, "--timeout", "1"});
            QVERIFY2(r.code == 1 && r.err.contains(c.says), qPrintable(c.url + "\n" + r.err));
            QCOMPARE(readFile(f.file()), stored);
        }
        QVERIFY(!server.asked.contains("/numbers4.json"));
        QCOMPARE(update(f.file(), {"--timeout", "0"}).code, 2);
    }
};

QTEST_GUILESS_MAIN(UpdateTest)
#include "tst_update.moc"
