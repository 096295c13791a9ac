// pirumoa-cli tickets: a number checked against the stored draws and prizes, and the tickets
// kept in the database.
#include "cli/ticketscommand.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "cli/commandline.h"
#include "core/store/drawstore.h"
#include "core/tickets/ticket.h"

namespace pirumoa::cli {

namespace {

const char kTicketsHelp[] =
    "The player's tickets against the stored draws and prizes:\n"
    "  tickets check NUMBER --type straight|box|set [--from DRAW] [--draws N|all] [--units K]\n"
    "                [--db FILE] [--format tsv|json]\n"
    "  tickets list [--db FILE] [--format tsv|json]\n"
    "  tickets add NUMBER --type straight|box|set [--from DRAW] [--draws N|all] [--units K]\n"
    "              [--note TEXT] [--db FILE]\n"
    "  tickets remove ID [--db FILE]\n"
    "check: --from 1 and --draws all unless given; add: the next draw, one draw.\n"
    "TSV: draw, date, drawn, result, prize per draw, then a line total, spent, won, balance;\n"
    "list: one line a ticket. add and remove print \"added ID\" and \"removed ID\".";

// The ticket the arguments describe; an empty error when it is one that can be bought.
Ticket ticketFrom(const QCommandLineParser& a, int defaultFrom, int defaultDraws, QString& error) {
    Ticket t;
    const auto digits = parseTicketNumber(a.positionalArguments().value(1));
    if (!digits) {
        error = QStringLiteral("番号は 0123 のような 4 桁の数字で指定してください。");
        return t;
    }
    t.digits = *digits;
    const auto type = parseTicketType(a.value("type"));
    if (!type) {
        error = QStringLiteral("--type には straight、box、set のどれかを指定してください。");
        return t;
    }
    t.type = *type;
    bool ok = true;
    const QString from = a.value("from"), units = a.value("units"), draws = a.value("draws");
    t.firstDraw = from.isEmpty() ? defaultFrom : from.toInt(&ok);
    if (!ok) error = QStringLiteral("--from には回数を指定してください。");
    t.units = units.isEmpty() ? 1 : units.toInt(&ok);
    if (!ok) error = QStringLiteral("--units には口数を指定してください。");
    if (draws.isEmpty())
        t.draws = defaultDraws;
    else if (draws == QLatin1String("all"))
        t.draws = kUntilToday;
    else if (t.draws = draws.toInt(&ok); !ok || t.draws == kUntilToday)
        error = QStringLiteral("--draws には継続回数か all を指定してください。");
    t.note = a.value("note");
    if (error.isEmpty()) error = ticketProblem(t);
    return t;
}

QString drawnText(const TicketLine& l) {
    return l.result == TicketResult::Pending ? QString() : numberText(l.drawn);
}

QString prizeField(const TicketLine& l) {
    if (l.result == TicketResult::Pending) return QString();
    if (l.prize < 0) return QStringLiteral("unknown");
    return QString::number(l.prize);
}

QJsonObject ticketJson(const Ticket& t) {
    QJsonObject o{
        {QStringLiteral("number"), numberText(t.digits)},
        {QStringLiteral("type"), typeKey(t.type)},
        {QStringLiteral("units"), t.units},
        {QStringLiteral("firstDraw"), t.firstDraw},
        {QStringLiteral("draws"),
         t.draws == kUntilToday ? QJsonValue(QStringLiteral("all")) : QJsonValue(t.draws)}};
    if (t.id) o.insert(QStringLiteral("id"), double(t.id));
    if (!t.note.isEmpty()) o.insert(QStringLiteral("note"), t.note);
    return o;
}

QJsonObject totalsJson(const TicketTotals& s) {
    return QJsonObject{
        {QStringLiteral("spent"), double(s.spent)},
        {QStringLiteral("won"), double(s.won)},
        {QStringLiteral("balance"), double(s.balance())},
        {QStringLiteral("returnPercent"),
         s.returnPercent() < 0 ? QJsonValue() : QJsonValue(s.returnPercent())},
        {QStringLiteral("wins"), s.wins},
        {QStringLiteral("winsWithUnknownPrize"), s.unknownWins},
        {QStringLiteral("pendingDraws"), s.pendingDraws},
        {QStringLiteral("pendingCost"), double(s.pendingCost)},
    };
}

// A sum that stopped at the largest amount is said once, beside the result.
void noteCapped(const TicketTotals& totals) {
    if (totals.capped)
        std::fputs("pirumoa-cli: 金額の合計が大きすぎるため、表せる最大の金額で止めています。\n",
                   stderr);
}

int runCheck(const QCommandLineParser& a) {
    if (a.positionalArguments().size() != 2)
        return badArguments(QStringLiteral("tickets check には番号を 1 つ指定してください。"));
    if (a.isSet("note"))
        return badArguments(QStringLiteral("--note は tickets add にだけ指定できます。"));
    QString error;
    const Ticket t = ticketFrom(a, 1, kUntilToday, error);
    if (!error.isEmpty()) return badArguments(error);
    const DatabaseFile db = databaseFor(a);
    const TicketCheck check =
        checkTicket(t, DrawHistory::fromRows(readDrawTable(db)), loadPrizeTable(db));
    noteCapped(check.totals);
    if (a.value("format") == QLatin1String("json")) {
        QJsonArray lines;
        for (const TicketLine& l : check.lines)
            lines.append(QJsonObject{
                {QStringLiteral("draw"), l.drawNo},
                {QStringLiteral("date"), l.date},
                {QStringLiteral("drawn"), drawnText(l)},
                {QStringLiteral("result"), resultLabel(l.result)},
                {QStringLiteral("prize"), l.result == TicketResult::Pending || l.prize < 0
                                              ? QJsonValue()
                                              : QJsonValue(double(l.prize))}});
        const QJsonObject root{{QStringLiteral("ticket"), ticketJson(t)},
                               {QStringLiteral("draws"), lines},
                               {QStringLiteral("totals"), totalsJson(check.totals)}};
        return writeOut(QJsonDocument(root).toJson(QJsonDocument::Indented));
    }
    QString out = QStringLiteral("draw\tdate\tdrawn\tresult\tprize\n");
    for (const TicketLine& l : check.lines)
        out += QStringList{QString::number(l.drawNo), l.date, drawnText(l), resultLabel(l.result),
                           prizeField(l)}
                   .join(QLatin1Char('\t')) +
               QLatin1Char('\n');
    out += QStringLiteral("total\t%1\t%2\t%3\n")
               .arg(check.totals.spent)
               .arg(check.totals.won)
               .arg(check.totals.balance());
    return writeOut(out.toUtf8());
}

int runList(const QCommandLineParser& a) {
    if (a.positionalArguments().size() != 1)
        return badArguments(QStringLiteral("tickets list には引数を指定できません。"));
    const DatabaseFile db = databaseFor(a);
    const std::vector<Ticket> tickets = loadTickets(db);
    const DrawHistory history = DrawHistory::fromRows(readDrawTable(db));
    const PrizeTable prizes = loadPrizeTable(db);
    TicketTotals all;
    std::vector<TicketTotals> each;
    for (const Ticket& t : tickets) {
        each.push_back(checkTicket(t, history, prizes).totals);
        all += each.back();
    }
    noteCapped(all);
    if (a.value("format") == QLatin1String("json")) {
        QJsonArray list;
        for (std::size_t i = 0; i < tickets.size(); ++i) {
            QJsonObject o = ticketJson(tickets[i]);
            o.insert(QStringLiteral("totals"), totalsJson(each[i]));
            list.append(o);
        }
        return writeOut(QJsonDocument(QJsonObject{{QStringLiteral("tickets"), list},
                                                  {QStringLiteral("totals"), totalsJson(all)}})
                            .toJson(QJsonDocument::Indented));
    }
    QString out =
        QStringLiteral("id\tnumber\ttype\tunits\tfirst_draw\tdraws\tnote\tspent\twon\tbalance\n");
    for (std::size_t i = 0; i < tickets.size(); ++i) {
        const Ticket& t = tickets[i];
        const TicketTotals& s = each[i];
        QString note = t.note;
        note.replace(QLatin1Char('\t'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        out +=
            QStringList{QString::number(t.id),
                        numberText(t.digits),
                        typeKey(t.type),
                        QString::number(t.units),
                        QString::number(t.firstDraw),
                        t.draws == kUntilToday ? QStringLiteral("all") : QString::number(t.draws),
                        note,
                        QString::number(s.spent),
                        QString::number(s.won),
                        QString::number(s.balance())}
                .join(QLatin1Char('\t')) +
            QLatin1Char('\n');
    }
    return writeOut(out.toUtf8());
}

int runAdd(const QCommandLineParser& a) {
    if (a.positionalArguments().size() != 2)
        return badArguments(QStringLiteral("tickets add には番号を 1 つ指定してください。"));
    // The arguments first: a ticket that cannot be bought is refused before the database is
    // opened.
    QString error;
    ticketFrom(a, 1, 1, error);
    if (!error.isEmpty()) return badArguments(error);
    const DatabaseFile db = databaseFor(a);
    // Without --from, the draw to come next, as a slip bought today is.
    const int next = a.value("from").isEmpty() ? loadDrawHistory(db).latestDrawNo + 1 : 1;
    std::vector<Ticket> t{ticketFrom(a, next, 1, error)};
    if (!error.isEmpty()) return badArguments(error);
    DrawStore::open(db)->addTickets(t);
    return writeOut(QStringLiteral("added %1\n").arg(t[0].id).toUtf8());
}

int runRemove(const QCommandLineParser& a) {
    bool ok = false;
    const long long id = a.positionalArguments().value(1).toLongLong(&ok);
    if (a.positionalArguments().size() != 2 || !ok)
        return badArguments(QStringLiteral("tickets remove には ID を 1 つ指定してください。"));
    DrawStore::open(databaseFor(a))->removeTicket(id);
    return writeOut(QStringLiteral("removed %1\n").arg(id).toUtf8());
}

}  // namespace

void setUpTickets(QCommandLineParser& parser) {
    parser.setApplicationDescription(QString::fromUtf8(kTicketsHelp));
    parser.addPositionalArgument("SUBCOMMAND", "check, list, add or remove");
    parser.addPositionalArgument("ARGUMENT", "the NUMBER to check or add, the ID to remove");
    parser.addOption({"db", "the draw database (see below)", "FILE"});
    parser.addOption({"format", "tsv or json, for check and list (default: tsv)", "FORMAT",
                      QStringLiteral("tsv")});
    parser.addOption({"type", "straight, box or set", "TYPE"});
    parser.addOption({"from", "the first draw", "DRAW"});
    parser.addOption({"draws", "consecutive draws, or all up to the latest", "N"});
    parser.addOption({"units", "units a draw, 1 to 10 (default: 1)", "K"});
    parser.addOption({"note", "a note kept with the ticket (add only)", "TEXT"});
}

int runTickets(const QCommandLineParser& a) {
    const QString format = a.value("format");
    if (format != QLatin1String("tsv") && format != QLatin1String("json"))
        return badArguments(QStringLiteral("--format には tsv か json を指定してください。"));
    const QString sub = a.positionalArguments().value(0);
    if (sub == QLatin1String("check")) return runCheck(a);
    if (sub == QLatin1String("add")) return runAdd(a);
    for (const char* option : {"type", "from", "draws", "units", "note"})
        if (a.isSet(QLatin1String(option)))
            return badArguments(
                QStringLiteral("--type、--from、--draws、--units、--note は tickets check と "
                               "tickets add にだけ指定できます。"));
    if (sub == QLatin1String("list")) return runList(a);
    if (sub == QLatin1String("remove")) return runRemove(a);
    return badArguments(
        sub.isEmpty()
            ? QStringLiteral("tickets の後に check、list、add、remove のどれかを指定してください。")
            : QStringLiteral("tickets %1 というコマンドはありません。").arg(sub));
}

}  // namespace pirumoa::cli
