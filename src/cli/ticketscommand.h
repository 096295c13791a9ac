#pragma once

#include <QCommandLineParser>

namespace pirumoa::cli {

// pirumoa-cli tickets check|list|add|remove: the options of all four (each checks that it got
// only its own), and the run that picks the subcommand from the first positional argument.
void setUpTickets(QCommandLineParser& parser);
int runTickets(const QCommandLineParser& args);

}  // namespace pirumoa::cli
