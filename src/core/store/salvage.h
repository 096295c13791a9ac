#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "core/store/drawstore.h"

namespace pirumoa {

// What could be read from a damaged database.
struct Salvage {
    std::vector<DrawRecord> draws;  // every draw that could be read, in order
    // The four prize amounts of a draw, where the file has a prize table and the row reads.
    std::map<int, std::array<std::optional<long long>, 4>> prizes;
    // Draw numbers whose rows could not be read (the page holding them is damaged), as
    // ranges first..last; a range that runs to the end of the numbers ends at kMaxDrawNo.
    std::vector<std::pair<int, int>> unreadable;
    // Numbers from 1 to the last draw read that are not among the draws, as ranges.
    std::vector<std::pair<int, int>> missing;
    // Draws that were read but whose prizes could not be (their page in the prize table is
    // damaged), as ranges.
    std::vector<std::pair<int, int>> prizesLost;
};

// Reads every draw it can: each table on its own, in order of the draw number, going on past
// every damaged page, so that a damaged page costs only the rows on it (or, for a page of the
// table's index, the rows below it). Throws StoreError when nothing can be read at all (a
// wrong key, a destroyed first page).
Salvage salvageDatabase(const DatabaseFile& database);

// The draws as CSV, "draw,date,d1,d2,d3,d4", with the columns straight,box,set_straight,
// set_box added when any prize was read.
QByteArray salvageCsv(const Salvage& salvage);

// "第12回～第40回、第70回": ranges as a message lists them; "第7001回以降" for one that runs
// to the end of the numbers.
QString rangeList(const std::vector<std::pair<int, int>>& ranges);

}  // namespace pirumoa
