// pirumoa-cli tickets: a number checked against the stored draws and prizes, and the tickets
// kept in the database.
#include "cli/ticketscommand.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <limits>

#include "cli/commandline.h"
#include "core/store/drawstore.h"
#include "core/store/fileerror.h"
#include "core/store/labels.h"
#include "core/tickets/ticket.h"
#include "core/tickets/ticketbook.h"
#include "core/tickets/ticketcsv.h"
#include "core/tickets/ticketimport.h"

namespace pirumoa::cli {

namespace {

const char kTicketsHelp[] =
    "The player's tickets against the stored draws and prizes:\n"
    "  tickets check NUMBER --type straight|box|set [--from DRAW] [--draws N|all | --to DRAW]\n"
    "                [--units K] [--db FILE] [--format tsv|json]\n"
    "  tickets list [--db FILE] [--format tsv|json]\n"
    "  tickets add NUMBER --type straight|box|set [--from DRAW] [--draws N|all | --to DRAW]\n"
    "              [--units K] [--note TEXT] [--db FILE]\n"
    "  tickets remove ID [--db FILE]\n"
    "  tickets import FILE.csv [--dry-run] [--db FILE]\n"
    "  tickets export [--output FILE] [--db FILE]\n"
    "A ticket covers --draws N draws (1 to 32767) from --from, or the draws up to --to, or with\n"
    "--draws all every draw from --from on (bought on and on). Digits may be full-width.\n"
    "check: --from 1 and --draws all unless given; add: the next draw, one draw.\n"
    "TSV: check prints draw, date, drawn, result, prize per draw; list one line a ticket; both\n"
    "end with a line total, spent, won, balance and the wins whose prize is not stored.\n"
    "add and remove print \"added ID\" and \"removed ID\".\n"
    "import adds the tickets of a CSV (number,type,units,first_draw,draws,note) that are not\n"
    "stored yet: identical ones are skipped, similar ones (same number, type and first draw)\n"
    "are added and listed. --dry-run prints that plan and writes nothing.\n"
    "export writes the tickets as that CSV, on stdout or into --output (replaced only when\n"
    "whole); importing it again adds nothing.";

// The ticket the arguments describe; an empty error when it is one that can be bought.
Ticket ticketFrom(const QCommandLineParser& a, int defaultFrom, const QString& defaultDraws,
                  QString& error) {
    if (!a.isSet("type")) {
        error = QStringLiteral("--type に straight、box、set のどれかを指定してください。");
        return Ticket{};
    }
    const bool to = a.isSet("to");
    if (to && a.isSet("draws")) {
        error = QStringLiteral("--draws と --to は、どちらか一方だけを指定してください。");
        return Ticket{};
    }
    const TicketInput input{
        .number = a.positionalArguments().value(1),
        .type = a.value("type"),
        .units = a.isSet("units") ? a.value("units") : QStringLiteral("1"),
        .firstDraw = a.isSet("from") ? a.value("from") : QString::number(defaultFrom),
        .draws = to                 ? QString()
                 : a.isSet("draws") ? a.value("draws")
                                    : defaultDraws,
        .lastDraw = a.value("to"),
        .note = a.value("note")};
    const std::optional<Ticket> t = parseTicketInput(input, error);
    return t ? *t : Ticket{};
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
    QJsonObject o{{QStringLiteral("number"), numberText(t.digits)},
                  {QStringLiteral("type"), typeKey(t.type)},
                  {QStringLiteral("units"), t.units},
                  {QStringLiteral("firstDraw"), t.firstDraw},
                  {QStringLiteral("draws"),
                   t.draws == kOngoing ? QJsonValue(QStringLiteral("all")) : QJsonValue(t.draws)}};
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

// "total", spent, won, balance and the wins whose prize is not stored (not in won).
QString totalLine(const TicketTotals& s) {
    return QStringLiteral("total\t%1\t%2\t%3\t%4\n")
        .arg(s.spent)
        .arg(s.won)
        .arg(s.balance())
        .arg(s.unknownWins);
}

int runCheck(const QCommandLineParser& a) {
    if (a.positionalArguments().size() != 2)
        return badArguments(QStringLiteral("tickets check には番号を 1 つ指定してください。"));
    if (a.isSet("note"))
        return badArguments(QStringLiteral("--note は tickets add にだけ指定できます。"));
    QString error;
    const Ticket t = ticketFrom(a, 1, QStringLiteral("all"), error);
    if (!error.isEmpty()) return badArguments(error);
    const TicketBook book(
        std::make_shared<const DrawHistory>(loadTicketHistory(databaseFor(a), true)));
    const TicketCheck check{book.lines(t), book.totals(t)};
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
    out += totalLine(check.totals);
    return writeOut(out.toUtf8());
}

int runList(const QCommandLineParser& a) {
    if (a.positionalArguments().size() != 1)
        return badArguments(QStringLiteral("tickets list には引数を指定できません。"));
    const DatabaseFile db = databaseFor(a);
    // One read of the file for the tickets, the draws and the prizes (the totals need no dates):
    // the key is derived once.
    std::vector<Ticket> tickets;
    const TicketBook book(
        std::make_shared<const DrawHistory>(loadTicketHistory(db, false, &tickets)));
    TicketTotals all;
    std::vector<TicketTotals> each;
    each.reserve(tickets.size());
    for (const Ticket& t : tickets) {
        each.push_back(book.totals(t));
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
    QString out = QStringLiteral(
        "id\tnumber\ttype\tunits\tfirst_draw\tdraws\tnote\tspent\twon\tbalance\tunknown_wins\n");
    for (std::size_t i = 0; i < tickets.size(); ++i) {
        const Ticket& t = tickets[i];
        const TicketTotals& s = each[i];
        QString note = t.note;
        note.replace(QLatin1Char('\t'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        out += QStringList{QString::number(t.id),
                           numberText(t.digits),
                           typeKey(t.type),
                           QString::number(t.units),
                           QString::number(t.firstDraw),
                           t.draws == kOngoing ? QStringLiteral("all") : QString::number(t.draws),
                           note,
                           QString::number(s.spent),
                           QString::number(s.won),
                           QString::number(s.balance()),
                           QString::number(s.unknownWins)}
                   .join(QLatin1Char('\t')) +
               QLatin1Char('\n');
    }
    // The total under the columns it sums.
    out += QStringLiteral("total\t\t\t\t\t\t\t%1\t%2\t%3\t%4\n")
               .arg(all.spent)
               .arg(all.won)
               .arg(all.balance())
               .arg(all.unknownWins);
    return writeOut(out.toUtf8());
}

int runAdd(const QCommandLineParser& a) {
    if (a.positionalArguments().size() != 2)
        return badArguments(QStringLiteral("tickets add には番号を 1 つ指定してください。"));
    // The arguments first: a ticket that cannot be bought is refused before the database is
    // opened.
    QString error;
    ticketFrom(a, 1, QStringLiteral("1"), error);
    if (!error.isEmpty()) return badArguments(error);
    const DatabaseFile db = databaseFor(a);
    // Without --from, the draw to come next, as a slip bought today is.
    const int next = a.value("from").isEmpty() ? loadDrawHistory(db).latestDrawNo + 1 : 1;
    std::vector<Ticket> t{ticketFrom(a, next, QStringLiteral("1"), error)};
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

int runImport(const QCommandLineParser& a) {
    if (a.positionalArguments().size() != 2)
        return badArguments(
            QStringLiteral("tickets import には購入数字の CSV ファイルを 1 つ指定してください。"));
    const DatabaseFile db = databaseFor(a);
    const std::vector<Ticket> incoming = readTicketFile(a.positionalArguments()[1]);
    if (a.isSet("dry-run")) {
        const TicketImportPlan plan = planTicketImport(loadTickets(db), incoming);
        return writeOut((ticketImportSummary(plan, std::numeric_limits<int>::max()) +
                         QStringLiteral("--dry-run のため、何も書き込んでいません。\n"))
                            .toUtf8());
    }
    const TicketImportPlan plan = DrawStore::open(db)->importTickets(incoming);
    return writeOut(
        (ticketImportSummary(plan, std::numeric_limits<int>::max()) +
         (plan.toAdd.empty()
              ? QStringLiteral("取り込む購入数字はありません。\n")
              : QStringLiteral("購入数字を %1 件取り込みました。\n").arg(plan.toAdd.size())))
            .toUtf8());
}

int runExport(const QCommandLineParser& a) {
    if (a.positionalArguments().size() != 1)
        return badArguments(QStringLiteral(
            "tickets export にはファイルを指定できません（書き出し先は --output で指定します）。"));
    const QByteArray csv = writeTicketCsv(loadTickets(databaseFor(a)));
    const QString output = a.value("output");
    if (output.isEmpty()) return writeOut(csv);
    // Written aside and put in place only when whole: an older copy survives any failure.
    const QString reason = writeFileAtomically(output, csv);
    if (!reason.isEmpty())
        return failure(QStringLiteral("購入数字を CSV ファイル%1に書き出せませんでした。%2")
                           .arg(quoted(output), reason));
    return 0;
}

}  // namespace

void setUpTickets(QCommandLineParser& parser) {
    parser.setApplicationDescription(QString::fromUtf8(kTicketsHelp));
    parser.addPositionalArgument("SUBCOMMAND", "check, list, add, remove, import or export");
    parser.addPositionalArgument(
        "ARGUMENT", "the NUMBER to check or add, the ID to remove, the FILE to import");
    parser.addOption({"db", "the draw database (see below)", "FILE"});
    parser.addOption({"format", "tsv or json, for check and list (default: tsv)", "FORMAT",
                      QStringLiteral("tsv")});
    parser.addOption({"type", "straight, box or set", "TYPE"});
    parser.addOption({"from", "the first draw", "DRAW"});
    parser.addOption(
        {"draws", "consecutive draws, 1 to 32767, or all: every draw on (bought on and on)", "N"});
    parser.addOption({"to", "the last draw, instead of --draws", "DRAW"});
    parser.addOption({"units", "units a draw, 1 to 10 (default: 1)", "K"});
    parser.addOption({"note", "a note kept with the ticket (add only)", "TEXT"});
    parser.addOption({"dry-run", "import: print what would be added and skipped; write nothing"});
    parser.addOption({"output",
                      "export: write into FILE, replacing it only when whole (default: stdout)",
                      "FILE"});
}

int runTickets(const QCommandLineParser& a) {
    const QString format = a.value("format");
    if (format != QLatin1String("tsv") && format != QLatin1String("json"))
        return badArguments(QStringLiteral("--format には tsv か json を指定してください。"));
    const QString sub = a.positionalArguments().value(0);
    if (a.isSet("dry-run") && sub != QLatin1String("import"))
        return badArguments(QStringLiteral("--dry-run は tickets import にだけ指定できます。"));
    if (a.isSet("output") && sub != QLatin1String("export"))
        return badArguments(QStringLiteral("--output は tickets export にだけ指定できます。"));
    if (sub == QLatin1String("check")) return runCheck(a);
    if (sub == QLatin1String("add")) return runAdd(a);
    for (const char* option : {"type", "from", "draws", "to", "units", "note"})
        if (a.isSet(QLatin1String(option)))
            return badArguments(
                QStringLiteral("--type、--from、--draws、--to、--units、--note は tickets check "
                               "と tickets add にだけ指定できます。"));
    if (sub == QLatin1String("list")) return runList(a);
    if (sub == QLatin1String("remove")) return runRemove(a);
    if (a.isSet("format") && (sub == QLatin1String("import") || sub == QLatin1String("export")))
        return badArguments(
            QStringLiteral("--format は tickets check と tickets list にだけ"
                           "指定できます。"));
    if (sub == QLatin1String("import")) return runImport(a);
    if (sub == QLatin1String("export")) return runExport(a);
    return badArguments(
        sub.isEmpty() ? QStringLiteral("tickets の後に check、list、add、remove、import、export "
                                       "のどれかを指定してください。")
                      : QStringLiteral("tickets %1 というコマンドはありません。").arg(sub));
}

}  // namespace pirumoa::cli
