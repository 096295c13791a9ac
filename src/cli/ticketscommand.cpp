// pirumoa-cli tickets: a number checked against the stored draws and prizes, and the tickets
// kept in the database.
#include "cli/ticketscommand.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "core/store/databasefolder.h"
#include "core/store/drawstore.h"
#include "core/tickets/ticket.h"

namespace pirumoa {

namespace {

constexpr int kBadArguments = 2;
constexpr int kFailure = 1;

const char kTicketsUsage[] =
    "usage: pirumoa-cli tickets check NUMBER --type straight|box|set [--from DRAW]\n"
    "                             [--draws N|all] [--units K] [--db FILE] [--format tsv|json]\n"
    "       pirumoa-cli tickets list [--db FILE] [--format tsv|json]\n"
    "       pirumoa-cli tickets add NUMBER --type straight|box|set [--from DRAW]\n"
    "                             [--draws N|all] [--units K] [--note TEXT] [--db FILE]\n"
    "       pirumoa-cli tickets remove ID [--db FILE]\n"
    "check: --from 1 and --draws all unless given; add: the next draw, one draw.\n"
    "TSV: draw, date, drawn, result, prize per draw, then a line total, spent, won, balance.\n";

int usage(const QString& why) {
    std::fprintf(stderr, "pirumoa-cli: %s\n", why.toUtf8().constData());
    std::fputs(kTicketsUsage, stderr);
    return kBadArguments;
}

int fail(const QString& why) {
    std::fprintf(stderr, "pirumoa-cli: %s\n", why.toUtf8().constData());
    return kFailure;
}

int writeOut(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return fail(QStringLiteral("結果を標準出力に書き込めませんでした。"));
    return 0;
}

struct TicketArgs {
    QStringList positional;
    QString db, format = QStringLiteral("tsv"), type, from, draws, units, note;
    bool hasNote = false;
};

bool parse(const QStringList& in, TicketArgs& a, QString& error) {
    for (int i = 0; i < in.size(); ++i) {
        const QString& w = in[i];
        QString* into = w == QLatin1String("--db")       ? &a.db
                        : w == QLatin1String("--format") ? &a.format
                        : w == QLatin1String("--type")   ? &a.type
                        : w == QLatin1String("--from")   ? &a.from
                        : w == QLatin1String("--draws")  ? &a.draws
                        : w == QLatin1String("--units")  ? &a.units
                        : w == QLatin1String("--note")   ? &a.note
                                                         : nullptr;
        if (into) {
            if (i + 1 >= in.size()) {
                error = w + QStringLiteral(" needs a value");
                return false;
            }
            *into = in[++i];
            if (into == &a.note) a.hasNote = true;
        } else if (w.startsWith(QLatin1String("--"))) {
            error = QStringLiteral("unknown option ") + w;
            return false;
        } else {
            a.positional << w;
        }
    }
    return true;
}

DatabaseFile connectFor(const TicketArgs& a) {
    if (a.db.isEmpty()) return databaseFileIn(chooseDatabaseFolder(databasePlaces()));
    const QFileInfo fi(a.db);
    DatabaseFile c = databaseFileIn(fi.absolutePath());
    c.file = fi.absoluteFilePath();
    return c;
}

// The ticket the arguments describe; an empty error when it is one that can be bought.
Ticket ticketFrom(const TicketArgs& a, int defaultFrom, int defaultDraws, QString& error) {
    Ticket t;
    const auto digits = parseTicketNumber(a.positional.value(2));
    if (!digits) {
        error = QStringLiteral("NUMBER is four digits, as 0123");
        return t;
    }
    t.digits = *digits;
    const auto type = parseTicketType(a.type);
    if (!type) {
        error = QStringLiteral("--type is straight, box or set");
        return t;
    }
    t.type = *type;
    bool ok = true;
    t.firstDraw = a.from.isEmpty() ? defaultFrom : a.from.toInt(&ok);
    if (!ok) error = QStringLiteral("--from takes a draw number");
    t.units = a.units.isEmpty() ? 1 : a.units.toInt(&ok);
    if (!ok) error = QStringLiteral("--units takes a number of units");
    if (a.draws.isEmpty())
        t.draws = defaultDraws;
    else if (a.draws == QLatin1String("all"))
        t.draws = kUntilToday;
    else if (t.draws = a.draws.toInt(&ok); !ok || t.draws == kUntilToday)
        error = QStringLiteral("--draws takes a number of draws or all");
    t.note = a.note;
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

int runCheck(const TicketArgs& a) {
    if (a.positional.size() != 3) return usage(QStringLiteral("tickets check takes one NUMBER"));
    if (a.hasNote) return usage(QStringLiteral("--note is for tickets add"));
    QString error;
    const Ticket t = ticketFrom(a, 1, kUntilToday, error);
    if (!error.isEmpty()) return usage(error);
    const DatabaseFile db = connectFor(a);
    const TicketCheck check =
        checkTicket(t, DrawHistory::fromRows(readDrawTable(db)), loadPrizeTable(db));
    if (a.format == QLatin1String("json")) {
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

int runList(const TicketArgs& a) {
    if (a.positional.size() != 2) return usage(QStringLiteral("tickets list takes no name"));
    const DatabaseFile db = connectFor(a);
    const std::vector<Ticket> tickets = loadTickets(db);
    const DrawHistory history = DrawHistory::fromRows(readDrawTable(db));
    const PrizeTable prizes = loadPrizeTable(db);
    if (a.format == QLatin1String("json")) {
        QJsonArray list;
        TicketTotals all;
        for (const Ticket& t : tickets) {
            const TicketTotals s = checkTicket(t, history, prizes).totals;
            all += s;
            QJsonObject o = ticketJson(t);
            o.insert(QStringLiteral("totals"), totalsJson(s));
            list.append(o);
        }
        return writeOut(QJsonDocument(QJsonObject{{QStringLiteral("tickets"), list},
                                                  {QStringLiteral("totals"), totalsJson(all)}})
                            .toJson(QJsonDocument::Indented));
    }
    QString out =
        QStringLiteral("id\tnumber\ttype\tunits\tfirst_draw\tdraws\tnote\tspent\twon\tbalance\n");
    for (const Ticket& t : tickets) {
        const TicketTotals s = checkTicket(t, history, prizes).totals;
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

int runAdd(const TicketArgs& a) {
    if (a.positional.size() != 3) return usage(QStringLiteral("tickets add takes one NUMBER"));
    const DatabaseFile db = connectFor(a);
    QString error;
    // Without --from, the draw to come next, as a slip bought today is.
    const int next = a.from.isEmpty() ? loadDrawHistory(db).latestDrawNo + 1 : 1;
    std::vector<Ticket> t{ticketFrom(a, next, 1, error)};
    if (!error.isEmpty()) return usage(error);
    DrawStore::open(db)->addTickets(t);
    return writeOut(QStringLiteral("added %1\n").arg(t[0].id).toUtf8());
}

int runRemove(const TicketArgs& a) {
    bool ok = false;
    const long long id = a.positional.value(2).toLongLong(&ok);
    if (a.positional.size() != 3 || !ok)
        return usage(QStringLiteral("tickets remove takes one ID"));
    DrawStore::open(connectFor(a))->removeTicket(id);
    return writeOut(QStringLiteral("removed %1\n").arg(id).toUtf8());
}

}  // namespace

int runTicketsCommand(const QStringList& args) {
    TicketArgs a;
    QString error;
    if (!parse(args, a, error)) return usage(error);
    a.positional.prepend(QStringLiteral("tickets"));
    if (a.format != QLatin1String("tsv") && a.format != QLatin1String("json"))
        return usage(QStringLiteral("--format is tsv or json"));
    const QString sub = a.positional.value(1);
    const bool asksTicket =
        !a.type.isEmpty() || !a.from.isEmpty() || !a.draws.isEmpty() || !a.units.isEmpty();
    try {
        if (sub == QLatin1String("check")) return runCheck(a);
        if (sub == QLatin1String("add")) return runAdd(a);
        if (asksTicket || a.hasNote)
            return usage(
                QStringLiteral("--type, --from, --draws, --units and --note are for check "
                               "and add"));
        if (sub == QLatin1String("list")) return runList(a);
        if (sub == QLatin1String("remove")) return runRemove(a);
    } catch (const StoreError& e) {
        return fail(e.message());
    }
    return usage(sub.isEmpty() ? QStringLiteral("tickets needs check, list, add or remove")
                               : QStringLiteral("unknown tickets command ") + sub);
}

}  // namespace pirumoa
