#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "core/store/drawhistory.h"
#include "core/store/historydocument.h"

namespace pirumoa {

// The draw table as the data-entry grid shows it: one row per stored draw in draw order,
// then one new, not yet stored row for the next draw. Column 0 is the draw number (editable
// only in the new row), column 1 the draw date, columns 2 to 5 the digits. Every change goes
// to the database at once through the document, each in one transaction, and can be undone
// there; the rows follow the document, whoever wrote.
class DrawTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 6;
    static constexpr int kNoColumn = 0;
    static constexpr int kDateColumn = 1;
    static constexpr int kFirstDigitColumn = 2;
    // A date saved while it is still being typed: a date out of draw order then waits for
    // the cell to be left instead of asking in the middle of the typing.
    static constexpr int QuietEditRole = Qt::UserRole + 1;

    explicit DrawTableModel(HistoryDocument& document, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A digit cell takes "" or one digit, a date cell a date or "", the new row's number a
    // free draw number. A value that is refused leaves the cell as it was, says why through
    // hint() and returns false; a write the database refuses goes to refused().
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    static bool isDigitColumn(int column) {
        return column >= kFirstDigitColumn && column < kColumns;
    }
    int storedCount() const { return int(m_rows.size()); }
    bool isNewRow(int row) const { return m_newRow && row == storedCount(); }
    // The text a cell shows.
    QString text(int row, int column) const;
    // The stored draw of row, or the new row's draw.
    const DrawRecord& record(int row) const;
    // The row of a stored draw; -1 when it is not stored.
    int rowOfDraw(int no) const;
    // The prizes stored with a draw; none when there are none.
    Prizes storedPrizes(int no) const;
    HistoryDocument& document() const { return m_document; }

    // Stores a date the user confirmed although it is out of draw order.
    bool setConfirmedDate(int no, const QString& isoDate);
    // Several draws as one change (a paste, a cleared block, four digits at once): stored
    // in one transaction and undone as one. False when the database refused (said through
    // refused()); nothing was changed then.
    bool change(const std::vector<DrawEdit>& edits, const QString& what);

    // Adds a draw without digits below row, numbered one more than the draw of that row;
    // after the last draw (row -1, the last or the new row) it is the new row's draw. Returns the
    // new row, or -1 with the reason in *why.
    int addDrawAfter(int row, QString* why);
    // Deletes the draw of row; false with the reason in *why.
    bool removeDraw(int row, QString* why);

    // "" → -1, one digit (half- or full-width) → 0..9; false for anything else.
    static bool parseDigit(const QString& text, int* digit);

    static const QString kWrongDigitMessage;

signals:
    // A write the database refused, with the message for the user.
    void refused(const QString& message);
    // A typed value that was refused, and why: for the window's status line.
    void hint(const QString& message);
    // A date out of draw order waits for the user's word; question is what to ask.
    void dateNeedsConfirmation(int no, const QString& isoDate, const QString& question);
    // After every stored change.
    void drawsStored();
    // After an undo or redo: where the change was.
    void focusRequested(int no, int column);

private:
    bool setDigit(int row, int position, int digit);
    bool setDate(int row, const QDate& date, bool quiet);
    bool setNewNumber(const QString& text);
    // Out-of-order question for date at draw no, or empty when it is in order.
    QString orderQuestion(int no, const QDate& date) const;
    // The new row follows the last stored draw; none after draw 32,767.
    void resetNewRow();
    bool record(const std::vector<DrawEdit>& edits, const QString& what, int focusColumn,
                QString* why = nullptr);
    // Shows the draws as the document now holds them: row by row where few changed.
    void follow(const HistorySnapshot& next);

    HistoryDocument& m_document;
    std::vector<DrawRecord> m_rows;
    bool m_newRow = true;
    DrawRecord m_new;
    DrawRecord m_newDefault;  // the new row as proposed, before the user changed it
};

}  // namespace pirumoa
