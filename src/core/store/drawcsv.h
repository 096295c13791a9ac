#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "core/store/drawfile.h"
#include "core/store/drawhistory.h"
#include "core/store/drawstore.h"

namespace pirumoa {

// Parses draws from the text of a results file (any format readDrawFile reads), without their
// prizes. Throws StoreError "FILE:LINE: reason" (reason in Japanese) for the first bad line.
std::vector<DrawRecord> parseDrawCsv(const QByteArray& data, const QString& fileName);

// Reads and parses a file, as parseDrawCsv; throws StoreError for a file that cannot be read
// (with the reason) or for its first bad line.
std::vector<DrawRecord> readDrawCsvFile(const QString& csvPath);

// The draws as CSV with the header "draw,date,d1,d2,d3,d4", LF line ends. With prizes for
// any draw, the header goes on with "straight,box,set_straight,set_box", empty where unknown;
// without, the file is what earlier versions wrote.
QByteArray writeDrawCsv(const std::vector<DrawRecord>& draws,
                        const std::vector<DrawPrizes>& prizes = {});

// Writes the parsed draws into the database (made when missing), all or nothing. Without
// replace, any conflict refuses the whole file: nothing is written and the result lists the
// conflicting draws. A database this call made and could not fill is taken away again.
ImportResult importParsedDraws(const ParsedDraws& parsed, const DatabaseFile& connect,
                               bool replace);

// readDrawFile and importParsedDraws; throws StoreError for unreadable files and bad lines.
ImportResult importDrawCsv(const QString& csvPath, const DatabaseFile& connect, bool replace);

}  // namespace pirumoa
