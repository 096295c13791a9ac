// pirumoa-cli: the draw database and the windows' grids from a shell.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cstdio>
#include <memory>

#include "cli/backupcommands.h"
#include "cli/commandline.h"
#include "cli/importcommand.h"
#include "cli/pdfoutput.h"
#include "cli/ticketscommand.h"
#include "cli/updatecommand.h"
#include "core/analysis/windowtable.h"
#include "core/prediction/backtestsheets.h"
#include "core/prediction/predictionsheets.h"
#include "core/sheet/sheetformat.h"
#include "core/stats/outlook.h"
#include "core/store/backups.h"
#include "core/store/databasefolder.h"
#include "core/store/drawcsv.h"
#include "core/store/drawstore.h"
#include "core/store/fileerror.h"
#include "core/store/labels.h"

using namespace pirumoa;
using namespace pirumoa::cli;

namespace {

const char kFooter[] =
    "Without --db: the Numbers4Pirumoa.mdb beside pirumoa-cli, else the user's own\n"
    "(~/.local/share/pirumoa/, made from the installed sample on first use).\n";

// The options that several commands share, each made where a command sets up its parser.
void addDatabase(QCommandLineParser& parser) {
    parser.addOption({"db", "the draw database (see below)", "FILE"});
}

void addReflect(QCommandLineParser& parser) {
    parser.addOption(
        {"reflect", "the prediction options that are on, e.g. 0,3,5 (default: none)", "LIST"});
}

void addFormat(QCommandLineParser& parser, const QString& formats) {
    parser.addOption({"format", QStringLiteral("%1 (default: tsv)").arg(formats), "FORMAT",
                      QStringLiteral("tsv")});
}

void setUpImport(QCommandLineParser& parser) {
    parser.addPositionalArgument("FILE.csv", "the draws to add (a results file: see the help)");
    addDatabase(parser);
    parser.addOption({"replace", "replace stored draws whose digits, date or prizes differ"});
    parser.addOption({"dry-run", "print what the file holds and how it compares; write nothing"});
    parser.addOption({"format",
                      "text: the counts in Japanese for people (default); tsv: for scripts, the "
                      "line added, skipped, replaced, completed and the line of their counts, "
                      "TAB-separated",
                      "FORMAT", QStringLiteral("text")});
}

int runImport(const QCommandLineParser& args) {
    if (args.positionalArguments().size() != 1)
        return badArguments(QStringLiteral("import には CSV ファイルを 1 つ指定してください。"));
    const QString format = args.value("format");
    if (format != QLatin1String("text") && format != QLatin1String("tsv"))
        return badArguments(QStringLiteral("--format には text か tsv を指定してください。"));
    return runImportCommand(
        args.positionalArguments()[0], databaseFor(args), args.isSet("replace"),
        args.isSet("dry-run"),
        format == QLatin1String("tsv") ? ImportReport::Tsv : ImportReport::Text);
}

void setUpExport(QCommandLineParser& parser) {
    addDatabase(parser);
    parser.addOption(
        {"output", "write into FILE, replacing it only when whole (default: stdout)", "FILE"});
}

int runExport(const QCommandLineParser& args) {
    if (!args.positionalArguments().isEmpty())
        return badArguments(QStringLiteral(
            "export にはファイルを指定できません（書き出し先は --output で指定します）。"));
    return runExportCommand(databaseFor(args), args.value("output"));
}

void setUpWindows(QCommandLineParser&) {}

int runWindows(const QCommandLineParser& args) {
    if (!args.positionalArguments().isEmpty())
        return badArguments(QStringLiteral("windows には引数を指定できません。"));
    for (const WindowInfo& w : windowTable())
        if (hasSheets(w)) std::printf("%s\n", w.objectName.toUtf8().constData());
    return 0;
}

// The grids in the asked format: on standard output, or for a PDF in the --output file.
int writeSheets(const QCommandLineParser& args, const WindowInfo& w,
                const std::vector<const Sheet*>& sheets) {
    const QString format = args.value("format");
    if (format == QLatin1String("pdf")) {
        const QString output = args.value("output");
        const QString error = writePdf(sheets, w.caption, output);
        if (!error.isEmpty())
            return failure(QStringLiteral("PDFファイル%1を書き込めませんでした。%2")
                               .arg(quoted(output), error));
        return 0;
    }
    // Written as it is made: a long grid's JSON is hundreds of megabytes.
    ByteSink out(stdout);
    if (format == QLatin1String("json"))
        writeSheetsJson(w.objectName, sheets, out);
    else if (format == QLatin1String("csv"))
        writeSheetsCsv(sheets, out);
    else
        writeSheetsTsv(sheets, out);
    if (!out.finish()) return failure(QStringLiteral("結果を標準出力に書き込めませんでした。"));
    return 0;
}

int badReflect() {
    return badArguments(QStringLiteral(
        "--reflect には予想オプションの番号 0～9 をカンマ区切りで指定してください。"));
}

// "0,3,5": the options that are on. False for anything but indices 0 … 9.
bool parseReflect(const QString& list, ReflectOptions& options) {
    options.fill(false);
    if (list.isEmpty()) return true;
    for (const QString& part : list.split(QLatin1Char(','))) {
        bool ok = false;
        const int index = part.trimmed().toInt(&ok);
        if (!ok || index < 0 || index >= kReflectOptionCount) return false;
        options[index] = true;
    }
    return true;
}

// The prediction window's four grids, computed as the window computes them on loading. The
// options come from --reflect only: the options file belongs to the desktop program.
int runPredictionSheet(const QCommandLineParser& args, const WindowInfo& w) {
    ReflectOptions options;
    if (!parseReflect(args.value("reflect"), options)) return badReflect();
    const PredictionSheets grids =
        predictionSheets(predict(loadDrawHistory(databaseFor(args)), options));
    std::vector<const Sheet*> sheets;
    for (const Sheet& s : grids) sheets.push_back(&s);
    return writeSheets(args, w, sheets);
}

// The prediction replayed over the whole history, each method's hits beside chance. Like the
// prediction's sheet, the options come from --reflect only.
int runBacktestOn(const QCommandLineParser& args, const WindowInfo* window) {
    ReflectOptions options;
    if (!parseReflect(args.value("reflect"), options)) return badReflect();
    const bool json = args.value("format") == QLatin1String("json");
    // The bets in yen at the prizes the database holds, read with the draws.
    PrizeTable prizes;
    Backtest backtest(
        std::make_shared<const DrawHistory>(loadDrawHistory(databaseFor(args), &prizes)), options);
    backtest.run();
    if (window) {  // the window's grid
        Sheet sheet;
        fillBacktestSheet(backtest, sheet);
        return writeSheets(args, *window, {&sheet});
    }
    return writeOut(json ? backtestToJson(backtest, prizes) : backtestToTsv(backtest, prizes));
}

void setUpBacktest(QCommandLineParser& parser) {
    addDatabase(parser);
    addReflect(parser);
    addFormat(parser, QStringLiteral("tsv or json"));
}

int runBacktest(const QCommandLineParser& args) {
    if (!args.positionalArguments().isEmpty())
        return badArguments(QStringLiteral("backtest には引数を指定できません。"));
    const QString format = args.value("format");
    if (format != QLatin1String("tsv") && format != QLatin1String("json"))
        return badArguments(QStringLiteral("--format には tsv か json を指定してください。"));
    return runBacktestOn(args, nullptr);
}

void setUpSheet(QCommandLineParser& parser) {
    parser.addPositionalArgument("WINDOW", "the window's object name (see: pirumoa-cli windows)");
    addDatabase(parser);
    addFormat(parser, QStringLiteral("tsv, json, csv or pdf"));
    parser.addOption({"output", "the PDF file (with --format pdf only)", "FILE"});
    addReflect(parser);
}

int runSheet(const QCommandLineParser& args) {
    if (args.positionalArguments().size() != 1)
        return badArguments(QStringLiteral("sheet にはウィンドウ名を 1 つ指定してください。"));
    static const QStringList formats{"tsv", "json", "csv", "pdf"};
    const QString format = args.value("format");
    if (!formats.contains(format))
        return badArguments(
            QStringLiteral("--format には tsv、json、csv、pdf のどれかを指定してください。"));
    if ((format == QLatin1String("pdf")) != !args.value("output").isEmpty())
        return badArguments(QStringLiteral(
            "--format pdf には --output FILE が要り、ほかの形式には --output を指定できません。"));
    const QString name = args.positionalArguments()[0];
    const WindowInfo* w = findWindow(name);
    if (!w || !hasSheets(*w))
        return badArguments(
            QStringLiteral(
                "%1 というウィンドウはありません。一覧は pirumoa-cli windows で見られます。")
                .arg(name));
    if (w->kind == WindowKind::Prediction) return runPredictionSheet(args, *w);
    if (w->kind == WindowKind::Backtest) return runBacktestOn(args, w);
    if (!args.value("reflect").isEmpty())
        return badArguments(
            QStringLiteral("--reflect は予想のウィンドウとバックテストにだけ指定できます。"));

    const DrawHistory history = loadDrawHistory(databaseFor(args));
    Sheet sheet;
    w->fill(history, sheet);
    if (!sheet.error().isEmpty()) return failure(sheet.error());
    const std::vector<const Sheet*> sheets{&sheet};
    return writeSheets(args, *w, sheets);
}

void setUpUpdate(QCommandLineParser& parser) {
    addDatabase(parser);
    parser.addOption({"source",
                      "a results feed: an API base ending in /, or a results file (CSV, TSV, "
                      "JSON); may be given several times (default: the settings' sources)",
                      "URL"});
    parser.addOption({"dry-run", "print what would be stored; write nothing"});
    parser.addOption({"replace", "replace stored draws that the sources give otherwise"});
    parser.addOption({"timeout",
                      "end a transfer that makes no progress for this long (default: 30)",
                      "SECONDS", QStringLiteral("30")});
}

// Backups, restore and salvage (backupcommands.h does the work).
void setUpBackups(QCommandLineParser& parser) { addDatabase(parser); }

int runBackups(const QCommandLineParser& args) {
    if (!args.positionalArguments().isEmpty())
        return badArguments(QStringLiteral("backups には引数を指定できません。"));
    return runBackupsCommand(databaseFor(args));
}

void setUpRestore(QCommandLineParser& parser) {
    parser.addPositionalArgument("BACKUP", "a backup file, or its name in the backups folder");
    addDatabase(parser);
}

int runRestore(const QCommandLineParser& args) {
    if (args.positionalArguments().size() != 1)
        return badArguments(QStringLiteral("restore にはバックアップを 1 つ指定してください。"));
    return runRestoreCommand(databaseFor(args), args.positionalArguments()[0]);
}

void setUpRecover(QCommandLineParser& parser) {
    parser.addOption({"db", "the damaged database", "FILE"});
    parser.addOption({"output", "the CSV file to write", "OUT.csv"});
}

int runRecover(const QCommandLineParser& args) {
    if (!args.positionalArguments().isEmpty() || args.value("db").isEmpty() ||
        args.value("output").isEmpty())
        return badArguments(
            QStringLiteral("recover には --db FILE と --output OUT.csv を指定してください。"));
    return runRecoverCommand(databaseFor(args), args.value("output"));
}

// The expected prize of numbers if they win, from the prizes stored in the database.
void setUpOutlook(QCommandLineParser& parser) {
    parser.addPositionalArgument("NUMBER", "four digits, 0000 to 9999; any number of them",
                                 "NUMBER...");
    addDatabase(parser);
    addFormat(parser, QStringLiteral("tsv or json"));
}

QJsonValue outlookJson(const OutlookLine& l) {
    if (!l.available) return QJsonValue();
    QJsonArray moved;
    for (const OutlookFeature& f : l.moved)
        moved.append(QJsonObject{{"feature", f.label}, {"factor", f.factor}});
    return QJsonObject{{"yen", double(l.yen)},    {"ratio", l.ratio},          {"return", l.rate},
                       {"return_low", l.rateLow}, {"return_high", l.rateHigh}, {"features", moved}};
}

int runOutlook(const QCommandLineParser& args) {
    const QString format = args.value("format");
    if (format != QLatin1String("tsv") && format != QLatin1String("json"))
        return badArguments(QStringLiteral("--format には tsv か json を指定してください。"));
    const QStringList numbers = args.positionalArguments();
    if (numbers.isEmpty())
        return badArguments(
            QStringLiteral("outlook には 4 けたの数字を 1 つ以上指定してください。"));
    for (const QString& n : numbers) {
        bool digits = n.size() == 4;
        for (QChar c : n) digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!digits)
            return badArguments(
                QStringLiteral("%1 は 4 けたの数字（0000～9999）ではありません。").arg(n));
    }
    const OutlookModel model = OutlookModel::fit(loadHistory(databaseFor(args), true));
    if (!model.ready()) return failure(outlookTooFew(model.drawsUsed()));

    auto fixed = [](double v) { return QString::number(v, 'f', 3); };
    if (format == QLatin1String("json")) {
        QJsonArray list;
        for (const QString& n : numbers) {
            const NumberOutlook o = model.outlook(n.toInt());
            list.append(QJsonObject{
                {"number", n}, {"straight", outlookJson(o.straight)}, {"box", outlookJson(o.box)}});
        }
        const QJsonObject root{{"draws_with_prizes", model.drawsUsed()},
                               {"note", outlookSameChance()},
                               {"numbers", list}};
        return writeOut(QJsonDocument(root).toJson(QJsonDocument::Indented));
    }
    QString out = QStringLiteral(
        "number\tstraight_yen\tstraight_ratio\tstraight_return\tbox_yen\tbox_ratio\tbox_return\n");
    for (const QString& n : numbers) {
        const NumberOutlook o = model.outlook(n.toInt());
        QStringList cells{n, QString::number(o.straight.yen), fixed(o.straight.ratio),
                          fixed(o.straight.rate)};
        if (o.box.available)
            cells << QString::number(o.box.yen) << fixed(o.box.ratio) << fixed(o.box.rate);
        else
            cells << QString() << QString() << QString();
        out += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return writeOut(out.toUtf8());
}

// The commands, in the order the usage lists them.
const Command kCommands[] = {
    {"import", "FILE.csv [--db FILE] [--replace] [--dry-run] [--format text|tsv]",
     "Adds the draws of a results file (all or nothing), saying first what it holds.", setUpImport,
     runImport},
    {"export", "[--db FILE] [--output FILE]",
     "Writes the draws, with their prizes where known, as CSV to standard output or a file.",
     setUpExport, runExport},
    {"windows", "", "Lists the windows that sheet can print.", setUpWindows, runWindows},
    {"sheet", "WINDOW [--db FILE] [--format tsv|json|csv|pdf] [--output FILE] [--reflect 0,3,5]",
     "Prints a window's grid as the window shows it.", setUpSheet, runSheet},
    {"backtest", "[--db FILE] [--reflect 0,3,5] [--format tsv|json]",
     "Replays the prediction over the history: each method's hits beside chance.", setUpBacktest,
     runBacktest},
    {"tickets", "check|list|add|remove|import|export [NUMBER|ID|FILE] [--db FILE] [options]",
     "The player's tickets: checked against the draws, listed, added, removed, imported from "
     "and exported to CSV.",
     setUpTickets, runTickets},
    {"outlook", "NUMBER... [--db FILE] [--format tsv|json]",
     "The expected prize of each number if it wins, learned from the stored prizes.", setUpOutlook,
     runOutlook},
    {"backups", "[--db FILE]", "Lists the backups of the database, newest first.", setUpBackups,
     runBackups},
    {"restore", "BACKUP [--db FILE]",
     "Puts a backup in place of the database, keeping the current one as a backup.", setUpRestore,
     runRestore},
    {"update", "[--db FILE] [--source URL]... [--dry-run] [--replace] [--timeout SECONDS]",
     "Fetches the latest results and prizes from the results feeds, cross-checked, and checks "
     "the tickets. Exit 3: draws held back because the sources disagree.",
     setUpUpdate, runUpdate},
    {"recover", "--db FILE --output OUT.csv",
     "Writes every draw that can still be read from a damaged database as CSV.", setUpRecover,
     runRecover},
};

}  // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> application = makeApplication(argc, argv);
    // The desktop program's name: without --db both use the same user's data folder.
    QCoreApplication::setApplicationName(QLatin1String(kApplicationName));
    QCoreApplication::setApplicationVersion(QStringLiteral(PIRUMOA_VERSION));
    // A backup that fails before a write is told once; the write goes on.
    setBackupWarningHandler([](const QString& message) {
        std::fprintf(stderr, "pirumoa-cli: %s\n", message.toUtf8().constData());
    });
    // tickets has subcommands and options of its own.
    int code = 0;
    try {
        code = runCommandLine(application->arguments(), kCommands, QString::fromUtf8(kFooter));
    } catch (const StoreError& e) {
        code = failure(e.message());
    }
    // The run's backup may still be on its way to the disk.
    finishBackupChecks();
    return code;
}
