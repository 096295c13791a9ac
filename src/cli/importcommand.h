#pragma once

#include <QString>

namespace pirumoa {

struct DatabaseFile;

// How import reports what it did on stdout: for people, "追加 A 件、スキップ S 件、置き換え R 件、
// 補充 C 件"; for scripts, TSV that stays as it is: the line "added\tskipped\treplaced\tcompleted"
// and a line of the four counts.
enum class ImportReport { Text, Tsv };

// import FILE: prints what was recognised and how it compares with the stored draws to
// stderr, then writes all or nothing (dryRun: writes nothing) and reports the counts (completed:
// stored draws that gained digits, a date or prizes). Returns the exit code; failures print
// one line "pirumoa-cli: …" to stderr.
int runImportCommand(const QString& csvPath, const DatabaseFile& connect, bool replace, bool dryRun,
                     ImportReport report);

// export: every stored draw (with prizes where known) as CSV, to stdout or, with an output
// file, atomically into it.
int runExportCommand(const DatabaseFile& connect, const QString& outputPath);

}  // namespace pirumoa
