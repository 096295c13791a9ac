#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "core/store/drawhistory.h"
#include "core/store/drawstore.h"

namespace pirumoa {

// Parses draws from CSV text. Accepts the header "draw,date,d1,d2,d3,d4" and, without a
// header, lines "draw,d1,d2,d3,d4" or "draw,date,NNNN". Digits and date may be empty.
// Throws StoreError "FILE:LINE: reason" (reason in Japanese) for the first bad line.
std::vector<DrawRecord> parseDrawCsv(const QByteArray& data, const QString& fileName);

// Reads and parses a CSV file; throws StoreError for a file that cannot be read (with the
// reason) or for its first bad line.
std::vector<DrawRecord> readDrawCsvFile(const QString& csvPath);

// The draws as CSV with the header "draw,date,d1,d2,d3,d4", LF line ends.
QByteArray writeDrawCsv(const std::vector<DrawRecord>& draws);

// Reads csvPath and adds its draws to the database (made when missing), all or nothing.
// Without replace, any conflict refuses the whole file: nothing is written and the result
// lists the conflicting draws. Throws StoreError for unreadable files and bad lines.
ImportResult importDrawCsv(const QString& csvPath, const DatabaseFile& connect, bool replace);

}  // namespace pirumoa
