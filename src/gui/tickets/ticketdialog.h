#pragma once

#include <QDialog>

#include "core/tickets/ticket.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace pirumoa {

// The form of one ticket. Every number is typed (full-width digits too) and read as the
// tickets file reads it: a value out of range is refused with the reason, never cut to fit.
// The run is a number of draws, the last draw, or 続けて購入中. OK only closes the form once
// the ticket can be bought.
class TicketDialog : public QDialog {
    Q_OBJECT
public:
    TicketDialog(QWidget* parent, const Ticket& start);
    const Ticket& ticket() const { return m_ticket; }

    // OK: the ticket when it can be bought; otherwise the reason is shown, the field it
    // concerns takes the focus and the form stays open.
    void tryAccept();

private:
    void showRun();
    // After a refusal: the field the reason concerns takes the focus.
    void focusProblem(const TicketInput& in);

    Ticket m_ticket;
    QLineEdit* m_number;
    QComboBox* m_type;
    QLineEdit* m_units;
    QLineEdit* m_first;
    QRadioButton* m_byCount;
    QLineEdit* m_count;
    QRadioButton* m_byLast;
    QLineEdit* m_last;
    QRadioButton* m_ongoing;
    QLineEdit* m_note;
};

}  // namespace pirumoa
