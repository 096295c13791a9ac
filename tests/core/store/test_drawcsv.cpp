#include <gtest/gtest.h>

#include <QDate>
#include <QFile>

#include "core/store/drawcsv.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

DrawRecord dated(const char* digits, int no, const char* date) {
    DrawRecord r = test::draws({digits}, no)[0];
    r.date = QString::fromUtf8(date);
    return r;
}

QString parseError(const QByteArray& csv) {
    try {
        parseDrawCsv(csv, "f.csv");
    } catch (const StoreError& e) {
        return e.message();
    }
    return {};
}

// A history of n draws as the shipped file writes it.
QByteArray bigCsv(int n) {
    std::vector<DrawRecord> rows;
    for (int i = 1; i <= n; ++i) rows.push_back(dated("1234", i, "2001-02-03"));
    return writeDrawCsv(rows);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

}  // namespace

TEST(DrawCsv, ReadsEveryLayout) {
    // Header with a BOM and CR LF, empty digits and dates, slashes in a date, a blank line.
    EXPECT_EQ(parseDrawCsv("\xEF\xBB\xBF"
                           "draw,date,d1,d2,d3,d4\r\n1,1994-10-07,1,1,4,9\r\n\r\n"
                           "2,,7,,2,1\r\n3,2001/2/3,,,,\r\n",
                           "f.csv"),
              (std::vector<DrawRecord>{dated("1149", 1, "1994-10-07"), dated("7_21", 2, ""),
                                       dated("____", 3, "2001-02-03")}));
    // No header: draw,d1,d2,d3,d4 and draw,date,NNNN, mixed, quoted as spreadsheets do.
    EXPECT_EQ(parseDrawCsv("1,1,2,3,4\n2,2002-01-01,0567\n\"3\",\"\",\n4,5,,6,\n", "f.csv"),
              (std::vector<DrawRecord>{dated("1234", 1, ""), dated("0567", 2, "2002-01-01"),
                                       dated("____", 3, ""), dated("5_6_", 4, "")}));
    // The same draw twice with the same digits is one draw.
    EXPECT_EQ(parseDrawCsv("1,1,2,3,4\n1,1,2,3,4\n", "f.csv").size(), 1u);
    EXPECT_TRUE(parseDrawCsv("draw,date,d1,d2,d3,d4\n", "f.csv").empty());
}

TEST(DrawCsv, BadLinesAreNamedWithTheirReason) {
    const std::pair<QByteArray, const char*> bad[] = {
        {"draw,date,d1,d2,d3,d4\n1,,1,2,3,10\n", "f.csv:2: 第4数字「10」"},
        {"draw,date,d1,d2,d3,d4\n1,,1,2,3\n", "f.csv:2: 項目の数が 5 個です（6 個必要です）"},
        {"0,1,2,3,4\n", "f.csv:1: 回数「0」は 1～32767"},
        {"1,1,2,3,4\n32768,1,2,3,4\n", "f.csv:2: 回数「32768」"},
        {"1,1,2,3,4\n-3,1,2,3,4\n", "f.csv:2: 回数「-3」"},
        {"1,,12345\n", "f.csv:1: 当選番号「12345」は 4 桁"},
        {"1,2001-02-30,1234\n", "f.csv:1: 抽選日「2001-02-30」"},
        {"1,,1234\n7,1994-10-06,1234\n",
         "f.csv:2: 第7回の抽選日「1994-10-06」は第1回（1994-10-07）から今日の 10 年後（"},
        {"1,1,2,3,4\n\n1,1,2,3,5\n", "f.csv:3: 第1回が 1 行目と異なる内容で重複"},
        {"number,digits\n", "f.csv:1: 見出し行"},
        {"1,a,2,3,4\n", "f.csv:1: 第1数字「a」"},
    };
    for (const auto& [csv, expected] : bad) {
        const QString m = parseError(csv);
        EXPECT_TRUE(m.startsWith(QString::fromUtf8(expected))) << m.toStdString();
    }
    // The latest date allowed is spelled out, as it stands today.
    EXPECT_EQ(parseError("draw,date,d1,d2,d3,d4\n9,2126/8/21,1,2,3,4\n"),
              QStringLiteral("f.csv:2: 第9回の抽選日「2126/8/21」は第1回（1994-10-07）から今日の "
                             "10 年後（%1）までの日付にしてください")
                  .arg(QDate::currentDate().addYears(10).toString(Qt::ISODate)));
}

// A message quotes at most 40 characters of a field and shows what cannot be seen.
TEST(DrawCsv, MessagesQuoteFieldsShortAndVisibly) {
    const QByteArray huge = "1,,1,2,3," + QByteArray(4'000, '7') + "\n";
    const QString m = parseError(huge);
    EXPECT_EQ(m, "f.csv:1: 第4数字「" + QString(40, '7') + "…」は 0～9 の数字ではありません");

    const QString nul = parseError(QByteArray("1,,1,2,3,4\n2,,1,2\0x,3,4\n", 24));
    EXPECT_EQ(nul, "f.csv:2: 第2数字「2␀x」は 0～9 の数字ではありません");
    // Forty characters are cut between characters, never inside one.
    const QString wide = parseError("1,," + QString(50, QChar(0x20BB7)).toUtf8() + "\n");
    EXPECT_TRUE(wide.contains(QString(20, QChar(0x20BB7)) + "…")) << wide.toStdString();
}

TEST(DrawCsv, CarriageReturnsAloneEndLines) {
    EXPECT_EQ(parseDrawCsv("draw,date,d1,d2,d3,d4\r1,,1,2,3,4\r\r2,,5,6,7,8\r", "f.csv"),
              (std::vector<DrawRecord>{dated("1234", 1, ""), dated("5678", 2, "")}));
    EXPECT_TRUE(parseError("1,1,2,3,4\r2,1,2,3,x\r").startsWith("f.csv:2: "));
}

TEST(DrawCsv, WriteThenParseGivesTheSameDraws) {
    const std::vector<DrawRecord> rows{dated("0000", 1, "1994-10-07"), dated("9_8_", 2, ""),
                                       dated("____", 32767, "2030-12-31")};
    const QByteArray csv = writeDrawCsv(rows);
    EXPECT_EQ(csv,
              "draw,date,d1,d2,d3,d4\n1,1994-10-07,0,0,0,0\n2,,9,,8,\n"
              "32767,2030-12-31,,,,\n");
    EXPECT_EQ(parseDrawCsv(csv, "f.csv"), rows);
}

TEST(DrawCsv, ImportIsAllOrNothing) {
    test::TempDatabase db(test::draws({"1234", "5678"}));
    const QString csv = db.dir.path() + "/in.csv";
    const std::vector<DrawRecord> before = test::draws({"1234", "5678"});

    // One bad line among thousands changes nothing, and a database it would make is not made.
    QByteArray big = bigCsv(5000);
    big.replace("\n3000,2001-02-03,1,2,3,4\n", "\n3000,2001-02-03,1,2,3,x\n");
    writeFile(csv, big);
    DatabaseFile fresh = db.connect;
    fresh.file = db.dir.path() + "/new.mdb";
    for (const DatabaseFile& c : {db.connect, fresh}) {
        try {
            importDrawCsv(csv, c, true);
            ADD_FAILURE() << "a bad line was imported";
        } catch (const StoreError& e) {
            EXPECT_TRUE(e.message().startsWith(csv + ":3001: ")) << e.message().toStdString();
        }
    }
    EXPECT_EQ(DrawStore::open(db.connect)->readAll(), before);
    EXPECT_FALSE(QFile::exists(fresh.file));

    // Other digits for a stored draw: refused as a whole unless replacing.
    writeFile(csv, "1,1,2,3,4\n2,9,9,9,9\n3,0,0,0,0\n");
    ImportResult r = importDrawCsv(csv, db.connect, false);
    EXPECT_EQ(r.conflicts, std::vector<int>{2});
    EXPECT_EQ(r.added, 0);
    EXPECT_EQ(DrawStore::open(db.connect)->readAll(), before);

    r = importDrawCsv(csv, db.connect, true);
    EXPECT_EQ(std::tie(r.added, r.skipped, r.replaced), std::make_tuple(1, 1, 1));
    EXPECT_TRUE(r.conflicts.empty());
    EXPECT_EQ(loadDrawHistory(db.connect).rows, test::draws({"1234", "9999", "0000"}));

    // Importing the same file again adds nothing.
    r = importDrawCsv(csv, db.connect, false);
    EXPECT_EQ(std::tie(r.added, r.skipped, r.replaced), std::make_tuple(0, 3, 0));

    // Replacing from a file without dates keeps the dates already stored.
    writeFile(csv, "draw,date,d1,d2,d3,d4\n1,2001-02-03,4,4,4,4\n");
    importDrawCsv(csv, db.connect, true);
    writeFile(csv, "1,5,5,5,5\n");
    EXPECT_EQ(importDrawCsv(csv, db.connect, true).replaced, 1);
    EXPECT_EQ(DrawStore::open(db.connect)->readAll().front(), dated("5555", 1, "2001-02-03"));

    // A file with only its header still makes the database.
    writeFile(csv, "draw,date,d1,d2,d3,d4\n");
    EXPECT_EQ(importDrawCsv(csv, fresh, false).added, 0);
    EXPECT_TRUE(loadDrawHistory(fresh).rows.empty());
}
