#pragma once

#include <QStringList>

namespace pirumoa {

// pirumoa-cli tickets check|list|add|remove; args are the words after "tickets". Returns the
// process's exit code and prints its own messages.
int runTicketsCommand(const QStringList& args);

}  // namespace pirumoa
