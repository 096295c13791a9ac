#include "cli/commandline.h"

#include <QCoreApplication>
#include <cstdio>

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

// The parser's own error in our words: one line that names what was wrong.
QString parseError(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty()) return parser.errorText();
    const QString& name = unknown.first();
    return QStringLiteral("unknown option %1%2").arg(name.size() == 1 ? "-" : "--", name);
}

}  // namespace

int badArguments(const QString& why) {
    const QString help = g_command.isEmpty()
                             ? QStringLiteral("%1 --help").arg(kProgram)
                             : QStringLiteral("%1 %2 --help").arg(kProgram, g_command);
    print(stderr, QStringLiteral("%1: %2 (see %3)\n").arg(kProgram, why, help));
    return kBadArguments;
}

int failure(const QString& why) {
    print(stderr, QStringLiteral("%1: %2\n").arg(kProgram, why));
    return kFailure;
}

int runCommandLine(const QStringList& arguments, std::span<const Command> commands,
                   const QString& footer) {
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
        print(stderr, overview(commands, footer));
        return kBadArguments;
    }
    const QString name = positional.first();
    const Command* command = nullptr;
    for (const Command& c : commands)
        if (name == QLatin1String(c.name)) command = &c;
    if (!command) return badArguments(QStringLiteral("unknown command ") + name);
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
    return command->run(parser);
}

}  // namespace pirumoa::cli
