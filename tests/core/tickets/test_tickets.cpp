// Tickets checked against a hand-made history with prizes, their CSV, their table in the
// database, and the command-line tool on them.
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <limits>

#include "core/store/drawstore.h"
#include "core/tickets/ticket.h"
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

    // The running balance of all the tickets ends on their summed balance.
    std::vector<TicketCheck> all;
    TicketTotals sum;
    for (const auto& c : cases) {
        all.push_back(checkTicket(c.ticket, h, prizes()));
        sum += all.back().totals;
    }
    const auto curve = cumulativeBalance(all);
    ASSERT_FALSE(curve.empty());
    EXPECT_EQ(curve.back().drawNo, 5);
    EXPECT_EQ(curve.back().balance, sum.balance());
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

TEST(TicketCsv, ReadsWhatItWritesAndRefusesBadLinesByNumber) {
    std::vector<Ticket> tickets{ticket("0123", TicketType::Set, 7000, 20, 3),
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

// Prizes as the store keeps them, written by the engine itself.
void storePrizes(const DatabaseFile& c, const char* rows) {
    sqlite3* db = nullptr;
    sqlite3_open(c.file.toUtf8().constData(), &db);
    const std::string sql =
        "PRAGMA key = '" + c.password.toStdString() + "';" + kCipherSettings +
        "CREATE TABLE IF NOT EXISTS 当選金 (回数 INTEGER PRIMARY KEY, ストレート INTEGER,"
        " ボックス INTEGER, セットストレート INTEGER, セットボックス INTEGER);"
        "INSERT INTO 当選金 VALUES " +
        rows + ";";
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
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
