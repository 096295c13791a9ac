#pragma once
// The command-line tool's frame: a table of subcommands, each with its own options, parsed by
// QCommandLineParser. main.cpp holds the table; this file holds what every command shares.
#include <QByteArray>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <span>

#include "core/store/drawstore.h"

namespace pirumoa::cli {

inline constexpr int kBadArguments = 2;
inline constexpr int kFailure = 1;

// One subcommand. Adding one is a row of the table with its two functions: setUp adds the
// command's options and positional arguments to a parser of its own (--help is there already),
// run does the work on the parsed arguments and returns the exit code.
struct Command {
    const char* name;
    const char* synopsis;  // the arguments as the usage lists them, "FILE.csv [--db FILE]"
    const char* description;
    void (*setUp)(QCommandLineParser& parser);
    int (*run)(const QCommandLineParser& parser);
};

// Bad arguments that only the command can tell (a count, a value out of range): one line on
// stderr, exit code 2.
int badArguments(const QString& why);

// Any other failure: one line on stderr, exit code 1.
int failure(const QString& why);

// Writes the result to standard output: 0, or when a full disk or a closed pipe loses any of
// it, a failure (code 1) rather than a half-written result reported as done.
int writeOut(const QByteArray& bytes);

// The database of --db; without it, the database the desktop program uses
// (chooseDatabaseFolder).
DatabaseFile databaseFor(const QCommandLineParser& args);

// Runs the command that arguments (argv, the program's name first) names: --help and --version
// before it, the command's own options after it. Bad arguments end with one line and code 2.
int runCommandLine(const QStringList& arguments, std::span<const Command> commands,
                   const QString& footer);

}  // namespace pirumoa::cli
