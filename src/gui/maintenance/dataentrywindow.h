#pragma once

#include <QList>
#include <QPointer>

#include "gui/shell/childwindow.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMenuBar;
class QTableView;
class QTimer;

namespace pirumoa {

class CellDelegate;
class DrawGrid;
class DrawTableModel;

// The window where past draws are entered, corrected, added and deleted. Every change goes
// through the history document as soon as it is made, and can be undone there; the grid shows
// what is stored, whoever stored it.
class DataEntryWindow : public ChildWindow {
    Q_OBJECT
public:
    DataEntryWindow(ChildHost& host, const WindowDesign& design);
    ~DataEntryWindow() override;

    void load() override;
    // The window is where the draws change: it keeps what it shows.
    void reload() override {}

    QTableView* grid() const;
    DrawTableModel* model() const { return m_model; }
    QMenu* editMenu() const { return m_menu; }
    // The status line under the grid: why a typed value was refused.
    QLabel* statusLine() const { return m_status; }

    // "行追加": a draw without digits below the active row, numbered one more than it.
    void addLine();
    // "行削除": the draw of the active row.
    void deleteLine();
    // "閉じる": the digit being typed is checked first; a wrong one keeps the window open.
    void closeChecked();
    // "元に戻す" / "やり直し": the stored changes of this window, newest first.
    void undo();
    void redo();

    // The clipboard: the selected block as tab-separated text and HTML; a paste fills the
    // current cell, the current row's four digits, or adds and replaces whole draws.
    void copy();
    void paste();
    void pasteText(const QString& text);
    // Delete and BackSpace: the selected digit cells become empty.
    void clearSelectedDigits();

    // A digit typed on a digit cell: stored, and the cursor goes on to the next digit.
    void typeDigit(int row, int column, const QString& digit);
    // Stores what is being typed, as leaving the cell does. False when it was refused; the
    // message has then been shown.
    bool commitEdit();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setUpGrid();
    void fitNumberColumn();
    void queueRefusal(const QString& message);
    void showRefusal();
    void showHint(const QString& message);
    void confirmDate(int no, const QString& isoDate, const QString& question);
    void focusDraw(int no, int column);
    void advanceFrom(int no, int column);
    void pasteDraws(const QString& text);
    void drawsStored();
    void rowHeaderMenu(const QPoint& pos);
    bool selectionIsOnlyRow(int row) const;
    void setCurrent(int row, int column);
    // While this window is the active child, the main menu bar shows only its own menu.
    void subWindowActivated(QMdiSubWindow* active);
    void showOwnMenu(bool shown);

    DrawGrid* m_grid;
    CellDelegate* m_delegate;
    DrawTableModel* m_model = nullptr;
    QMenu* m_menu;
    QAction* m_addLine;
    QAction* m_delLine;
    QAction* m_undo;
    QAction* m_redo;
    QLabel* m_status;
    QPointer<QMdiArea> m_mdi;
    QPointer<QMenuBar> m_bar;
    QString m_pendingRefusal;
    QString m_pendingQuestion;
    bool m_closing = false;
    bool m_menuShown = false;
    QList<QPointer<QAction>> m_hiddenMainMenus;
};

}  // namespace pirumoa
