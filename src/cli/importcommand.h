#pragma once

#include <QString>

namespace pirumoa {

struct DatabaseFile;

// import FILE: prints what was recognised and how it compares with the stored draws to
// stderr, then writes all or nothing (dryRun: writes nothing) and prints
// "added A, skipped S, replaced R" (", completed C" when draws gained a date or prizes).
// Returns the exit code; failures print one line "pirumoa-cli: …" to stderr.
int runImportCommand(const QString& csvPath, const DatabaseFile& connect, bool replace,
                     bool dryRun);

// export: every stored draw (with prizes where known) as CSV, to stdout or, with an output
// file, atomically into it.
int runExportCommand(const DatabaseFile& connect, const QString& outputPath);

}  // namespace pirumoa
