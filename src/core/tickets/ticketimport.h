#pragma once

#include <QString>
#include <vector>

#include "core/tickets/ticket.h"

namespace pirumoa {

// A ticket of a file beside the stored ticket it resembles.
struct SimilarTicket {
    Ticket incoming;
    Ticket stored;
};

// What importing tickets would do. A ticket of the file is identical to a stored one with the
// same number, type, units, first draw, draws and note (the ids aside), and each stored ticket
// answers for one ticket of the file only: a file that holds a ticket twice adds the second
// unless two are stored. Identical tickets are skipped. A ticket is similar when a stored one
// has its number, type and first draw but other units, draws or note: it is added, and listed
// so that the user can think again.
struct TicketImportPlan {
    std::vector<Ticket> toAdd;           // the new and the similar ones, in the file's order
    int newCount = 0;                    // of toAdd, those like no stored ticket
    std::vector<Ticket> identical;       // skipped
    std::vector<SimilarTicket> similar;  // in toAdd too
};

TicketImportPlan planTicketImport(const std::vector<Ticket>& stored,
                                  const std::vector<Ticket>& incoming);

// "新しい購入数字 3 件、登録済みと同じ 17 件（取り込みません）、よく似た購入数字 1 件" and, a line
// each, the similar ones beside what is stored ("0123 ボックス 第7050回から 5回 1口 ← 登録済み：
// … 2口"); the first similarLimit of them, then how many more. Lines end in "\n".
QString ticketImportSummary(const TicketImportPlan& plan, int similarLimit = 20);

// "0123 ボックス 第7050回から 5回 1口「メモ」": one ticket in a line of text.
QString ticketText(const Ticket& ticket);

}  // namespace pirumoa
