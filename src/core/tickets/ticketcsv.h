#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "core/tickets/ticket.h"

namespace pirumoa {

// Tickets as CSV: the header "number,type,units,first_draw,draws,note", draws a number of
// draws or "all" (bought on and on; 続けて購入中 and the older 今日まで read alike), type
// straight, box or set (or its Japanese name). The fields read as parseTicketInput reads
// them. UTF-8 or CP932 in, UTF-8 out. A note with a comma, a quote or a line break is quoted.
QByteArray writeTicketCsv(const std::vector<Ticket>& tickets);

// Throws StoreError "FILE:LINE: reason" for the first line that is not a ticket one can buy.
std::vector<Ticket> parseTicketCsv(const QByteArray& data, const QString& fileName);

// A tickets file is refused beyond this size: a hundred thousand tickets take a fifth of it.
inline constexpr qint64 kMaxTicketFileBytes = 16 * 1024 * 1024;

// Reads and parses a tickets file. Throws StoreError, before reading what it need not, for a
// file that is not a regular file (a folder, a device, a FIFO), one beyond
// kMaxTicketFileBytes, and at the first line longer than 4 KiB ("FILE:LINE: …"); then as
// parseTicketCsv.
std::vector<Ticket> readTicketFile(const QString& path);

}  // namespace pirumoa
