#pragma once
// A finished replay as sheets for its window, and as TSV and JSON for the command-line tool.
#include <QByteArray>
#include <vector>

#include "core/prediction/backtest.h"
#include "core/sheet/sheet.h"

namespace pirumoa {

// The table as the window shows it: one row per tally under a heading row, and the overall
// verdict in a last row.
void fillBacktestSheet(const Backtest& backtest, Sheet& sheet);
// The bets in yen as the window shows them.
void fillBacktestYenSheet(const std::vector<YenTally>& yen, Sheet& sheet);

// The table for the command-line tool: a heading line, then per tally method, measure,
// predictions, hits, expected (six decimals), ratio, low and high of the 95% range, verdict,
// two-sided p-value, and for the bet rows cost, won, chance's expected yen and its range and
// the bets whose amount is unknown, separated by TAB; a last line the overall verdict. A
// ratio or p that the window shows as "－" is "－" here too (null in JSON). JSON carries the
// same and the options.
QByteArray backtestToTsv(const Backtest& backtest, const PrizeTable& prizes = {});
QByteArray backtestToJson(const Backtest& backtest, const PrizeTable& prizes = {});

}  // namespace pirumoa
