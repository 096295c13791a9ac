#pragma once

#include <QAbstractTableModel>
#include <memory>
#include <vector>

#include "core/stats/outlook.h"
#include "core/store/historydocument.h"
#include "core/tickets/ticket.h"

namespace pirumoa {

// The list of 購入数字の照合: one row a ticket with its totals. The texts are made for the rows
// the view asks for, so a list of many thousands of tickets holds no more than the tickets and
// their totals.
class TicketListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TicketListModel(QObject* parent = nullptr);

    // Everything at once: totals[i] belongs to (*tickets)[i]; outlook is fitted on the same
    // history.
    void setTickets(TicketsSnapshot tickets, std::vector<TicketTotals> totals,
                    std::shared_ptr<const OutlookModel> outlook);

    const std::vector<Ticket>& tickets() const { return *m_tickets; }
    const std::vector<TicketTotals>& totals() const { return m_totals; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The column of the memo: the one text that reads from the left.
    static constexpr int kNoteColumn = 5;

private:
    TicketsSnapshot m_tickets;
    std::vector<TicketTotals> m_totals;
    std::shared_ptr<const OutlookModel> m_outlook;
};

// "5回", "続けて購入中": a ticket's run as the list shows it.
QString runText(const Ticket& ticket);

}  // namespace pirumoa
