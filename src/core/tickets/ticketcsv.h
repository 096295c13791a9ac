#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "core/tickets/ticket.h"

namespace pirumoa {

// Tickets as CSV: the header "number,type,units,first_draw,draws,note", draws a number of
// draws or "all" (until today), type straight, box or set (or its Japanese name). UTF-8 or
// CP932 in, UTF-8 out. A note with a comma, a quote or a line break is quoted.
QByteArray writeTicketCsv(const std::vector<Ticket>& tickets);

// Throws StoreError "FILE:LINE: reason" for the first line that is not a ticket one can buy.
std::vector<Ticket> parseTicketCsv(const QByteArray& data, const QString& fileName);

}  // namespace pirumoa
