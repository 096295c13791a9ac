#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "core/stats/outlook.h"
#include "core/tickets/ticket.h"
#include "core/tickets/ticketbook.h"
#include "gui/shell/childwindow.h"

class QChartView;
class QLabel;
class QPushButton;
class QTableView;

namespace pirumoa {

class GridView;
class TicketListModel;

// 購入数字の照合: the user's tickets checked against every stored draw at the stored prizes,
// each ticket's totals and those of all, the wins on the latest draws, the draws of the chosen
// ticket and the running balance of all of them. Tickets are added, edited, deleted (several
// at once), and read from or written to CSV.
//
// The window keeps the totals of each ticket, not its draws: the draws are built for the one
// ticket shown, so many thousands of tickets over the longest history open in a moment.
class TicketsWindow : public ChildWindow {
    Q_OBJECT
public:
    TicketsWindow(ChildHost& host, const WindowDesign& design);
    ~TicketsWindow() override;

    void load() override;

    // The commands behind the buttons, without their dialogs; false with a message shown
    // when the ticket is refused or the database cannot be written.
    bool addTicket(const Ticket& ticket);
    bool editTicket(const Ticket& ticket);
    // Asks once, then deletes them in one write.
    bool deleteTickets(const std::vector<long long>& ids);
    // Shows what the file would add first; nothing is written unless the user agrees.
    bool importTickets(const QString& csvPath);
    bool exportTickets(const QString& csvPath);

    const std::vector<Ticket>& tickets() const;
    // The totals of each ticket, in the order of tickets(); and of all of them.
    const std::vector<TicketTotals>& ticketTotals() const;
    const TicketTotals& totals() const { return m_totals; }
    // The ticket whose draws the grid shows; -1 for none.
    int currentTicket() const;
    void setCurrentTicket(int index);
    // The ids of the tickets selected in the list.
    std::vector<long long> selectedIds() const;
    // The first draw that the line of recent wins counts from.
    int recentFrom() const { return m_recentFrom; }
    QTableView* list() const { return m_list; }
    GridView* grid() const { return m_grid; }

private:
    // Reads the tickets again and checks every one against the history.
    void refresh(long long keepId);
    void showTotals();
    void showDraws();
    void showChart();
    void openDialog(const Ticket* editing);
    // A ticket write through the document; false with the message shown when it was refused.
    bool write(const std::function<void(HistoryDocument&)>& change);

    QLabel* m_recent;
    QTableView* m_list;
    TicketListModel* m_model;
    QLabel* m_total;
    GridView* m_grid;
    QChartView* m_chart;
    QPushButton* m_edit;
    QPushButton* m_delete;
    TicketsSnapshot m_tickets;
    TicketTotals m_totals;
    // The draws with their dates and prizes indexed for checking, and the expected prize of
    // each number fitted on them; built again only when the draws change.
    std::shared_ptr<const TicketBook> m_book;
    std::shared_ptr<const OutlookModel> m_outlook;
    int m_recentFrom = 1;
    bool m_following = false;
    bool m_filling = false;  // the list is being filled again
    bool m_writing = false;  // a write of the window's own is under way
};

}  // namespace pirumoa
