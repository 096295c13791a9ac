// Tickets checked against a hand-made history with prizes, their CSV, their table in the
// database, and the command-line tool on them.
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>
#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>
#include <limits>

#include "core/store/drawstore.h"
#include "core/tickets/ticket.h"
#include "core/tickets/ticketbook.h"
#include "core/tickets/ticketcsv.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

Ticket ticket(const char* number, TicketType type, int first, int draws, int units = 1) {
    Ticket t;
    t.digits = *parseTicketNumber(QString::fromLatin1(number));
    t.type = type;
    t.firstDraw = first;
    t.draws = draws;
    t.units = units;
    return t;
}

// Draws 1 … 5 decided, draw 6 entered without its result; prizes for 1 … 4 only, draw 3
// without its set prizes.
DrawHistory fiveDraws() { return test::history({"1234", "4321", "1234", "9999", "5678", "12_4"}); }

PrizeTable prizes() {
    PrizeTable p;
    p.set(1, {900000, 37500, 468700, 18700});
    p.set(2, {1000000, 40000, 520000, 20000});
    p.set(3, {800000, 33000, -1, -1});
    p.set(4, {2000000, -1, -1, -1});
    return p;
}

struct Expect {
    TicketResult result;
    long long prize;
};

TEST(TicketCheck, EachResultAndPrizeOverAHandMadeHistory) {
    using R = TicketResult;
    using T = TicketType;
    const struct {
        Ticket ticket;
        std::vector<Expect> lines;
        long long spent, won;
        int unknown, pending;
    } cases[] = {
        // Straight pays only in order; two units pay twice.
        {ticket("1234", T::Straight, 1, 3, 2),
         {{R::Straight, 1800000}, {R::Miss, 0}, {R::Straight, 1600000}},
         1200,
         3400000,
         0,
         0},
        // Box pays any order.
        {ticket("3412", T::Box, 1, 2), {{R::Box, 37500}, {R::Box, 40000}}, 400, 77500, 0, 0},
        // Set pays the set prize of the way it won; draw 3 has no set prize stored.
        {ticket("1234", T::Set, 1, 3),
         {{R::SetStraight, 468700}, {R::SetBox, 20000}, {R::SetStraight, -1}},
         600,
         488700,
         1,
         0},
        // Until today runs to the latest decided draw; draw 5 has no prize row, draw 6 is
        // entered without its result and lies beyond it.
        {ticket("8765", T::Box, 4, kOngoing), {{R::Miss, 0}, {R::Box, -1}}, 400, 0, 1, 0},
        // A slip for draws not drawn yet: the undecided draw 6 and the unstored 7.
        {ticket("9999", T::Straight, 4, 4),
         {{R::Straight, 2000000}, {R::Miss, 0}, {R::Pending, 0}, {R::Pending, 0}},
         400,
         2000000,
         0,
         2},
    };
    const DrawHistory h = fiveDraws();
    for (const auto& c : cases) {
        SCOPED_TRACE(numberText(c.ticket.digits).toStdString() + " " +
                     typeKey(c.ticket.type).toStdString());
        ASSERT_TRUE(ticketProblem(c.ticket).isEmpty());
        const TicketCheck check = checkTicket(c.ticket, h, prizes());
        ASSERT_EQ(check.lines.size(), c.lines.size());
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            EXPECT_EQ(check.lines[i].drawNo, c.ticket.firstDraw + int(i));
            EXPECT_EQ(resultLabel(check.lines[i].result), resultLabel(c.lines[i].result)) << i;
            EXPECT_EQ(check.lines[i].prize, c.lines[i].prize) << i;
        }
        EXPECT_EQ(check.totals.spent, c.spent);
        EXPECT_EQ(check.totals.won, c.won);
        EXPECT_EQ(check.totals.unknownWins, c.unknown);
        EXPECT_EQ(check.totals.pendingDraws, c.pending);
        EXPECT_EQ(check.totals.pendingCost, 200LL * c.pending);
    }

    // The running balance of all the tickets ends on their summed balance; the book's
    // difference array gives the same curve as the lines of every draw.
    std::vector<TicketCheck> all;
    std::vector<Ticket> tickets;
    TicketTotals sum;
    for (const auto& c : cases) {
        all.push_back(checkTicket(c.ticket, h, prizes()));
        tickets.push_back(c.ticket);
        sum += all.back().totals;
    }
    const auto curve = cumulativeBalance(all);
    ASSERT_FALSE(curve.empty());
    EXPECT_EQ(curve.back().drawNo, 5);
    EXPECT_EQ(curve.back().balance, sum.balance());
    const TicketBook book(h, prizes());
    EXPECT_EQ(book.balance(tickets), curve);

    // Draws 3 … 5: the straight 1234 ×2 and the set 1234 on draw 3 (no set prize stored),
    // 9999 on draw 4, the box 8765 on draw 5 (no prize row).
    const TicketBook::RecentWins recent = book.recentWins(tickets, 3);
    EXPECT_EQ(recentWinsText(recent),
              QStringLiteral("第3～5回：当せん 4件 3,600,000円（うち 2件は当せん金が未登録）"));
    EXPECT_EQ(recentWinsText(book.recentWins({tickets[1]}, 3)),
              QStringLiteral("第3～5回：当せんはありません"));

    // A run far past the stored draws: only the decided ones are paid for, without a line
    // kept for each of the others.
    const TicketTotals longRun = book.totals(ticket("1234", T::Straight, 1, 30000));
    EXPECT_EQ(longRun.decidedDraws, 5);
    EXPECT_EQ(longRun.pendingDraws, 29995);
    EXPECT_EQ(longRun.won, 900000 + 800000);
}

// The largest prizes a results file can hold, won on every draw of a full history by three
// 10-unit tickets, add up past 64 bits: the totals stop at the largest amount, never wrap to a
// loss; so does one line whose prize a damaged or hand-edited database made huge.
TEST(TicketCheck, TotalsPastSixtyFourBitsStopInsteadOfWrapping) {
    std::vector<DrawRecord> rows(kMaxDrawNo);
    PrizeTable huge;
    for (int no = 1; no <= kMaxDrawNo; ++no) {
        rows[std::size_t(no - 1)] = {no, {1, 2, 3, 4}, {}};
        huge.set(no, {9'999'999'999'999, -1, -1, -1});
    }
    const DrawHistory h = DrawHistory::fromRows(std::move(rows));
    TicketTotals sum;
    for (int i = 0; i < 3; ++i) {
        const TicketCheck one =
            checkTicket(ticket("1234", TicketType::Straight, 1, kOngoing, 10), h, huge);
        EXPECT_FALSE(one.totals.capped);
        sum += one.totals;
    }
    EXPECT_TRUE(sum.capped);
    EXPECT_EQ(sum.won, std::numeric_limits<long long>::max());
    EXPECT_GT(sum.balance(), 0);

    PrizeTable damaged;
    damaged.set(1, {std::numeric_limits<long long>::max() / 2, -1, -1, -1});
    const TicketCheck line =
        checkTicket(ticket("1234", TicketType::Straight, 1, 1, 10), h, damaged);
    EXPECT_TRUE(line.totals.capped);
    EXPECT_EQ(line.lines[0].prize, std::numeric_limits<long long>::max());
    EXPECT_GT(cumulativeBalance({line}).back().balance, 0);
}

TEST(TicketCheck, RefusesWhatCannotBeBought) {
    EXPECT_TRUE(ticketProblem(ticket("7777", TicketType::Straight, 1, 1)).isEmpty());
    for (TicketType t : {TicketType::Box, TicketType::Set})
        EXPECT_TRUE(
            ticketProblem(ticket("7777", t, 1, 1)).contains(QStringLiteral("ボックスやセット")));
    EXPECT_FALSE(ticketProblem(ticket("1234", TicketType::Box, 1, kMaxDrawNo + 1)).isEmpty());
    EXPECT_FALSE(ticketProblem(ticket("1234", TicketType::Box, 1, 1, 11)).isEmpty());
    EXPECT_FALSE(ticketProblem(ticket("1234", TicketType::Box, 32760, 10)).isEmpty());
    EXPECT_FALSE(parseTicketNumber(QStringLiteral("123")));
    EXPECT_FALSE(parseTicketNumber(QStringLiteral("12a4")));
    EXPECT_EQ(numberText(*parseTicketNumber(QStringLiteral("０１２３"))), QStringLiteral("0123"));
}

// Every way a ticket is typed (the form, a file, the command line) reads through one parser.
TEST(TicketInput, ReadsTypedFieldsAndRefusesWhatIsOutOfRange) {
    const struct {
        const char* number;
        const char* type;
        const char* units;
        const char* first;
        const char* draws;
        const char* last;
        int readUnits, readFirst, readDraws;
        const char* error;  // part of the message, "" when it reads
    } rows[] = {
        {"０１２３", "box", "１", "７０５０", "１００", "", 1, 7050, 100, ""},
        {"0123", "セット", " 10 ", "1", "32767", "", 10, 1, 32767, ""},
        {"0123", "box", "2", "7050", "", "7054", 2, 7050, 5, ""},
        {"0123", "box", "2", "7050", "", "７０５０", 2, 7050, 1, ""},
        {"0123", "box", "1", "7050", "all", "", 1, 7050, kOngoing, ""},
        {"0123", "box", "1", "7050", "続けて購入中", "", 1, 7050, kOngoing, ""},
        {"0123", "box", "1", "7050", "今日まで", "", 1, 7050, kOngoing, ""},
        // Out of range is refused, never cut to fit.
        {"0123", "box", "11", "1", "1", "", 0, 0, 0, "口数「11」は範囲外です。1～10"},
        {"0123", "box", "０", "1", "1", "", 0, 0, 0, "口数「０」は範囲外です"},
        {"0123", "box", "1", "1", "32768", "", 0, 0, 0, "継続回数「32768」は範囲外です"},
        {"0123", "box", "1", "1", "99999999999999999999", "", 0, 0, 0, "範囲外"},
        {"0123", "box", "1", "1", "0", "", 0, 0, 0, "続けて購入中"},
        {"0123", "box", "1", "30000", "2769", "", 0, 0, 0, "第32767回を超えます"},
        {"0123", "box", "1", "0", "1", "", 0, 0, 0, "開始回「0」は範囲外です"},
        {"0123", "box", "1", "7050", "", "7049", 0, 0, 0, "開始回（第7050回）より前"},
        {"0123", "box", "1", "7050", "5", "7054", 0, 0, 0, "どちらか一方"},
        {"0123", "box", "1.5", "1", "1", "", 0, 0, 0, "口数「1.5」が数値ではありません"},
        {"0123", "box", "", "1", "1", "", 0, 0, 0, "口数を入力してください"},
        {"012", "box", "1", "1", "1", "", 0, 0, 0, "4桁"},
        {"0123", "boxx", "1", "1", "1", "", 0, 0, 0, "種類「boxx」"},
        {"7777", "box", "1", "1", "1", "", 0, 0, 0, "ボックスやセット"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.units) + " " + r.first + " " + r.draws + " " + r.last);
        const auto text = [](const char* utf8) { return QString::fromUtf8(utf8); };
        const TicketInput in{text(r.number), text(r.type), text(r.units), text(r.first),
                             text(r.draws),  text(r.last), QString()};
        QString problem;
        const std::optional<Ticket> t = parseTicketInput(in, problem);
        if (*r.error == 0) {
            ASSERT_TRUE(t) << problem.toStdString();
            EXPECT_EQ(t->units, r.readUnits);
            EXPECT_EQ(t->firstDraw, r.readFirst);
            EXPECT_EQ(t->draws, r.readDraws);
        } else {
            EXPECT_FALSE(t);
            EXPECT_TRUE(problem.contains(QString::fromUtf8(r.error))) << problem.toStdString();
        }
    }
}

TEST(TicketCsv, ReadsWhatItWritesAndRefusesBadLinesByNumber) {
    std::vector<Ticket> tickets{ticket("0123", TicketType::Set, 7000, 500, 3),
                                ticket("7777", TicketType::Straight, 1, kOngoing)};
    tickets[0].note = QStringLiteral("誕生日, \"家族\"");
    EXPECT_EQ(parseTicketCsv(writeTicketCsv(tickets), QStringLiteral("t.csv")), tickets);

    const struct {
        const char* text;
        const char* error;  // part of the message, "" when it reads
    } rows[] = {
        {"number,type,units,first_draw,draws,note\n0123,box,1,5,all,\n", ""},
        {"0123,ボックス,1,5,3\r\n", ""},
        {"number,type,units,first_draw,draws,note\n\n0123,box,1,5,all,x\n7777,box,1,5,1,\n",
         "t.csv:4:"},
        {"0123,boxx,1,5,1,\n", "種類"},
        {"012,box,1,5,1,\n", "4桁"},
        {"0123,box,1,5,0,\n", "継続回数"},
        {"0123,box,1,5\n", "項目の数"},
        {"0123,box,1,5,1,\"open\n", "引用符"},
    };
    for (const auto& r : rows) {
        QString error;
        try {
            parseTicketCsv(QByteArray(r.text), QStringLiteral("t.csv"));
        } catch (const StoreError& e) {
            error = e.message();
        }
        if (*r.error == 0)
            EXPECT_TRUE(error.isEmpty()) << r.text << error.toStdString();
        else
            EXPECT_TRUE(error.contains(QString::fromUtf8(r.error)))
                << r.text << error.toStdString();
    }
}

// An older file gains the tickets table with its first ticket; a refused ticket leaves the
// file as it was; the draws' reader never sees the new table.
TEST(TicketStore, StoresEditsAndRemovesInATableOfItsOwn) {
    test::TempDatabase db(test::draws({"1234", "5678"}));
    EXPECT_TRUE(loadTickets(db.connect).empty());
    auto store = DrawStore::open(db.connect);
    std::vector<Ticket> two{ticket("1234", TicketType::Box, 1, 2),
                            ticket("5678", TicketType::Straight, 2, kOngoing, 10)};
    store->addTickets(two);
    EXPECT_GT(two[0].id, 0);
    EXPECT_NE(two[0].id, two[1].id);
    EXPECT_EQ(loadTickets(db.connect), two);

    std::vector<Ticket> bad{ticket("1234", TicketType::Box, 1, 1),
                            ticket("5555", TicketType::Set, 1, 1)};
    EXPECT_THROW(store->addTickets(bad), StoreError);
    EXPECT_EQ(loadTickets(db.connect).size(), 2u);

    two[1].note = QStringLiteral("メモ");
    two[1].units = 2;
    store->updateTicket(two[1]);
    store->removeTicket(two[0].id);
    EXPECT_EQ(loadTickets(db.connect), std::vector<Ticket>{two[1]});
    EXPECT_THROW(store->removeTicket(two[0].id), StoreError);
    EXPECT_EQ(loadDrawHistory(db.connect).rows.size(), 2u);
}

// SQL run on the database by the engine itself, as another program would.
void runSql(const DatabaseFile& c, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(c.file.toUtf8().constData(), &db);
    const std::string all =
        "PRAGMA key = '" + c.password.toStdString() + "';" + kCipherSettings + sql;
    ASSERT_EQ(sqlite3_exec(db, all.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// Prizes as the store keeps them.
void storePrizes(const DatabaseFile& c, const char* rows) {
    runSql(c, std::string("CREATE TABLE IF NOT EXISTS 当選金 (回数 INTEGER PRIMARY KEY, ストレート "
                          "INTEGER, ボックス INTEGER, セットストレート INTEGER, セットボックス "
                          "INTEGER); INSERT INTO 当選金 VALUES ") +
                  rows + ";");
}

// A file whose tickets table an earlier version made, for runs of 20 draws at most, keeps its
// tickets and their numbers and takes a run of 100 draws.
TEST(TicketStore, WidensAnEarlierTableOnItsFirstTicketWrite) {
    test::TempDatabase db(test::draws({"1234"}));
    runSql(db.connect,
           "CREATE TABLE 購入数字 (番号 INTEGER PRIMARY KEY,"
           " 数字 TEXT NOT NULL CHECK (length(数字) = 4),"
           " 種類 TEXT NOT NULL CHECK (種類 IN ('straight', 'box', 'set')),"
           " 口数 INTEGER NOT NULL CHECK (口数 BETWEEN 1 AND 10),"
           " 開始回 INTEGER NOT NULL CHECK (開始回 BETWEEN 1 AND 32767),"
           " 継続回数 INTEGER NOT NULL CHECK (継続回数 BETWEEN 0 AND 20), メモ TEXT);"
           "INSERT INTO 購入数字 VALUES (7, '1234', 'box', 2, 1, 20, 'メモ');");
    Ticket old = ticket("1234", TicketType::Box, 1, 20, 2);
    old.id = 7;
    old.note = QStringLiteral("メモ");
    std::vector<Ticket> hundred{ticket("5678", TicketType::Straight, 1, 100)};
    DrawStore::open(db.connect)->addTickets(hundred);
    EXPECT_EQ(loadTickets(db.connect), (std::vector<Ticket>{old, hundred[0]}));
}

// A file holding a ticket twice adds it twice; the file just exported adds nothing; a ticket
// like a stored one in all but its units is added and named; a dry run writes nothing; the
// total line counts the wins whose prize is not stored.
TEST(TicketCli, ImportsWhatIsNotStoredYet) {
    test::TempDatabase db(test::draws({"1234", "4321", "1111"}));
    storePrizes(db.connect,
                "(1, 900000, 37500, 468700, 18700), (2, 1000000, 40000, 520000, 20000)");
    const QString file = db.connect.file, dir = db.dir.path();
    const auto write = [&](const char* name, const char* text) {
        QFile f(dir + QLatin1Char('/') + QLatin1String(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    };
    const QString first = write("a.csv",
                                "number,type,units,first_draw,draws,note\n"
                                "1111,straight,1,3,1,\n1111,straight,1,3,1,\n"
                                "4321,box,2,1,all,週末\n");
    test::CliRun r = test::runCli({"tickets", "import", first, "--dry-run", "--db", file});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(r.out).startsWith(QStringLiteral("新しい購入数字 3 件、")));
    EXPECT_TRUE(loadTickets(db.connect).empty());
    r = test::runCli({"tickets", "import", first, "--db", file});
    EXPECT_TRUE(
        QString::fromUtf8(r.out).endsWith(QStringLiteral("購入数字を 3 件取り込みました。\n")));

    const QString exported = dir + QStringLiteral("/out.csv");
    ASSERT_EQ(test::runCli({"tickets", "export", "--output", exported, "--db", file}).code, 0);
    r = test::runCli({"tickets", "import", exported, "--db", file});
    EXPECT_EQ(QString::fromUtf8(r.out),
              QStringLiteral("新しい購入数字 0 件、登録済みと同じ購入数字 3 件（取り込みません）、"
                             "よく似た購入数字 0 件\n取り込む購入数字はありません。\n"));

    r = test::runCli(
        {"tickets", "import", write("b.csv", "4321,box,1,1,all,週末\n"), "--db", file});
    EXPECT_TRUE(QString::fromUtf8(r.out).contains(
        QStringLiteral("4321 ボックス 第1回から 続けて購入中 1口「週末」 ← 登録済み：4321 ボックス "
                       "第1回から 続けて購入中 2口「週末」")))
        << r.out.toStdString();
    EXPECT_EQ(loadTickets(db.connect).size(), 4u);

    r = test::runCli({"tickets", "list", "--db", file});
    EXPECT_TRUE(r.out.endsWith("total\t\t\t\t\t\t\t2200\t232500\t230300\t2\n"))
        << r.out.toStdString();
}

// A tickets file is read only when it is a regular file, and a line longer than 4 KiB stops
// the reading: a FIFO would wait for ever and /dev/zero never ends.
TEST(TicketCsv, RefusesWhatIsNoTicketsFile) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo.csv"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile longLine(dir.filePath(QStringLiteral("long.csv")));
    ASSERT_TRUE(longLine.open(QIODevice::WriteOnly));
    longLine.write("0123,box,1,1,1,\n0123,box,1,1,1," + QByteArray(5000, 'x') + "\n");
    longLine.close();
    const struct {
        QString path;
        const char* error;
    } cases[] = {
        {fifo, "通常のファイルではありません"},
        {QStringLiteral("/dev/zero"), "通常のファイルではありません"},
        {dir.path(), "フォルダー"},
        {longLine.fileName(), "long.csv:2: 行が長すぎます"},
    };
    for (const auto& c : cases) {
        QString error;
        try {
            readTicketFile(c.path);
        } catch (const StoreError& e) {
            error = e.message();
        }
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.error))) << error.toStdString();
    }
}

TEST(TicketCli, ChecksListsAddsAndRemoves) {
    test::TempDatabase db(test::draws({"1234", "4321", "1111"}));
    storePrizes(db.connect,
                "(1, 900000, 37500, 468700, 18700), (2, 1000000, 40000, 520000, 20000)");
    const QString file = db.connect.file;

    test::CliRun r = test::runCli({"tickets", "check", "1234", "--type", "set", "--units", "2",
                                   "--draws", "4", "--db", file});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.out),
              QStringLiteral("draw\tdate\tdrawn\tresult\tprize\n"
                             "1\t\t1234\tセット(ストレート)当せん\t937400\n"
                             "2\t\t4321\tセット(ボックス)当せん\t40000\n"
                             "3\t\t1111\tはずれ\t0\n"
                             "4\t\t\t抽せん前\t\n"
                             "total\t1200\t977400\t976200\t0\n"));

    r = test::runCli({"tickets", "check", "1111", "--type", "box", "--db", file});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(QStringLiteral("ボックスやセット")));

    r = test::runCli(
        {"tickets", "add", "4321", "--type", "straight", "--note", "週末", "--db", file});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QByteArray("added 1\n"));
    r = test::runCli({"tickets", "list", "--db=" + file});
    EXPECT_EQ(r.out, QStringLiteral(
                         "id\tnumber\ttype\tunits\tfirst_draw\tdraws\tnote\tspent\twon\tbalance\t"
                         "unknown_wins\n"
                         "1\t4321\tstraight\t1\t4\t1\t週末\t0\t0\t0\t0\n"
                         "total\t\t\t\t\t\t\t0\t0\t0\t0\n")
                         .toUtf8());
    EXPECT_EQ(test::runCli({"tickets", "remove", "1", "--db", file}).code, 0);
    EXPECT_EQ(test::runCli({"tickets", "remove", "1", "--db", file}).code, 1);
}

}  // namespace
