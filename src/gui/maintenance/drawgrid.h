#pragma once

#include <QPointer>
#include <QString>
#include <QStyledItemDelegate>
#include <QTableView>

class QKeyEvent;

namespace pirumoa {

class CellEdit;
class DataEntryWindow;

// The editing widgets of the data entry's grid.

// What the status line says when a key that makes no digit is typed on a digit cell.
extern const QString kDigitHint;
// The text margin the item views add on each side: the focus frame's margin and one pixel.
inline constexpr int kTextMargin = 1;

// Draws the grid's cell lines in the colour the sheets use for them, and keeps the texts'
// side margins to one pixel: the texts are centred, and a four-digit draw number then fits
// the narrow first column.
void setCellStyle(QTableView* grid);

// The grid of draws. Tab and Shift+Tab go through the dates and digits (never the draw
// numbers) and stop at the last and the first cell; Enter goes down, as in a spreadsheet; a
// digit typed on a digit cell is stored at once and the cursor goes on; typing never
// searches.
class DrawGrid : public QTableView {
public:
    explicit DrawGrid(DataEntryWindow* window);

    void keyboardSearch(const QString&) override;
    // Moves the cursor as key does, as after leaving an editor with it.
    void moveByKey(int key, Qt::KeyboardModifiers modifiers);

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    // Tab on the grid itself (no editor open) moves through the cells too; at the ends it
    // stays on the cell rather than handing the focus to the next control.
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    DataEntryWindow* m_window;
};

// One editor per cell. Its value goes to the model when the cell is left by any key or by
// the focus, and at the latest a second after the last keystroke; a digit typed into a digit
// cell's editor is stored at once and the cursor goes on.
class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(DataEntryWindow* window, DrawGrid* grid);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    // Hands the open editor's text to the model and closes it, as leaving the cell does.
    void commitOpenEditor();
    bool editorOpen() const;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    // Whether key leaves the cell. In a date the caret moves over the text, and leaves it
    // only past either end.
    static bool leaves(const CellEdit* edit, const QKeyEvent* key);
    // Closes an editor whose value is stored by other means.
    void abandon(QWidget* editor) const;

    DataEntryWindow* m_window;
    DrawGrid* m_grid;
    mutable QPointer<CellEdit> m_editor;
};

}  // namespace pirumoa
