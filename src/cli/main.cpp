// pirumoa-cli: the draw database and the windows' grids from a shell.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/analysis/windowtable.h"
#include "core/prediction/backtest.h"
#include "core/prediction/predictionsheets.h"
#include "core/sheet/sheetformat.h"
#include "core/store/databasefolder.h"
#include "core/store/drawcsv.h"
#include "core/store/drawstore.h"
#include "core/store/fileerror.h"
#include "paint/look.h"
#include "paint/sheetexport.h"

using namespace pirumoa;

namespace {

constexpr int kBadArguments = 2;
constexpr int kFailure = 1;

const char kUsage[] =
    "usage: pirumoa-cli import FILE.csv [--db FILE] [--replace]\n"
    "       pirumoa-cli export [--db FILE]\n"
    "       pirumoa-cli windows\n"
    "       pirumoa-cli sheet WINDOW [--db FILE] [--format tsv|json|csv|pdf] [--output FILE]\n"
    "                               [--reflect 0,3,5]\n"
    "       pirumoa-cli backtest [--db FILE] [--reflect 0,3,5] [--format tsv|json]\n"
    "Without --db: the Numbers4Pirumoa.mdb beside pirumoa-cli, else the user's own\n"
    "(~/.local/share/pirumoa/, made from the installed sample on first use).\n";

int usage(const QString& why) {
    if (!why.isEmpty()) std::fprintf(stderr, "pirumoa-cli: %s\n", qPrintable(why));
    std::fputs(kUsage, stderr);
    return kBadArguments;
}

int fail(const QString& why) {
    std::fprintf(stderr, "pirumoa-cli: %s\n", why.toUtf8().constData());
    return kFailure;
}

// Writes the result to standard output; a full disk or a closed pipe is a failure, not a
// half-written file reported as done.
int writeOut(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return fail(QStringLiteral("結果を標準出力に書き込めませんでした。"));
    return 0;
}

struct Args;
int writeSheets(const Args& args, const WindowInfo& w, const std::vector<const Sheet*>& sheets);

struct Args {
    QStringList positional;
    QString db;
    QString format = QStringLiteral("tsv");
    QString output;
    QString reflect;
    bool replace = false;
};

// Parses "--db FILE", "--format F", "--reflect L", "--replace"; false on anything unknown.
bool parseArgs(const QStringList& in, Args& args, QString& error) {
    for (int i = 0; i < in.size(); ++i) {
        const QString& a = in[i];
        auto value = [&](QString& into) {
            if (i + 1 >= in.size()) {
                error = a + QStringLiteral(" needs a value");
                return false;
            }
            into = in[++i];
            return true;
        };
        if (a == QLatin1String("--db")) {
            if (!value(args.db)) return false;
        } else if (a == QLatin1String("--format")) {
            if (!value(args.format)) return false;
        } else if (a == QLatin1String("--output")) {
            if (!value(args.output)) return false;
        } else if (a == QLatin1String("--reflect")) {
            if (!value(args.reflect)) return false;
        } else if (a == QLatin1String("--replace")) {
            args.replace = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            error = QStringLiteral("unknown option ") + a;
            return false;
        } else {
            args.positional << a;
        }
    }
    return true;
}

// Without --db, the database the desktop program uses (chooseDatabaseFolder).
DatabaseFile connectFor(const Args& args) {
    if (args.db.isEmpty()) return databaseFileIn(chooseDatabaseFolder(databasePlaces()));
    QFileInfo fi(args.db);
    DatabaseFile c = databaseFileIn(fi.absolutePath());
    c.file = fi.absoluteFilePath();
    return c;
}

int runImport(const Args& args) {
    if (args.positional.size() != 2) return usage(QStringLiteral("import takes one CSV file"));
    const ImportResult r = importDrawCsv(args.positional[1], connectFor(args), args.replace);
    if (!r.conflicts.empty()) {
        return fail(
            QStringLiteral("既に登録されている回と数字が異なります（%1）。"
                           "置き換えるには --replace を付けてください。何も変更していません。")
                .arg(drawList(r.conflicts)));
    }
    return writeOut(QStringLiteral("added %1, skipped %2, replaced %3\n")
                        .arg(r.added)
                        .arg(r.skipped)
                        .arg(r.replaced)
                        .toUtf8());
}

int runExport(const Args& args) {
    if (args.positional.size() != 1) return usage(QStringLiteral("export takes no file"));
    // The table, not the view: the view has no draw dates, and export must keep them.
    return writeOut(writeDrawCsv(readDrawTable(connectFor(args))));
}

int runWindows() {
    for (const WindowInfo& w : windowTable())
        if (hasSheets(w)) std::printf("%s\n", w.objectName.toUtf8().constData());
    return 0;
}

// The grids in the asked format: on standard output, or for a PDF in the --output file.
int writeSheets(const Args& args, const WindowInfo& w, const std::vector<const Sheet*>& sheets) {
    if (args.format == QLatin1String("pdf")) {
        const QString error = writeSheetsPdf(sheets, w.caption, args.output);
        if (!error.isEmpty())
            return fail(QStringLiteral("PDFファイル「%1」を書き込めませんでした。%2")
                            .arg(shownName(args.output), error));
        return 0;
    }
    // Written as it is made: a long grid's JSON is hundreds of megabytes.
    ByteSink out(stdout);
    if (args.format == QLatin1String("json"))
        writeSheetsJson(w.objectName, sheets, out);
    else if (args.format == QLatin1String("csv"))
        writeSheetsCsv(sheets, out);
    else
        writeSheetsTsv(sheets, out);
    if (!out.finish()) return fail(QStringLiteral("結果を標準出力に書き込めませんでした。"));
    return 0;
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
int runPredictionSheet(const Args& args, const WindowInfo& w) {
    ReflectOptions options;
    if (!parseReflect(args.reflect, options))
        return usage(QStringLiteral("--reflect takes option numbers 0 to 9 separated by commas"));
    const DrawHistory history = loadDrawHistory(connectFor(args));
    Prediction prediction;
    prediction.setReflectOptions(options);
    PredictionSheets grids;
    loadPrediction(history, prediction, grids);
    std::vector<const Sheet*> sheets;
    for (const Sheet& s : grids) sheets.push_back(&s);
    return writeSheets(args, w, sheets);
}

// The prediction replayed over the whole history, each method's hits beside chance. Like the
// prediction's sheet, the options come from --reflect only.
int runBacktest(const Args& args, const WindowInfo* window = nullptr) {
    ReflectOptions options;
    if (!parseReflect(args.reflect, options))
        return usage(QStringLiteral("--reflect takes option numbers 0 to 9 separated by commas"));
    const bool json = args.format == QLatin1String("json");
    const DrawHistory history = loadDrawHistory(connectFor(args));
    Backtest backtest(history, options);
    backtest.run();
    if (window) {  // the window's grid
        Sheet sheet;
        fillBacktestSheet(backtest, sheet);
        return writeSheets(args, *window, {&sheet});
    }
    return writeOut(json ? backtestToJson(backtest) : backtestToTsv(backtest));
}

int runSheet(const Args& args) {
    if (args.positional.size() != 2) return usage(QStringLiteral("sheet takes one window name"));
    static const QStringList formats{"tsv", "json", "csv", "pdf"};
    if (!formats.contains(args.format))
        return usage(QStringLiteral("--format is tsv, json, csv or pdf"));
    if ((args.format == QLatin1String("pdf")) != !args.output.isEmpty())
        return usage(QStringLiteral("--output FILE goes with --format pdf, and only with it"));
    const WindowInfo* w = findWindow(args.positional[1]);
    if (!w || !hasSheets(*w)) return usage(QStringLiteral("no such window: ") + args.positional[1]);
    if (w->kind == WindowKind::Prediction) return runPredictionSheet(args, *w);
    if (w->kind == WindowKind::Backtest) return runBacktest(args, w);
    if (!args.reflect.isEmpty())
        return usage(QStringLiteral("--reflect is for the prediction window"));

    const DrawHistory history = loadDrawHistory(connectFor(args));
    Sheet sheet;
    w->fill(history, sheet);
    if (!sheet.error().isEmpty()) return fail(sheet.error());
    const std::vector<const Sheet*> sheets{&sheet};
    return writeSheets(args, *w, sheets);
}

}  // namespace

int main(int argc, char** argv) {
    // A PDF needs fonts, and so a GUI application, but never a display.
    bool pdf = false;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--format") == 0 && std::strcmp(argv[i + 1], "pdf") == 0)
            pdf = true;
    if (pdf) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application(pdf ? new QGuiApplication(argc, argv)
                                                      : new QCoreApplication(argc, argv));
    QCoreApplication& app = *application;
    if (pdf) installFonts();
    // The desktop program's name: without --db both use the same user's data folder.
    QCoreApplication::setApplicationName(QLatin1String(kApplicationName));
    Args args;
    QString error;
    if (!parseArgs(app.arguments().mid(1), args, error)) return usage(error);
    if (args.positional.isEmpty()) return usage(QString());
    const QString& command = args.positional[0];
    try {
        if (command == QLatin1String("import")) return runImport(args);
        if (command == QLatin1String("export")) return runExport(args);
        if (command == QLatin1String("windows")) return runWindows();
        if (command == QLatin1String("sheet")) return runSheet(args);
        if (command == QLatin1String("backtest")) {
            if (args.positional.size() != 1) return usage(QStringLiteral("backtest takes no name"));
            if (args.format != QLatin1String("tsv") && args.format != QLatin1String("json"))
                return usage(QStringLiteral("--format is tsv or json"));
            return runBacktest(args);
        }
    } catch (const StoreError& e) {
        return fail(e.message());
    }
    return usage(QStringLiteral("unknown command ") + command);
}
