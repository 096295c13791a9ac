#pragma once

#include <functional>
#include <vector>

#include "core/stats/outlook.h"
#include "core/tickets/ticket.h"
#include "gui/shell/childwindow.h"

class QChartView;
class QLabel;
class QPushButton;
class QTableWidget;

namespace pirumoa {

class GridView;

// 購入数字の照合: the user's tickets checked against every stored draw at the stored prizes,
// each ticket's totals and those of all, the draws of the chosen ticket and the running
// balance of all of them. Tickets are added, edited, deleted, and read from or written to CSV.
class TicketsWindow : public ChildWindow {
    Q_OBJECT
public:
    TicketsWindow(ChildHost& host, const WindowDesign& design);

    void load() override;

    // The commands behind the buttons, without their dialogs; false with a message shown
    // when the ticket is refused or the database cannot be written.
    bool addTicket(const Ticket& ticket);
    bool editTicket(const Ticket& ticket);
    // Asks first.
    bool deleteTicket(long long id);
    bool importTickets(const QString& csvPath);
    bool exportTickets(const QString& csvPath);

    const std::vector<Ticket>& tickets() const { return m_tickets; }
    const std::vector<TicketCheck>& checks() const { return m_checks; }
    const TicketTotals& totals() const { return m_totals; }
    // The ticket whose draws the grid shows; -1 for none.
    int currentTicket() const;
    void setCurrentTicket(int index);
    GridView* grid() const { return m_grid; }

private:
    // Reads the tickets and prizes again and checks every ticket against the history.
    void refresh(long long keepId);
    void showTickets();
    void showDraws();
    void showChart();
    void openDialog(const Ticket* editing);
    // A ticket write through the document; false with the message shown when it was refused.
    bool write(const std::function<void(HistoryDocument&)>& change);

    QTableWidget* m_list;
    QLabel* m_total;
    GridView* m_grid;
    QChartView* m_chart;
    QPushButton* m_edit;
    QPushButton* m_delete;
    std::vector<Ticket> m_tickets;
    std::vector<TicketCheck> m_checks;
    TicketTotals m_totals;
    // The draws with their dates and prizes, as the tickets were checked against them.
    HistorySnapshot m_history;
    // The expected prize of each ticket's number, fitted on the same history.
    OutlookModel m_outlook;
    bool m_following = false;
};

}  // namespace pirumoa
