#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <memory>
#include <vector>

#include "core/store/drawhistory.h"

namespace pirumoa {

class DrawStore;

// The draw table as the data-entry grid shows it: one row per stored draw in draw order,
// column 0 the draw number (read-only), columns 1 to 4 the digits. Every change goes to the
// database at once, each in its own transaction, so the grid never holds an unsaved edit.
class DrawTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 5;

    // Reads every stored draw; throws StoreError.
    explicit DrawTableModel(std::unique_ptr<DrawStore> store, QObject* parent = nullptr);
    ~DrawTableModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A digit cell takes "" or one digit and stores it at once. Anything else, and any write
    // the database refuses, leaves the cell as it was, emits refused() and returns false.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The text a cell shows.
    QString text(int row, int column) const;
    const DrawRecord& record(int row) const { return m_rows[std::size_t(row)]; }

    // Adds a draw without digits below row (at the top when row is -1), numbered one more
    // than the draw of that row, and stores it. Returns the new row, or -1 with the reason in
    // *why when the number is taken or the database refuses.
    int addDrawAfter(int row, QString* why);
    // Deletes the draw of row from the database and the grid; false with the reason in *why.
    bool removeDraw(int row, QString* why);

    // "" → -1, one digit (half- or full-width) → 0..9; false for anything else.
    static bool parseDigit(const QString& text, int* digit);

    static const QString kWrongDigitMessage;

signals:
    // A value or a write that was refused, with the message for the user.
    void refused(const QString& message);
    // A change reached the database.
    void stored();

private:
    std::unique_ptr<DrawStore> m_store;
    std::vector<DrawRecord> m_rows;
};

}  // namespace pirumoa
