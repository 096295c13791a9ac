// pirumoa-cli update, run by pirumoa-cli-net.
#include "cli/updatecommand.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSettings>
#include <cstdio>

#include "cli/commandline.h"
#include "core/store/historydocument.h"
#include "core/store/labels.h"
#include "core/store/resultsupdate.h"
#include "net/updatereader.h"

namespace pirumoa::cli {

namespace {

void say(std::FILE* to, const QString& line) {
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), to);
}

}  // namespace

int runUpdate(const QCommandLineParser& args) {
    if (!args.positionalArguments().isEmpty())
        return badArguments(
            QStringLiteral("update には --source などのオプションだけを指定できます。"));
    bool number = false;
    const int timeout = args.value("timeout").toInt(&number);
    if (!number || timeout < 1 || timeout > 3600)
        return badArguments(QStringLiteral("--timeout には 1～3600 の秒数を指定してください。"));
    QStringList sources = args.values("source");
    if (sources.isEmpty()) {
        // The desktop program's settings.
        QCoreApplication::setOrganizationName(QCoreApplication::applicationName());
        QSettings settings;
        settings.beginGroup(QLatin1String(kUpdateGroup));
        sources = settings.value(QLatin1String(kSourcesKey), defaultUpdateSources()).toStringList();
        if (sources.isEmpty()) sources = defaultUpdateSources();
    }

    HistoryDocument document;
    document.open(databaseFor(args));
    const HistorySnapshot before = document.snapshot();
    UpdateReader reader;
    reader.setTimeout(timeout);
    QEventLoop loop;
    QObject::connect(&reader, &UpdateReader::finished, &loop, &QEventLoop::quit);
    reader.start(sources, *before);
    loop.exec();

    for (const SourceOutcome& o : reader.outcomes())
        if (!o.ok) say(stderr, QStringLiteral("pirumoa-cli: %1").arg(o.error));
    if (!reader.anyRead())
        return failure(
            QStringLiteral("当せん番号を取得できませんでした。データベースは変更して"
                           "いません。"));
    if (reader.allUpToDate()) {
        say(stdout, QStringLiteral("最新です"));
        return 0;
    }

    const UpdatePlan plan = planUpdate(*before, reader.sourceDraws());
    for (const QString& line : heldBackLines(plan)) say(stderr, line);
    for (const QString& line : leftOutPrizeLines(plan)) say(stderr, line);
    for (const QString& line : differingLines(plan))
        say(stderr,
            args.isSet("replace") ? line : line + QStringLiteral("（--replace で置き換えます）"));
    std::vector<int> replace;
    if (args.isSet("replace"))
        for (const DifferingDraw& d : plan.differing) replace.push_back(d.stored.draw.no);

    std::vector<int> decided;
    QStringList lines;
    for (const ImportedDraw& d : plan.added) {
        lines << QStringLiteral("追加 %1").arg(drawValueText(d));
        decided.push_back(d.draw.no);
    }
    for (const DifferingDraw& d : plan.differing) {
        if (replace.empty()) break;
        lines << QStringLiteral("置き換え %1").arg(drawValueText(d.replacement));
        decided.push_back(d.stored.draw.no);
    }
    if (!plan.filled.empty()) {
        std::vector<int> nos;
        for (const FilledDraw& f : plan.filled) nos.push_back(f.before.no);
        lines << QStringLiteral("当せん金などを補充 %1 件（%2）")
                     .arg(plan.filled.size())
                     .arg(drawList(nos));
    }
    if (lines.isEmpty() && plan.heldBack.empty()) lines << QStringLiteral("最新です");
    if (args.isSet("dry-run")) {
        for (const QString& line : lines) say(stdout, line);
        say(stdout, QStringLiteral("（--dry-run：何も書き込んでいません）"));
        return plan.heldBack.empty() ? 0 : kHeldBack;
    }

    QString why;
    if (!document.applyUpdate(plan, replace, &why)) return failure(why);
    for (const QString& line : lines) say(stdout, line);
    if (!decided.empty()) {
        const QStringList wins = ticketWinLines(*document.tickets(), *document.snapshot(), decided);
        if (wins.isEmpty()) say(stdout, noWinText());
        for (const QString& line : wins) say(stdout, line);
    }
    return plan.heldBack.empty() ? 0 : kHeldBack;
}

}  // namespace pirumoa::cli
