#include "cli/commandline.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>

#include "core/store/databasefolder.h"

namespace pirumoa::cli {

namespace {

constexpr char kProgram[] = "pirumoa-cli";

// The command being run, for the hint after an error; empty before one is known.
QString g_command;

void print(std::FILE* to, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), to);
    std::fflush(to);
}

QString overview(std::span<const Command> commands, const QString& footer) {
    QString text = QStringLiteral("Usage: %1 COMMAND [options]\n\nCommands:\n").arg(kProgram);
    for (const Command& c : commands) {
        const QString line = QString::fromUtf8(c.name) + QLatin1Char(' ') + c.synopsis;
        text += QStringLiteral("  ") + line.trimmed() + QLatin1Char('\n');
        text += QStringLiteral("      %1\n").arg(QString::fromUtf8(c.description));
    }
    text += QStringLiteral(
        "\nOptions:\n"
        "  -h, --help     this text; after a command, that command's options\n"
        "  -v, --version  the version\n\n");
    return text + footer;
}

// The parser's own error in our words: one line that names what was wrong. Qt tells the kind
// of error only by its (English) text, which names the option in quotes.
QString parseError(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString& name = unknown.first();
        return QStringLiteral("%1%2 というオプションはありません。")
            .arg(name.size() == 1 ? "-" : "--", name);
    }
    const QString text = parser.errorText();
    static const QRegularExpression quotedName(QStringLiteral("'([^']*)'"));
    const QString option = quotedName.match(text).captured(1);
    if (text.startsWith(QLatin1String("Missing value")))
        return QStringLiteral("%1 の後に値を指定してください。").arg(option);
    if (text.startsWith(QLatin1String("Unexpected value")))
        return QStringLiteral("%1 には値を付けられません。").arg(option);
    return QStringLiteral("引数を解釈できません（%1）。").arg(text);
}

// The options that name a file. An empty value is refused before the command runs: an empty
// --db would quietly fall back on the default database, an empty --output on stdout.
constexpr const char* kFileOptions[] = {"db", "output"};

// Qt reads every argument as UTF-8, whatever the locale: a name typed in another encoding
// (EUC-JP, Shift_JIS) arrives with U+FFFD in place of its characters, and a database made
// under that name would not be the file the user named. Such an argument is refused.
QString undecodable(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (arguments[i].contains(QChar::ReplacementCharacter))
            return QStringLiteral(
                       "%1 番目の引数に UTF-8 として読めない文字があります。"
                       "UTF-8 のロケール（例: LANG=ja_JP.UTF-8）で指定してください。")
                .arg(i);
    return QString();
}

}  // namespace

int badArguments(const QString& why) {
    const QString help = g_command.isEmpty()
                             ? QStringLiteral("%1 --help").arg(kProgram)
                             : QStringLiteral("%1 %2 --help").arg(kProgram, g_command);
    print(stderr, QStringLiteral("%1: %2（詳しくは %3）\n").arg(kProgram, why, help));
    return kBadArguments;
}

int failure(const QString& why) {
    print(stderr, QStringLiteral("%1: %2\n").arg(kProgram, why));
    return kFailure;
}

int writeOut(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return failure(QStringLiteral("結果を標準出力に書き込めませんでした。"));
    return 0;
}

DatabaseFile databaseFor(const QCommandLineParser& args) {
    const QString db = args.value(QStringLiteral("db"));
    if (db.isEmpty()) return databaseFileIn(chooseDatabaseFolder(databasePlaces()));
    const QFileInfo fi(db);
    DatabaseFile c = databaseFileIn(fi.absolutePath());
    c.file = fi.absoluteFilePath();
    return c;
}

int runCommandLine(const QStringList& arguments, std::span<const Command> commands,
                   const QString& footer) {
    if (const QString why = undecodable(arguments); !why.isEmpty()) return badArguments(why);
    // First the options of the tool itself and the command's name; everything after the name
    // belongs to the command.
    QCommandLineParser top;
    top.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help({"h", "help"}, {});
    const QCommandLineOption version({"v", "version"}, {});
    top.addOption(help);
    top.addOption(version);
    if (!top.parse(arguments)) return badArguments(parseError(top));
    if (top.isSet(help)) {
        print(stdout, overview(commands, footer));
        return 0;
    }
    if (top.isSet(version)) {
        print(stdout,
              QStringLiteral("%1 %2\n").arg(kProgram, QCoreApplication::applicationVersion()));
        return 0;
    }
    const QStringList positional = top.positionalArguments();
    if (positional.isEmpty()) {
        print(stderr, QStringLiteral("%1: コマンドを指定してください。\n\n").arg(kProgram) +
                          overview(commands, footer));
        return kBadArguments;
    }
    const QString name = positional.first();
    const Command* command = nullptr;
    for (const Command& c : commands)
        if (name == QLatin1String(c.name)) command = &c;
    if (!command) return badArguments(QStringLiteral("%1 というコマンドはありません。").arg(name));
    g_command = name;

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(command->description));
    const QCommandLineOption commandHelp({"h", "help"}, QStringLiteral("this text"));
    parser.addOption(commandHelp);
    command->setUp(parser);
    QStringList rest = arguments.mid(arguments.indexOf(name, 1) + 1);
    rest.prepend(arguments.value(0));
    if (!parser.parse(rest)) return badArguments(parseError(parser));
    if (parser.isSet(commandHelp)) {
        // Qt names the program by its path; the usage line names the command as it is typed.
        QString text = parser.helpText();
        const int end = text.indexOf(QLatin1Char('\n'));
        text.replace(0, end,
                     QStringLiteral("Usage: %1 %2 %3").arg(kProgram, name, command->synopsis));
        print(stdout, text + QLatin1Char('\n') + footer);
        return 0;
    }
    const QStringList given = parser.optionNames();
    for (const char* option : kFileOptions) {
        const QString key = QLatin1String(option);
        if (given.contains(key) && parser.value(key).isEmpty())
            return badArguments(QStringLiteral("--%1 に空のファイル名は指定できません。").arg(key));
    }
    return command->run(parser);
}

}  // namespace pirumoa::cli
