#pragma once

#include "core/sheet/sheet.h"
#include "core/tickets/ticket.h"

namespace pirumoa {

// One ticket's draws as 購入数字の照合 lists them: draw, date, drawn number, result and prize,
// wins in green, wins of unknown amount in yellow, draws to come in grey.
void fillTicketSheet(const TicketCheck& check, Sheet& sheet);

// What a line's prize column says: "12,300円", "当せん (金額不明)", "0円" or nothing.
QString prizeCell(const TicketLine& line);

// "12.5%", or "－" when nothing was spent.
QString returnText(const TicketTotals& totals);

}  // namespace pirumoa
