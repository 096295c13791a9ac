#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>
#include <sys/stat.h>

#include <QDate>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "core/store/drawcsv.h"
#include "core/store/drawfile.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

// "no date digits prizes", prizes as s/b/ss/sb with "-" for unknown; draws joined by " | ".
QString render(const ParsedDraws& p) {
    QStringList out;
    for (const ImportedDraw& d : p.draws) {
        QString digits;
        for (std::int8_t x : d.draw.digits)
            digits += x < 0 ? QStringLiteral("_") : QString::number(x);
        QStringList yen;
        for (std::int64_t y : d.prizes.yen)
            yen << (y < 0 ? QStringLiteral("-") : QString::number(y));
        out << QStringLiteral("%1 %2 %3 %4")
                   .arg(d.draw.no)
                   .arg(d.draw.date.isEmpty() ? QStringLiteral("-") : d.draw.date, digits,
                        yen.join('/'));
    }
    return out.join(QStringLiteral(" | "));
}

QByteArray sjis(const QString& text) { return QStringEncoder("CP932").encode(text); }

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

}  // namespace

TEST(DrawFile, ReadsTheFilesPlayersHave) {
    struct Case {
        QByteArray in;
        QString draws;
        QString encoding = "UTF-8";
    };
    const Case cases[] = {
        // Japanese Excel: Shift_JIS, CR LF, full-width header and values, 第N回, weekdays.
        {sjis("回別,抽せん日,当せん番号,販売実績額\r\n"
              "第７０５３回,２０２６年８月２０日（木）,９２９８,\"1,000\"\r\n"
              "第7054回,2026/8/21(金),97,\r\n"),
         "7053 2026-08-20 9298 -/-/-/- | 7054 2026-08-21 0097 -/-/-/-", "Shift_JIS"},
        // A site's table copied: tabs, English names in another order, a time after the date.
        {"date\tnumber\tdraw_no\n2026.08.21 0:00\t0 0 9 7\t7054\n", "7054 2026-08-21 0097 -/-/-/-"},
        // Semicolons, CR alone, four digit columns, a BOM.
        {"\xEF\xBB\xBFround;digit1;digit2;digit3;digit4\r2;0;0;9;7\r1;;;;\r",
         "1 - ____ -/-/-/- | 2 - 0097 -/-/-/-", "UTF-8（BOM付き）"},
        // The number as a list or with dashes; both forms of the number agreeing.
        {"draw,winning_number,d1,d2,d3,d4\n1,\"[0, 0, 9, 7]\",0,0,9,7\n2,1-2-3-4,1,2,3,4\n",
         "1 - 0097 -/-/-/- | 2 - 1234 -/-/-/-"},
        // Prizes in yen with 円, ¥ and separators; a dash and 該当なし are no prize.
        {"回号,本数字,ストレート,ボックス,セット（ストレート）,セット（ボックス）\n"
         "1,1234,\"1,234,500円\",\"¥56,700\",-,該当なし\n",
         "1 - 1234 1234500/56700/-/-"},
        // Whole yen with a zero fraction, as some public files and spreadsheets write them.
        {"draw,number,straight,box\n1,1234,1186800.0,\"49,400.00円\"\n",
         "1 - 1234 1186800/49400/-/-"},
        // Four equal digits sell no box or set: a 0 there is "none".
        {"draw,date,number,straight,box,set_straight,set_box\n5,,5555,900000,0,0,\n",
         "5 - 5555 900000/-/-/-"},
        // Without a header: draw,date,number and draw,date,d1..d4 with a trailing weekday.
        {"2,2026-08-21(金),0097\n1,1994-10-07,1,1,4,9\n",
         "1 1994-10-07 1149 -/-/-/- | 2 2026-08-21 0097 -/-/-/-"},
        // A draw twice: the lines complete each other.
        {"draw,date,number,straight\n3,,1234,100\n3,2001-02-03,1234,\n",
         "3 2001-02-03 1234 100/-/-/-"},
    };
    for (const Case& c : cases) {
        const ParsedDraws p = parseDrawText(c.in);
        EXPECT_TRUE(p.ok()) << c.in.toStdString() << " " << p.refusals.front().reason.toStdString();
        EXPECT_EQ(render(p), c.draws) << c.in.toStdString();
        EXPECT_EQ(p.encoding, c.encoding) << c.in.toStdString();
    }
    const ParsedDraws site =
        parseDrawText(sjis("回号\t当選番号\tストレート\tナンバーズ3\n1\t1234\t9\t5\n"));
    EXPECT_EQ(site.separator, "タブ");
    EXPECT_EQ(site.ignored, QStringList{"ナンバーズ3"});
    EXPECT_TRUE(site.hasPrizes);
}

TEST(DrawFile, RefusalsNameEveryBadLine) {
    const std::pair<QByteArray, QString> cases[] = {
        {"draw,number,d1,d2,d3,d4\n1,1234,1,2,3,5\n",
         "2: 当選番号「1234」と第1～第4数字「1235」が一致しません"},
        {"draw,d1,d2,d3\n1,1,2,3\n", "1: 見出し行に第1～第4数字の列がそろっていません"},
        {"date,number\n2001-01-01,1234\n", "1: 見出し行に回号の列"},
        {"1,2026-02-30,1234\n", "1: 抽選日「2026-02-30」は年-月-日の日付ではありません"},
        {"draw,number\n1,\"12\n", "2: 引用符（\"）が閉じていません"},
        {"draw,date,number\n1,2026-01-01,1234\n\n1,2026-01-02,1234\n",
         "4: 第1回が 2 行目と異なる内容で重複しています"},
        {"draw,number,straight\n1,1234,1万円\n",
         "2: ストレートの当せん金「1万円」は金額ではありません"},
        {"draw,number,straight\n1,1234,1186800.5\n",
         "2: ストレートの当せん金「1186800.5」は金額ではありません"},
        {"draw,number,box\n1,1234,.0\n", "2: ボックスの当せん金「.0」は金額ではありません"},
        {"draw,number\n1,1234,5\n", "2: 項目の数が 3 個です（2 個必要です）"},
        {"\xFF\xFE"
         "d\0r\0",
         "1: UTF-16 のファイルは読めません"},
        {"draw,date,number\n1,2026年1月1日,1234\n2,\x93\xFA,1234\n", "3: 文字を読み取れません"},
    };
    for (const auto& [in, expected] : cases) {
        const ParsedDraws p = parseDrawText(in);
        EXPECT_TRUE(firstRefusal(p, "f.csv").startsWith("f.csv:" + expected))
            << firstRefusal(p, "f.csv").toStdString();
    }
    // An endless line is refused by its number and the lines after it are still checked.
    const ParsedDraws p =
        parseDrawText("1,,1234\n" + QByteArray(10'000'000, ',') + "\n3,,x\n4,,4444\n");
    ASSERT_EQ(p.refusals.size(), 2u);
    EXPECT_EQ(p.refusals[0].line, 2);
    EXPECT_TRUE(p.refusals[0].reason.startsWith("行が長すぎます"));
    EXPECT_EQ(p.refusals[1].line, 3);
    EXPECT_TRUE(firstRefusal(p, "f.csv").endsWith("（ほかに 1 行が読めません）"));
}

// Each row's prizes against the prize rule: a row that breaks it keeps its draw and loses its
// prizes; unknown amounts and 0 (no winner) are not checked.
TEST(DrawFile, PrizesFollowTheirRule) {
    const ParsedDraws p = parseDrawText(
        "draw,number,straight,box,set_straight,set_box\n"
        "1,1234,1186800.0,49400,618100,24700\n"
        "2,1234,49400,1186800,618100,24700\n"  // straight and box swapped
        "3,1234,1186800,49400,618200,24700\n"
        "4,1234,1186800,49400,618100,24800\n"
        "5,7777,300000,100,,\n"
        "6,7777,300000,0,0,0\n"
        "7,1234,1186800,,,\n"
        "8,1234,1186800,0,0,0\n"
        "9,1234,1186800,49400,-,該当なし\n"
        "10,1234,,49400,,24700\n"
        "11,1234,,49400,,24600\n");
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(render(p),
              "1 - 1234 1186800/49400/618100/24700 | 2 - 1234 -/-/-/- | 3 - 1234 -/-/-/- | "
              "4 - 1234 -/-/-/- | 5 - 7777 -/-/-/- | 6 - 7777 300000/-/-/- | "
              "7 - 1234 1186800/-/-/- | 8 - 1234 1186800/0/0/0 | "
              "9 - 1234 1186800/49400/-/- | 10 - 1234 -/49400/-/24700 | 11 - 1234 -/-/-/-");
    EXPECT_EQ(p.prizesLeftOut, (std::vector<LeftOutPrizes>{{2, PrizeFault::StraightNotAboveBox},
                                                           {3, PrizeFault::SetStraight},
                                                           {4, PrizeFault::SetBox},
                                                           {5, PrizeFault::Repdigit},
                                                           {11, PrizeFault::SetBox}}));
}

// A results file whose prize columns are shifted from some draw on: every draw goes in, the
// shifted prizes do not, and the preview names those draws as ranges and says why.
TEST(DrawFile, ShiftedPrizeColumnsKeepTheirDrawsOnly) {
    const char* numbers[] = {"9298", "0097", "1234", "5678", "4321", "9577"};
    const std::array<std::int64_t, 4> yen{839700, 31700, 435700, 15800};
    QByteArray csv =
        "回別,抽せん日,当せん番号,ストレート,ボックス,セット(ストレート),セット(ボックス)\r\n";
    for (int i = 0; i < 6; ++i) {
        // From draw 4 on the columns have slid one to the right, the last one round to the first.
        const int shift = i >= 3 ? 3 : 0;
        csv +=
            QStringLiteral("第%1回,2026/8/%2,%3").arg(i + 1).arg(17 + i).arg(numbers[i]).toUtf8();
        for (int k = 0; k < 4; ++k)
            csv += ',' + QByteArray::number(yen[std::size_t((k + shift) % 4)]);
        csv += "\r\n";
    }
    test::TempDatabase db;
    const QString path = db.dir.filePath("shifted.csv");
    writeFile(path, csv);
    const ParsedDraws parsed = *readDrawFile(path);
    ASSERT_TRUE(parsed.ok());
    const QString summary = importSummary(parsed, compareWithStored(parsed.draws, {}, {}));
    EXPECT_TRUE(summary.contains("当せん金を取り込まない回：3 件"));
    EXPECT_TRUE(summary.contains("第4～6回：ストレートの当せん金がボックス以下です"))
        << summary.toStdString();
    EXPECT_EQ(importDrawCsv(path, db.connect, false).added, 6);
    auto store = DrawStore::open(db.connect);
    EXPECT_EQ(store->readAll().size(), 6u);
    const std::vector<DrawPrizes> stored = store->readPrizes();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored.back(), (DrawPrizes{3, {yen}}));
}

// What the preview says of a file's draws: the draws missing inside its range, dates out of
// draw order (both draws of the pair), dates after today; many ranges are cut short.
TEST(DrawFile, PreviewNotesGapsAndDates) {
    const QDate today(2026, 8, 21);
    std::vector<ImportedDraw> draws;
    const auto add = [&](int no, const char* date) {
        ImportedDraw d;
        d.draw.no = no;
        d.draw.date = QString::fromLatin1(date);
        draws.push_back(d);
    };
    add(1, "2026-08-03");
    add(2, "2026-08-04");
    add(5, "2026-08-03");  // before draw 2's date
    add(6, "");
    add(7, "2026-08-10");
    add(9, "2026-08-24");
    EXPECT_EQ(drawNotes(draws, today),
              "ファイルにない回：3 件（第3～4回、第8回）\n"
              "抽せん日が回の順になっていない回：2 件（第2回、第5回）\n"
              "抽せん日が今日（2026-08-21）より後の回：1 件（第9回）\n");
    std::vector<ImportedDraw> sparse;
    for (int no = 1; no <= 40; no += 2) {
        ImportedDraw d;
        d.draw.no = no;
        sparse.push_back(d);
    }
    EXPECT_EQ(drawNotes(sparse, today),
              "ファイルにない回：19 件（第2回、第4回、第6回、第8回、第10回 ほか 14 か所）\n");
    EXPECT_EQ(drawNotes({draws.front()}, today), "");
}

// Devices, FIFOs and folders are refused before a byte is read: /dev/zero never ends, and a
// FIFO with no writer would wait for ever.
TEST(DrawFile, OnlyRegularFilesAreRead) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const std::pair<QString, QString> cases[] = {{fifo, "通常のファイルではありません"},
                                                 {"/dev/zero", "通常のファイルではありません"},
                                                 {dir.path(), "フォルダー"}};
    for (const auto& [path, reason] : cases) {
        try {
            readDrawFile(path);
            ADD_FAILURE() << path.toStdString();
        } catch (const StoreError& e) {
            EXPECT_TRUE(e.message().contains(reason)) << e.message().toStdString();
        }
    }
    // A cancelled read gives nothing.
    const QString csv = dir.filePath("a.csv");
    writeFile(csv, "1,,1234\n");
    EXPECT_FALSE(readDrawFile(csv, [](qint64, qint64) { return false; }).has_value());
    // A file of one line needs no line end.
    writeFile(csv, "1,,1234");
    EXPECT_EQ(render(*readDrawFile(csv)), "1 - 1234 -/-/-/-");
}

// A database made before prizes were kept: it gains their table with the first import, the
// previous read path still reads it, and export → import → export keeps every byte.
TEST(DrawFile, PrizesInAnOldDatabaseAndRoundTrip) {
    QTemporaryDir dir;
    const DatabaseFile old = databaseFileIn(dir.path());
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(old.file).constData(), &db), SQLITE_OK);
        const QByteArray sql =
            "PRAGMA key = '" + old.password.toUtf8() + "';" + kCipherSettings +
            "CREATE TABLE 当選データ (回数 INTEGER PRIMARY KEY, 抽選日 TEXT,"
            " 第1数字 INTEGER, 第2数字 INTEGER, 第3数字 INTEGER, 第4数字 INTEGER);"
            "CREATE VIEW 全データ選択クエリ AS SELECT 回数, 第1数字, 第2数字,"
            " 第3数字, 第4数字 FROM 当選データ;"
            "INSERT INTO 当選データ VALUES (1, '1994-10-07', 1, 1, 4, 9);"
            "INSERT INTO 当選データ VALUES (2, NULL, NULL, NULL, NULL, NULL);";
        ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    EXPECT_TRUE(loadPrizes(old).empty());
    const QString csv = dir.filePath("in.csv");
    writeFile(csv,
              "draw,date,number,straight,box,set_straight,set_box\n"
              "1,,1149,942600,78500,510500,39200\n2,1994-10-14,7921,,,,\n3,,3333,1000,,,\n");
    ImportResult r = importDrawCsv(csv, old, false);
    EXPECT_EQ(std::tie(r.added, r.completed, r.skipped), std::make_tuple(1, 2, 0));
    EXPECT_EQ(loadDrawHistory(old).rows, test::draws({"1149", "7921", "3333"}));
    EXPECT_EQ(loadPrizes(old), (std::vector<DrawPrizes>{{1, {{942600, 78500, 510500, 39200}}},
                                                        {3, {{1000, -1, -1, -1}}}}));

    // Another date is a conflict like other digits, and replaces only when asked.
    writeFile(csv, "1,1994-10-08,1,1,4,9\n");
    EXPECT_EQ(importDrawCsv(csv, old, false).conflicts, std::vector<int>{1});
    EXPECT_EQ(importDrawCsv(csv, old, true).replaced, 1);

    auto store = DrawStore::open(old);
    const QByteArray exported = writeDrawCsv(store->readAll(), store->readPrizes());
    store.reset();
    EXPECT_EQ(exported,
              "draw,date,d1,d2,d3,d4,straight,box,set_straight,set_box\n"
              "1,1994-10-08,1,1,4,9,942600,78500,510500,39200\n2,1994-10-14,7,9,2,1,,,,\n"
              "3,,3,3,3,3,1000,,,\n");
    writeFile(csv, exported);
    DatabaseFile fresh = old;
    fresh.file = dir.filePath("fresh.mdb");
    importDrawCsv(csv, fresh, false);
    store = DrawStore::open(fresh);
    EXPECT_EQ(writeDrawCsv(store->readAll(), store->readPrizes()), exported);
}

// The shipped history in three shapes players' files have, each imported whole.
TEST(DrawFile, WholeHistoriesInThreeShapes) {
    const std::vector<DrawRecord> history =
        readDrawCsvFile(PIRUMOA_DATA_DIR "/numbers4_history.csv");
    const ParsedDraws payouts = *readDrawFile(PIRUMOA_DATA_DIR "/numbers4_payouts.csv");
    ASSERT_FALSE(payouts.ok());  // prizes without digits are no draws
    QFile pf(PIRUMOA_DATA_DIR "/numbers4_payouts.csv");
    ASSERT_TRUE(pf.open(QIODevice::ReadOnly));
    const QList<QByteArray> payoutLines = pf.readAll().trimmed().split('\n').mid(1);
    ASSERT_EQ(payoutLines.size(), qsizetype(history.size()));

    const QStringList weekdays{"月", "火", "水", "木", "金", "土", "日"};
    QString japanese = "回別,抽せん日,当せん番号\r\n";
    QByteArray english =
        "draw_date,straight_payout,winning_number,box_payout,draw_no,"
        "set_straight_payout,set_box_payout\n";
    QByteArray sheet = "回号,日付,当選番号,口数\n";
    std::vector<DrawPrizes> prizes;
    for (std::size_t i = 0; i < history.size(); ++i) {
        const DrawRecord& r = history[i];
        const QDate date = QDate::fromString(r.date, Qt::ISODate);
        QString number;
        for (std::int8_t d : r.digits) number += QString::number(d);
        japanese += QStringLiteral("第%1回,%2年%3月%4日(%5),%6\r\n")
                        .arg(r.no)
                        .arg(date.year())
                        .arg(date.month())
                        .arg(date.day())
                        .arg(weekdays[date.dayOfWeek() - 1], number);
        const QList<QByteArray> p = payoutLines[qsizetype(i)].split(',');
        english += r.date.toUtf8() + ',' + p[1] + ',' + number.toUtf8() + ',' + p[2] + ',' +
                   QByteArray::number(r.no) + ',' + p[3] + ',' + p[4] + '\n';
        sheet += QByteArray::number(r.no) + ',' + date.toString("yyyy/M/d").toUtf8() + ',' +
                 QByteArray::number(number.toInt()) + ",1\n";
        DrawPrizes dp{r.no, {}};
        for (int k = 0; k < 4; ++k)
            dp.prizes.yen[k] = p[k + 1].isEmpty() ? -1 : p[k + 1].toLongLong();
        prizes.push_back(dp);
    }
    const std::pair<QByteArray, bool> shapes[] = {
        {sjis(japanese), false}, {english, true}, {sheet, false}};
    for (const auto& [bytes, withPrizes] : shapes) {
        test::TempDatabase db;
        const QString csv = db.dir.filePath("whole.csv");
        // Cut off in the middle of its last line: refused, naming the line, and nothing written.
        writeFile(csv, bytes.chopped(4));
        try {
            importDrawCsv(csv, db.connect, false);
            ADD_FAILURE() << "a cut file was read";
        } catch (const StoreError& e) {
            EXPECT_TRUE(
                e.message().contains(QStringLiteral("whole.csv:%1: 最後の行が途中で切れています")
                                         .arg(history.size() + 1)))
                << e.message().toStdString();
        }
        EXPECT_TRUE(DrawStore::open(db.connect)->readAll().empty());
        writeFile(csv, bytes);
        EXPECT_EQ(importDrawCsv(csv, db.connect, false).added, int(history.size()));
        auto store = DrawStore::open(db.connect);
        EXPECT_EQ(store->readAll(), history);
        EXPECT_EQ(store->readPrizes(), withPrizes ? prizes : std::vector<DrawPrizes>{});
    }
}
